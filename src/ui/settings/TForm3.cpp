#include "ui/settings/TForm3.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>
#include <functional>

#include "document/FindGhostscript.h"
#include "platform/Error.h"
#include "save/SaveFormats.h"
#include "settings/SettingsFile.h"
#include "ui/app/Guarded.h"
#include "ui/app/NamedWidgets.h"
#include "ui/app/ProgramForms.h"
#include "ui/app/UiServices.h"
#include "ui/app/WindowPlace.h"

namespace vellumo {

namespace {

const QColor kSilver(192, 192, 192);
/// Every page is laid out at fixed places inside this size; the dialog fits itself to it.
const QSize kPageSize(292, 196);

QString Text(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

QRadioButton* NamedRadio(QWidget* parent, const char* name, const QString& caption, QRect place) {
    auto* b = new QRadioButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(place);
    return b;
}

QComboBox* PickList(QWidget* parent, const char* name, const QStringList& items, int initial,
                    QRect place) {
    auto* c = new QComboBox(parent);  // not editable: pick only
    c->setObjectName(QString::fromLatin1(name));
    c->addItems(items);
    c->setCurrentIndex(initial);
    c->setGeometry(place);
    return c;
}

/// Sets the buttons of an exclusive group as given, none on included.
void SetExclusiveChoice(QButtonGroup* group, const std::function<bool(QAbstractButton*)>& on) {
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(on(b));
    group->setExclusive(true);
}

}  // namespace

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form3"));
    MarkProgramForm(this);
    setWindowTitle(QStringLiteral("設定"));
    // A fixed dialog with a close button only, above all other windows.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    // All five tabs in one row: the dialog widens to them rather than scrolling the row.
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setElideMode(Qt::ElideNone);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(PageControl1);
    const struct {
        const char* caption;
        void (TForm3::*build)(QWidget*);
    } pages[] = {{"　Tiff　", &TForm3::BuildTiffPage},
                 {"　Jpg　", &TForm3::BuildJpgPage},
                 {"Bitmap", &TForm3::BuildBitmapPage},
                 {"　Pdf　", &TForm3::BuildPdfPage},
                 {"その他設定", &TForm3::BuildOtherPage}};
    for (const auto& p : pages) {
        auto* page = new QWidget(PageControl1);
        page->setMinimumSize(kPageSize);
        (this->*p.build)(page);
        PageControl1->addTab(page, QString::fromUtf8(p.caption));
    }
    SetGhostscriptAvailable(false);
}

void TForm3::BuildTiffPage(QWidget* page) {
    NamedLabel(page, "Label1", QStringLiteral("Tiff 保存設定"), QRect(8, 6, 200, 16));
    RadioGroup1 = new QGroupBox(page);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setGeometry(8, 26, 150, 150);
    compressionButtons_ = new QButtonGroup(this);
    const char* entries[] = {" 非圧縮", " LZW圧縮", " ZIP（inTIFF） ", " CCITT G3", " CCITT G4"};
    for (int i = 0; i < 5; ++i) {
        auto* b = new QRadioButton(QString::fromUtf8(entries[i]), RadioGroup1);
        b->setGeometry(8, 10 + 27 * i, 138, 22);
        compressionButtons_->addButton(b, i);
    }
    SetCompressionIndex(4);
    NamedLabel(page, "Label2", QStringLiteral("解像度（dpi）"), QRect(172, 30, 110, 16));
    ComboBox2 = PickList(page, "ComboBox2",
                         {QStringLiteral("200"), QStringLiteral("300"), QStringLiteral("400"),
                          QStringLiteral("600")},
                         2, QRect(172, 50, 90, 24));
}

void TForm3::BuildJpgPage(QWidget* page) {
    NamedLabel(page, "Label3", QStringLiteral("Jpg 保存設定"), QRect(8, 6, 200, 16));
    RadioButton3 =
        NamedRadio(page, "RadioButton3", QStringLiteral(" Color(24bit)"), QRect(16, 34, 140, 22));
    RadioButton4 =
        NamedRadio(page, "RadioButton4", QStringLiteral(" Ggray( 8bit)"), QRect(16, 62, 140, 22));
    jpegButtons_ = new QButtonGroup(this);
    jpegButtons_->addButton(RadioButton3);
    jpegButtons_->addButton(RadioButton4);
    RadioButton3->setChecked(true);
    NamedLabel(page, "Label4", QStringLiteral("圧縮率（%）"), QRect(172, 30, 110, 16));
    ComboBox3 = PickList(page, "ComboBox3",
                         {QStringLiteral("100"), QStringLiteral("90"), QStringLiteral("80"),
                          QStringLiteral("70"), QStringLiteral("60")},
                         2, QRect(172, 50, 90, 24));
}

void TForm3::BuildBitmapPage(QWidget* page) {
    NamedLabel(page, "Label5", QStringLiteral("Bitmap 保存設定"), QRect(8, 6, 200, 16));
    RadioButton5 =
        NamedRadio(page, "RadioButton5", QStringLiteral("24bitカラー"), QRect(16, 34, 220, 22));
    RadioButton6 = NamedRadio(page, "RadioButton6", QStringLiteral("画像フォーマットによる"),
                              QRect(16, 62, 220, 22));
    RadioButton5->setChecked(true);
    NamedLabel(page, "Label6", QStringLiteral("（24Bitカラー／8Bitグレー／モノクロ２値）"),
               QRect(16, 90, 270, 16));
}

void TForm3::BuildPdfPage(QWidget* page) {
    Panel1 = new QFrame(page);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(4, 4, 284, 188);
    Panel1->setAutoFillBackground(true);
    NamedLabel(Panel1, "Label9", QStringLiteral("PDF変換読込設定"), QRect(8, 6, 200, 16));
    RadioGroup2 = new QGroupBox(QStringLiteral("カラー"), Panel1);
    RadioGroup2->setObjectName(QStringLiteral("RadioGroup2"));
    RadioGroup2->setGeometry(8, 26, 130, 70);
    RadioButton1 = NamedRadio(RadioGroup2, "RadioButton1", QStringLiteral("モノクロ２値"),
                              QRect(8, 20, 116, 20));
    RadioButton1->setChecked(true);
    RadioButton2 = NamedRadio(RadioGroup2, "RadioButton2", QStringLiteral("24bitカラー"),
                              QRect(8, 42, 116, 20));
    NamedLabel(Panel1, "Label10", QStringLiteral("解像度（dpi）"), QRect(150, 30, 120, 16));
    ComboBox1 = PickList(Panel1, "ComboBox1",
                         {QStringLiteral("200"), QStringLiteral("300"), QStringLiteral("400"),
                          QStringLiteral("600"), QStringLiteral("指定しない")},
                         2, QRect(150, 50, 110, 24));
    Label11 =
        NamedLabel(Panel1, "Label11", Text(kGhostscriptUnusableLabel), QRect(8, 110, 270, 18));
    CheckBox4 = NamedCheck(Panel1, "CheckBox4", QStringLiteral("利用"), QRect(8, 134, 100, 20));
    connect(CheckBox4, &QCheckBox::toggled, this, Guarded(this, [this] { CheckBox4Click(); }));
}

void TForm3::BuildOtherPage(QWidget* page) {
    CheckBox3 =
        NamedCheck(page, "CheckBox3", QStringLiteral("ファイルの読込に登録フォルダーを指定する"),
                   QRect(8, 8, 280, 20));
    Edit1 = new QLineEdit(page);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(8, 32, 248, 24);
    Button1 = NamedButton(page, "Button1", QStringLiteral("..."), QRect(260, 32, 26, 24));
    Button1->setToolTip(
        QStringLiteral("クリック：登録フォルダーを選択\n右ボタン：表示ファイルのフォルダを登録"));
    Button1->installEventFilter(this);
    connect(Button1, &QPushButton::clicked, this, Guarded(this, [this] { Button1Click(); }));
    NamedLabel(page, "Label12", QStringLiteral("印刷設定"), QRect(8, 66, 200, 16));
    CheckBox1 = NamedCheck(page, "CheckBox1", QStringLiteral("印刷時に確認メッセージを表示しない"),
                           QRect(8, 86, 280, 20));
    connect(CheckBox1, &QCheckBox::toggled, this, Guarded(this, [this] { CheckBox1Click(); }));
    CheckBox2 = NamedCheck(page, "CheckBox2", QStringLiteral("B４図面のA３用紙印刷は枠を付ける"),
                           QRect(8, 108, 280, 20));
    CheckBox2->setChecked(true);
    connect(CheckBox2, &QCheckBox::toggled, this, Guarded(this, [this] { CheckBox2Click(); }));
    NamedLabel(page, "Label13", QStringLiteral("モノクロ画像の表示"), QRect(8, 140, 200, 16));
    CheckBox5 = NamedCheck(page, "CheckBox5", QStringLiteral("モノクロ画像は２値化して表示する"),
                           QRect(8, 160, 280, 20));
    CheckBox5->setChecked(true);
}

int TForm3::CompressionIndex() const { return compressionButtons_->checkedId(); }

void TForm3::SetCompressionIndex(int index) {
    SetExclusiveChoice(compressionButtons_,
                       [&](QAbstractButton* b) { return compressionButtons_->id(b) == index; });
}

bool TForm3::JpegGray() const { return RadioButton4->isChecked(); }

void TForm3::SetJpegChoices(bool color, bool gray) {
    SetExclusiveChoice(jpegButtons_, [&](QAbstractButton* b) {
        return b == RadioButton3 ? color && !gray : gray;
    });
}

SaveOptions TForm3::SaveChoices() const {
    SaveOptions o;
    const int code = CompressionIndex();
    o.compression = TiffCompression(code >= 0 && code <= 4 ? code : 0);
    o.dpi = ComboBox2->currentText().toDouble();
    o.jpegQuality = ComboBox3->currentText().toInt();
    o.jpegGray = JpegGray();
    return o;
}

DialogSettings TForm3::Values() const {
    DialogSettings v;
    v.Top = y();
    v.Left = x();
    v.Width = width();
    v.Height = height();
    v.tif_typ = CompressionIndex();
    v.tif_rez = ComboBox2->currentIndex();
    v.jpg_typ = RadioButton3->isChecked();
    v.jpg_rez = ComboBox3->currentIndex();
    v.bmp_typ = RadioButton5->isChecked();
    v.inidir = CheckBox3->isChecked();
    v.pdf_typ = RadioButton1->isChecked();
    v.mono_typ = RadioButton4->isChecked();
    v.UseGs = useGsChoice_;
    v.F_Path2 = Edit1->text().toStdString();
    return v;
}

void TForm3::ApplyValues(const DialogSettings& v) {
    // The size follows the content; only the place is taken.
    MoveFrameTo(*this, QPoint(v.Left, v.Top));
    SetCompressionIndex(ChoicePosition(v.tif_typ, 5));
    ComboBox2->setCurrentIndex(ChoicePosition(v.tif_rez, int(ComboBox2->count())));
    const JpegChoice jpeg = JpegChoiceFromKeys(v.jpg_typ, v.mono_typ);
    SetJpegChoices(jpeg.color, jpeg.gray);
    ComboBox3->setCurrentIndex(ChoicePosition(v.jpg_rez, int(ComboBox3->count())));
    RadioButton5->setChecked(v.bmp_typ);
    RadioButton6->setChecked(!v.bmp_typ);
    CheckBox3->setChecked(v.inidir);
    RadioButton1->setChecked(v.pdf_typ);
    RadioButton2->setChecked(!v.pdf_typ);
    SetUseGsChoice(v.UseGs);
}

bool TForm3::BesideSaveDialog() const { return besideSaveDialog_; }

DialogLoadChoices TForm3::CurrentLoadChoices() const {
    DialogLoadChoices c;
    c.useGs = UseGs != 0;
    c.useRegisteredFolder = CheckBox3->isChecked();
    c.monoDisplay = CheckBox5->isChecked();
    c.pdf.resolutionText = ComboBox1->currentText().toStdString();
    c.pdf.monochrome = RadioButton1->isChecked();
    return c;
}

void TForm3::ApplyViewerSettings(const ViewerSettings& s) {
    Edit1->setText(QString::fromStdString(s.F_Path2));
    RadioButton1->setChecked(s.pdf_typ);
    RadioButton2->setChecked(!s.pdf_typ);
    JpegChoice jpeg{RadioButton3->isChecked(), JpegGray()};
    SetJpegGray(jpeg, s.mono_typ);
    SetJpegChoices(jpeg.color, jpeg.gray);
    SetUseGsChoice(s.UseGs);
}

void TForm3::ShowPrintOptions(bool prtMs, bool waku) {
    CheckBox1->setChecked(!prtMs);
    CheckBox2->setChecked(waku);
}

void TForm3::ShowOptionTabs(int kind, QWidget* owner, bool besideSaveDialog, QPoint viewerPlace) {
    int front = 0;
    if (kind == 10) {
        front = OtherTab;
    } else if (kind == 5) {
        front = TiffTab;
    } else if (kind >= 1 && kind <= 3) {
        front = kind - 1;
    } else {
        if (isVisible()) close();
        return;
    }
    for (int i = 0; i < PageControl1->count(); ++i) {
        const bool shown = kind == 10 || (kind == 5 && i <= BitmapTab) || i == front;
        PageControl1->setTabVisible(i, shown);
    }
    PageControl1->setCurrentIndex(front);
    // A window of its owner, since a modal window blocks every window that is not its own.
    // The hide closes as the save state is now (beside the save dialog: no file written).
    besideSaveDialog_ = besideSaveDialog;
    if (parentWidget() != owner) {
        hide();
        setParent(owner, windowFlags() | Qt::Dialog);
    }
    besideSaveDialog_ = besideSaveDialog;
    viewerPlace_ = viewerPlace;
    show();
}

void TForm3::LeaveOwner(QWidget* owner, QWidget* newOwner) {
    if (parentWidget() == owner) setParent(newOwner, windowFlags());
}

void TForm3::setVisible(bool visible) {
    const bool wasVisible = isVisible();
    // The place is settled before the window is mapped, so it appears where it belongs.
    if (visible && !wasVisible) RunGuarded(this, [this] { FormShow(); });
    QDialog::setVisible(visible);
    if (!visible && wasVisible) {
        RunGuarded(this, [this] { FormClose(); });
        besideSaveDialog_ = false;  // the next show says again where it is
    }
}

void TForm3::FormShow() {
    if (BesideSaveDialog()) {
        MoveFrameTo(*this, viewerPlace_ + QPoint(50, 70));
    } else if (!settingsPath_.isEmpty()) {
        ApplyValues(LoadDialogSettings(settingsPath_.toStdString()));
    }
    KeepOnScreen();
}

void TForm3::KeepOnScreen() {
    if (layout()) layout()->activate();
    int top = y(), left = x();
    if (top < 30) top = 100;
    if (left < 30) left = 60;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        if (top + height() > s.height()) top = s.height() - height() - 100;
        if (left + width() > s.width()) left = s.width() - width() - 100;
    }
    MoveFrameTo(*this, QPoint(left, top));
}

void TForm3::FormClose() {
    if (BesideSaveDialog() || settingsPath_.isEmpty()) return;
    try {
        SaveDialogSettings(settingsPath_.toStdString(), Values());
    } catch (const Error& e) {
        ShowErrorBox(this, e.what());
    }
}

void TForm3::Button1Click() {
    const std::optional<QString> folder =
        Ui().ChooseFolder(this, QStringLiteral("登録フォルダの指定"), QString());
    if (!folder) return;
    QString text = *folder;
    if (!text.endsWith(QLatin1Char('/'))) text += QLatin1Char('/');
    Edit1->setText(text);
    emit RegisteredFolderChosen(Edit1->text());
}

void TForm3::Button1MouseDown(Qt::MouseButton button) {
    if (button == Qt::RightButton) emit ShownFolderWanted();
}

void TForm3::RegisterShownFolder(const QString& folder) {
    Edit1->setText(folder);
    emit RegisteredFolderChosen(Edit1->text());
    MessageBoxRequest r;
    r.title = QStringLiteral("Vellumo");
    r.text = Edit1->text() + QLatin1Char('\n') + QStringLiteral("フォルダーを登録しました。");
    Ui().ShowMessage(this, r);
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Button1 && event->type() == QEvent::MouseButtonPress) {
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        RunGuarded(this, [&] { Button1MouseDown(button); });
    }
    return QDialog::eventFilter(watched, event);
}

void TForm3::CheckBox1Click() { emit PrtMsChanged(!CheckBox1->isChecked()); }

void TForm3::CheckBox2Click() { emit WakuChanged(CheckBox2->isChecked()); }

void TForm3::CheckBox4Click() {
    UseGs = UseGsFlag(CheckBox4->isChecked());
    // Only the user's own click changes the choice; the box is disabled without Ghostscript.
    if (ghostscriptAvailable_) useGsChoice_ = CheckBox4->isChecked();
}

void TForm3::SetUseGsChoice(bool on) {
    useGsChoice_ = on;
    CheckBox4->setChecked(on && ghostscriptAvailable_);
    CheckBox4Click();
}

void TForm3::SetGhostscriptAvailable(bool available) {
    Label11->setText(Text(available ? kGhostscriptUsableLabel : kGhostscriptUnusableLabel));
    QPalette p = Panel1->palette();
    p.setColor(QPalette::Window, available ? palette().color(QPalette::Button) : kSilver);
    // Disabled texts stay readable on silver, as grayed captions are on Windows.
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(112, 112, 112));
    Panel1->setPalette(p);
    ghostscriptAvailable_ = available;
    SetUseGsChoice(useGsChoice_);
    updateActions();
}

void TForm3::updateActions() { Panel1->setEnabled(ghostscriptAvailable_); }

}  // namespace vellumo

#include "viewer/TForm2.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QToolButton>
#include <QWheelEvent>
#include <climits>
#include <new>

#include "app/UiServices.h"
#include "app/WaitCursor.h"
#include "checker_ui/TForm1.h"
#include "imaging/Despeckle.h"
#include "imaging/Dither.h"
#include "imaging/Gray.h"
#include "imaging/ReductionMessages.h"
#include "imaging/Rotate.h"
#include "imaging/Threshold.h"
#include "platform/Error.h"
#include "platform/ImageDecoder.h"
#include "settings/SettingsFile.h"
#include "settings/TForm3.h"
#include "viewer/ArrangePanels.h"
#include "viewer/CategoryPanelWidget.h"
#include "viewer/ImageControlWidget.h"
#include "viewer/LoadPicture.h"
#include "viewer/ViewScaling.h"
#include "viewer/ViewerTexts.h"

namespace vellumo {

namespace {

/// The private message the window posts to itself at show to start loading the handed-off
/// file once it is on screen.
const QEvent::Type kHandOffEvent = QEvent::Type(QEvent::User + 1025);

const QColor kPanelColor(192, 220, 192);

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
std::string Utf8(const QString& s) { return s.toStdString(); }

/// The integer of a text box as the threshold reads it: optional leading blanks and sign,
/// decimal digits. Anything else is an error for the application's error display.
int IntegerOfText(const QString& text) {
    bool ok = false;
    const long long value = text.trimmed().toLongLong(&ok, 10);
    if (!ok || text.endsWith(QLatin1Char(' ')) || value < INT_MIN || value > INT_MAX)
        throw Error("'" + Utf8(text) + "' は有効な整数値ではありません。");
    return int(value);
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect place) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(place);
    return b;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, QRect place) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(place);
    return l;
}

QAction* MakeAction(QMenu* menu, const char* name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

/// Clears a flag on every way out of a scope.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
};

}  // namespace

TForm2::TForm2(TForm1& checker, TForm3* settingsDialog, QWidget* parent)
    : QMainWindow(parent), checker_(checker), settingsDialog_(settingsDialog) {
    setObjectName(QStringLiteral("Form2"));
    LeftButtonHeld = [] { return bool(QGuiApplication::mouseButtons() & Qt::LeftButton); };
    BuildControls();
    BuildMenus();
    ConnectControls();
    // FormCreate.
    Magnified = false;
    SaveDialogAct_Chk = false;
    setAcceptDrops(true);
    UpdateThresholdControls();
    SaveType = 1;
    FileName2 = checker_.CheckedFileName;
    for (CategoryPanel* p :
         {CategoryPanel1, CategoryPanel2, CategoryPanel3, CategoryPanel4, CategoryPanel5})
        p->SetColor(kPanelColor);
    ViewScale = 1.0;
    InitCropRect();
    setMinimumSize(500, 505);
    resize(878, 703);
}

TForm2::~TForm2() = default;

// ---- construction ----------------------------------------------------------------------

void TForm2::BuildControls() {
    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    ScrollBox1 = new QScrollArea(central);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1 = new ImageControlWidget();
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->resize(0, 0);
    ScrollBox1->setWidget(Image1);
    Shape1 = new QFrame(Image1);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setStyleSheet(QStringLiteral("QFrame { border: 2px solid red; background: transparent; }"));
    Shape1->hide();
    ScrollBox1->viewport()->installEventFilter(this);
    Image1->installEventFilter(this);
    row->addWidget(ScrollBox1, 1);

    Panel1 = new QFrame(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedWidth(116);
    auto* column = new QVBoxLayout(Panel1);
    column->setContentsMargins(0, 0, 0, 0);
    CategoryPanelGroup1 = new CategoryPanelGroup(Panel1);
    CategoryPanelGroup1->setObjectName(QStringLiteral("CategoryPanelGroup1"));
    column->addWidget(CategoryPanelGroup1);
    row->addWidget(Panel1);
    setCentralWidget(central);

    BuildViewPanel();
    BuildReductionPanel();
    CategoryPanel3 = new CategoryPanel(QStringLiteral("画像切出"), 150);
    CategoryPanel3->setObjectName(QStringLiteral("CategoryPanel3"));
    CategoryPanel4 = new CategoryPanel(QStringLiteral("印刷"), 150);
    CategoryPanel4->setObjectName(QStringLiteral("CategoryPanel4"));
    BuildFilePanel();
    for (CategoryPanel* p :
         {CategoryPanel1, CategoryPanel2, CategoryPanel3, CategoryPanel4, CategoryPanel5})
        CategoryPanelGroup1->AddPanel(p);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFocusPolicy(Qt::ClickFocus);
    statusText_ = new QLabel(StatusBar1);
    statusText_->setObjectName(QStringLiteral("StatusText"));
    // As high when empty as with text: a status bar that grew with its first text would
    // shrink the scroll box under a picture just fitted into it.
    statusText_->setMinimumHeight(statusText_->fontMetrics().height() + 4);
    StatusBar1->addWidget(statusText_, 1);
    setStatusBar(StatusBar1);
    ProgressBar1 = new QProgressBar(StatusBar1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();
}

void TForm2::BuildViewPanel() {
    CategoryPanel1 = new CategoryPanel(QStringLiteral("表示"), 124);
    CategoryPanel1->setObjectName(QStringLiteral("CategoryPanel1"));
    QWidget* c = CategoryPanel1->Content();
    Button2 = MakeButton(c, "Button2", QStringLiteral("全体(&A)"), QRect(8, 6, 96, 25));
    Button3 = MakeButton(c, "Button3", QStringLiteral("等倍"), QRect(8, 36, 46, 25));
    Button3->setToolTip(QStringLiteral("L:device R:pixel"));
    Button13 = MakeButton(c, "Button13", QStringLiteral("２倍"), QRect(58, 36, 46, 25));
    Button13->setToolTip(QStringLiteral("L:device R:pixel"));
    BitBtn1 = new QToolButton(c);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setText(QStringLiteral("↺"));
    BitBtn1->setToolTip(QStringLiteral("左回転"));
    BitBtn1->setGeometry(8, 70, 46, 40);
    BitBtn2 = new QToolButton(c);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setText(QStringLiteral("↻"));
    BitBtn2->setToolTip(QStringLiteral("右回転"));
    BitBtn2->setGeometry(58, 70, 46, 40);
    QFont arrows = BitBtn1->font();
    arrows.setPointSize(arrows.pointSize() + 8);
    BitBtn1->setFont(arrows);
    BitBtn2->setFont(arrows);
    Button3->installEventFilter(this);
}

void TForm2::BuildReductionPanel() {
    CategoryPanel2 = new CategoryPanel(QStringLiteral("減色編集"), 330);
    CategoryPanel2->setObjectName(QStringLiteral("CategoryPanel2"));
    QWidget* c = CategoryPanel2->Content();
    auto radio = [c](const char* name, const QString& caption, int top) {
        auto* r = new QRadioButton(caption, c);
        r->setObjectName(QString::fromLatin1(name));
        r->setGeometry(6, top, 104, 20);
        return r;
    };
    RadioButton6 = radio("RadioButton6", QStringLiteral("モノクロ"), 4);
    RadioButton7 = radio("RadioButton7", QStringLiteral("グレイスケール"), 24);
    RadioButton8 = radio("RadioButton8", QStringLiteral("ゴミ取り"), 44);
    RadioButton6->setChecked(true);
    Label4 = MakeLabel(c, "Label4", QStringLiteral("しきい値 ："), QRect(6, 70, 70, 16));
    Edit1 = new QLineEdit(QStringLiteral("128"), c);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAlignment(Qt::AlignRight);
    Edit1->setGeometry(70, 68, 38, 21);
    TrackBar1 = new QSlider(Qt::Vertical, c);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setRange(0, 255);
    TrackBar1->setValue(128);
    TrackBar1->setSingleStep(8);
    TrackBar1->setPageStep(8);
    TrackBar1->setTickInterval(16);
    TrackBar1->setTickPosition(QSlider::TicksRight);
    // Top of the slider is 0 (white), bottom 255 (black), as the labels say.
    TrackBar1->setInvertedAppearance(true);
    TrackBar1->setInvertedControls(true);
    TrackBar1->setGeometry(6, 94, 30, 150);
    Label5 = MakeLabel(c, "Label5", QStringLiteral("0 （白）"), QRect(40, 94, 70, 16));
    Label6 = MakeLabel(c, "Label6", QStringLiteral("128（中）"), QRect(40, 161, 70, 16));
    Label7 = MakeLabel(c, "Label7", QStringLiteral("255（黒）"), QRect(40, 228, 70, 16));
    CheckBox2 = new QCheckBox(QStringLiteral("Real time"), c);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setGeometry(6, 250, 100, 20);
    Button9 = MakeButton(c, "Button9", QStringLiteral("実行"), QRect(6, 274, 50, 25));
    Button10 = MakeButton(c, "Button10", QStringLiteral("reLoad"), QRect(58, 274, 50, 25));
    BitBtn3 = MakeButton(c, "BitBtn3", QStringLiteral("色"), QRect(6, 302, 50, 24));
    BitBtn3->setToolTip(QStringLiteral("右ボタンクリックで黒"));
    BitBtn3->setEnabled(false);
    BitBtn3->installEventFilter(this);
}

void TForm2::BuildFilePanel() {
    CategoryPanel5 = new CategoryPanel(QStringLiteral("ファイル"), 126);
    CategoryPanel5->setObjectName(QStringLiteral("CategoryPanel5"));
    QWidget* c = CategoryPanel5->Content();
    Button5 = MakeButton(c, "Button5", QStringLiteral("開く(&O)"), QRect(8, 4, 96, 25));
    Button14 = MakeButton(c, "Button14", QStringLiteral("Option"), QRect(8, 34, 96, 25));
    Button8 = MakeButton(c, "Button8", QStringLiteral("保存(&S)"), QRect(8, 64, 96, 25));
    Button8->setEnabled(false);
    Button1 = MakeButton(c, "Button1", QStringLiteral("閉る(&X)"), QRect(8, 94, 96, 25));
}

void TForm2::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    f1 = bar->addMenu(QStringLiteral("ファイル(&F)"));
    f1->setObjectName(QStringLiteral("f1"));
    O1 = MakeAction(f1, "O1", QStringLiteral("開く(&O)"));
    N1 = MakeAction(f1, "N1", QStringLiteral("option"));
    S1 = MakeAction(f1, "S1", QStringLiteral("保存(&S)"));
    Print = MakeAction(f1, "Print", QStringLiteral("印刷(&P)"));
    tojiru1 = MakeAction(f1, "tojiru1", QStringLiteral("閉じる(&Q)"));
    V1 = bar->addMenu(QStringLiteral(" 表示 (&V)"));
    V1->setObjectName(QStringLiteral("V1"));
    A1 = MakeAction(V1, "A1", QStringLiteral("全体表示(&A)"));
    E1 = MakeAction(V1, "E1", QStringLiteral("pixel等倍(&E)"));
    R1 = MakeAction(V1, "R1", QStringLiteral("左回転(&R)"));
    R2 = MakeAction(V1, "R2", QStringLiteral("右回転(&R)"));
    N2 = bar->addMenu(QStringLiteral("減色編集(&E)"));
    N2->setObjectName(QStringLiteral("N2"));
    M1 = MakeAction(N2, "M1", QStringLiteral("モノクロ２値変換(&M)"));
    G1 = MakeAction(N2, "G1", QStringLiteral("8bitグレイスケール(&G)"));
    gomitori1 = MakeAction(N2, "gomitori1", QStringLiteral("ゴミ取(&D)"));
    N7 = MakeAction(N2, "N7", QStringLiteral("モノクロ（ディザ）変換"));
    N2->addSeparator();
    r3 = MakeAction(N2, "r3", QStringLiteral("reLoad（再読込）"));
    C1 = bar->addMenu(QStringLiteral("画像切出(&C)"));
    C1->setObjectName(QStringLiteral("C1"));

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    View_whole = MakeAction(PopupMenu2, "View_whole", QStringLiteral("全体表示"));
    View_Equal = MakeAction(PopupMenu2, "View_Equal", QStringLiteral("等倍表示"));
    N10 = MakeAction(PopupMenu2, "N10", QStringLiteral("２倍表示"));
    PopupMenu2->addSeparator();
    turn_left = MakeAction(PopupMenu2, "turn_left", QStringLiteral("左回転"));
    turn_Right = MakeAction(PopupMenu2, "turn_Right", QStringLiteral("右回転"));
    PopupMenu2->addSeparator();
    Img_Ccut = MakeAction(PopupMenu2, "Img_Ccut", QStringLiteral("画像切出"));
}

void TForm2::ConnectControls() {
    // View.
    connect(Button2, &QPushButton::clicked, this, [this] { FitWhole(); });
    connect(Button3, &QPushButton::clicked, this, [this] { DeviceSize(); });
    connect(Button13, &QPushButton::clicked, this, [this] { DoubleSize(); });
    connect(BitBtn1, &QToolButton::clicked, this, [this] { RotateLeft(); });
    connect(BitBtn2, &QToolButton::clicked, this, [this] { RotateRight(); });
    connect(A1, &QAction::triggered, this, [this] { FitWhole(); });
    connect(R1, &QAction::triggered, this, [this] { RotateLeft(); });
    connect(R2, &QAction::triggered, this, [this] { RotateRight(); });
    connect(View_whole, &QAction::triggered, this, [this] { FitWhole(); });
    connect(View_Equal, &QAction::triggered, this, [this] { DeviceSize(); });
    connect(N10, &QAction::triggered, this, [this] { DoubleSize(); });
    connect(turn_left, &QAction::triggered, this, [this] { RotateLeft(); });
    connect(turn_Right, &QAction::triggered, this, [this] { RotateRight(); });
    connect(Img_Ccut, &QAction::triggered, this, [this] { ExpandPanel(CategoryPanel3); });
    connect(Image1, &ImageControlWidget::MouseDown, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint p) { Image1MouseDown(b, m, p); });
    connect(Image1, &ImageControlWidget::MouseMove, this,
            [this](Qt::MouseButtons, Qt::KeyboardModifiers, QPoint p) { Image1MouseMove(p); });
    connect(Image1, &ImageControlWidget::MouseUp, this,
            [this](Qt::MouseButton, Qt::KeyboardModifiers, QPoint) { Image1MouseUp(); });
    connect(Image1, &ImageControlWidget::MouseEnter, this, [this] { PointerOverImage = true; });
    connect(Image1, &ImageControlWidget::MouseLeave, this, [this] { PointerOverImage = false; });
    connect(Image1, &QWidget::customContextMenuRequested, this,
            [this](QPoint p) { PopupMenu2->popup(Image1->mapToGlobal(p)); });
    // Colour reduction.
    connect(Button9, &QPushButton::clicked, this, [this] { Button9Click(); });
    connect(Button10, &QPushButton::clicked, this, [this] { Button10Click(); });
    connect(M1, &QAction::triggered, this, [this] { M1Click(); });
    connect(G1, &QAction::triggered, this, [this] { G1Click(); });
    connect(gomitori1, &QAction::triggered, this, [this] { gomitori1Click(); });
    connect(N7, &QAction::triggered, this, [this] { N7Click(); });
    connect(r3, &QAction::triggered, this, [this] { Button10Click(); });
    connect(RadioButton6, &QRadioButton::clicked, this, [this] { RadioButton6Click(); });
    connect(RadioButton7, &QRadioButton::clicked, this, [this] { RadioButton7Click(); });
    connect(RadioButton8, &QRadioButton::clicked, this, [this] { RadioButton8Click(); });
    connect(CheckBox2, &QCheckBox::clicked, this, [this] { CheckBox2Click(); });
    connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
    // The end of a drag reports once more, with the button up: the preview is computed then.
    connect(TrackBar1, &QSlider::sliderReleased, this, [this] { TrackBar1Change(); });
    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    // File.
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    connect(O1, &QAction::triggered, this, [this] { Button5Click(); });
    connect(Button14, &QPushButton::clicked, this, [this] { Button14Click(); });
    connect(N1, &QAction::triggered, this, [this] { Button14Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(tojiru1, &QAction::triggered, this, [this] { Button1Click(); });
    connect(Print, &QAction::triggered, this, [this] { ExpandPanel(CategoryPanel4); });
    // Menu openings and panels.
    connect(f1, &QMenu::aboutToShow, this, [this] { f1Click(); });
    connect(V1, &QMenu::aboutToShow, this, [this] { V1Click(); });
    connect(N2, &QMenu::aboutToShow, this, [this] { N2Click(); });
    connect(C1, &QMenu::aboutToShow, this, [this] { C1Click(); });
    for (CategoryPanel* p :
         {CategoryPanel1, CategoryPanel2, CategoryPanel3, CategoryPanel4, CategoryPanel5}) {
        connect(p, &CategoryPanel::Expanding, this, [this, p] { PanelExpanded(p); });
        connect(p, &CategoryPanel::Collapsing, this, [this, p] { PanelCollapsed(p); });
    }
}

// ---- the window ------------------------------------------------------------------------

QString TForm2::StatusText() const { return statusText_->text(); }

void TForm2::SetStatusText(const QString& text) { statusText_->setText(text); }

void TForm2::ShowMessageText(const QString& text, MessageStyle style) {
    MessageBoxRequest r;
    r.text = text;
    switch (style) {
        case MessageStyle::Plain: r.title = QStringLiteral("Vellumo"); break;
        case MessageStyle::Confirmation:
            r.title = QStringLiteral("確認");
            r.icon = BoxIcon::Question;
            break;
        case MessageStyle::Information:
            r.title = QStringLiteral("情報");
            r.icon = BoxIcon::Information;
            break;
    }
    Ui().ShowMessage(this, r);
}

void TForm2::setVisible(bool visible) {
    // The stored frame is applied before the window is mapped, so that the window system
    // has settled its size by the time the handed-off picture is fitted into it.
    if (visible && firstShow_) LoadSettings();
    QMainWindow::setVisible(visible);
}

void TForm2::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!firstShow_) return;
    firstShow_ = false;
    FormShow();
}

void TForm2::FormShow() {
    // The settings are loaded by then (setVisible).
    for (CategoryPanel* p : {CategoryPanel1, CategoryPanel2, CategoryPanel3, CategoryPanel4})
        CollapsePanel(p);
    ExpandPanel(CategoryPanel5);
    ApplyFramePreset(0);
    Image1->move(0, 0);
    SetStatusText(QString());
    QCoreApplication::postEvent(this, new QEvent(kHandOffEvent));
    SetPictureCommandsEnabled(false);
}

void TForm2::customEvent(QEvent* event) {
    if (event->type() != kHandOffEvent) return QMainWindow::customEvent(event);
    if (!checker_.HandOffFileName.isEmpty()) LoadImage(&checker_);
}

void TForm2::FormActivate() {
    if (FileName2.isEmpty()) {
        UpdateCaption(QString());
    } else {
        ShowImageInfo(1);
    }
}

void TForm2::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        FormActivate();
    } else if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        // The viewer does not go down on its own: the whole program does.
        CloseSettingsDialog();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != this && w->isVisible() && !w->isMinimized() && w->isWindow() &&
                qobject_cast<QMainWindow*>(w))
                w->showMinimized();
    }
}

void TForm2::Button5Click() { LoadImage(Button5); }

void TForm2::Button10Click() { ReloadImage(Button10); }

void TForm2::Button1Click() {
    FileName2.clear();
    close();
}

void TForm2::closeEvent(QCloseEvent* event) {
    if (busy_) {
        // A long command is letting messages run; close when it has finished.
        closeAfterBusy_ = true;
        event->ignore();
        return;
    }
    try {
        FormClose();
    } catch (const Error& e) {
        ShowErrorBox(this, e.what());
    }
    event->accept();
    emit Closed();
}

void TForm2::FormClose() {
    CloseSettingsDialog();
    checker_.HandOffFileName.clear();
    SaveSettings();
}

void TForm2::CloseSettingsDialog() {
    if (settingsDialog_ && settingsDialog_->isVisible()) settingsDialog_->close();
}

void TForm2::Button14Click() {
    if (!settingsDialog_) return;
    if (settingsDialog_->isVisible()) {
        settingsDialog_->close();
        return;
    }
    settingsDialog_->CheckBox1->setChecked(!PrtMs);
    settingsDialog_->CheckBox2->setChecked(Waku);
    settingsDialog_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    settingsDialog_->show();
}

void TForm2::LoadSettings() {
    const ViewerSettings s =
        LoadViewerSettings(Utf8(checker_.SettingsPath()), Utf8(checker_.LastFolder));
    move(s.Left, s.Top);
    resize(s.Width, s.Height);
    if (s.State == 1)
        setWindowState(windowState() | Qt::WindowMinimized);
    else if (s.State == 2)
        setWindowState(windowState() | Qt::WindowMaximized);
    Waku = s.Waku;
    PrtMs = s.PrtMs;
    F_Path2 = QString::fromStdString(s.F_Path2);
    if (settingsDialog_) {
        settingsDialog_->Edit1->setText(F_Path2);
        settingsDialog_->PdfMono->setChecked(s.pdf_typ);
        settingsDialog_->PdfColor->setChecked(!s.pdf_typ);
        settingsDialog_->CheckBox4->setChecked(s.UseGs);
        settingsDialog_->CheckBox4Click();
    }
}

void TForm2::SaveSettings() {
    ViewerSettings s;
    s.State = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    const QRect normal = s.State == 0 ? QRect(pos(), size()) : normalGeometry();
    s.Top = normal.top();
    s.Left = normal.left();
    s.Width = normal.width();
    s.Height = normal.height();
    s.Waku = Waku;
    s.PrtMs = PrtMs;
    SaveViewerSettings(Utf8(checker_.SettingsPath()), s);
    if (s.State == 0 && (s.Top != normal.top() || s.Left != normal.left())) move(s.Left, s.Top);
}

void TForm2::SetPictureCommandsEnabled(bool enabled) {
    for (QAction* a : {S1, Print}) a->setEnabled(enabled);
    for (QMenu* m : {V1, N2, C1}) m->menuAction()->setEnabled(enabled);
    if (enabled) Button8->setEnabled(true);
}

void TForm2::SetToolPanelsEnabled(bool enabled) {
    for (CategoryPanel* p : {CategoryPanel1, CategoryPanel2, CategoryPanel3, CategoryPanel4})
        p->setEnabled(enabled);
}

void TForm2::UpdateCaption(const QString& name) {
    setWindowTitle(QString::fromStdString(
        ViewerCaption(Utf8(name), Utf8(OrgFName), PdfConverted)));
    SetToolPanelsEnabled(!name.isEmpty());
}

bool TForm2::ShowImageInfo(int mode) {
    QString pixelText;
    bool wrote = false;
    if (mode == 1) {
        pixelText = PixelFormatName;
        SetStatusText(QString::fromStdString(ImageInfoText(
            1, Utf8(ImageTypeName), Utf8(PixelFormatName), Resolution.ShownDpi)));
        wrote = true;
    } else if (!Picture.Empty()) {
        pixelText = QString::fromLatin1(BitmapFormatName(Picture.Format()));
        SetStatusText(QString::fromStdString(
            ImageInfoText(2, "Bitmap", Utf8(pixelText), Resolution.ShownDpi)));
        wrote = true;
    }
    BitBtn3->setEnabled(pixelText == QLatin1String("1bit"));
    return wrote;
}

void TForm2::ReadResolution(const QString& path) {
    Resolution = vellumo::ReadResolution(Utf8(path));
    checker_.Values.ShownDpi = Resolution.ShownDpi;
}

// ---- tool panels -----------------------------------------------------------------------

void TForm2::ExpandPanel(CategoryPanel* panel) {
    if (panel->Expanded()) return;
    panel->SetExpanded(true);
    PanelExpanded(panel);
}

void TForm2::CollapsePanel(CategoryPanel* panel) {
    if (!panel->Expanded()) return;
    panel->SetExpanded(false);
    PanelCollapsed(panel);
}

void TForm2::PanelExpanded(CategoryPanel* panel) { ArrangePanels(panel); }

void TForm2::PanelCollapsed(CategoryPanel* panel) {
    if (panel == CategoryPanel2) CategoryPanel2Collapse();
    if (panel == CategoryPanel4) CategoryPanel4Collapse();
}

void TForm2::ArrangePanels(CategoryPanel* expanded) {
    CloseSettingsDialog();
    const std::array<CategoryPanel*, kToolPanelCount> panels = {
        CategoryPanel1, CategoryPanel2, CategoryPanel3, CategoryPanel4, CategoryPanel5};
    std::array<ToolPanelState, kToolPanelCount> states{};
    int index = -1;
    for (int i = 0; i < kToolPanelCount; ++i) {
        states[i] = {panels[i]->ExpandedHeight(), panels[i]->HeaderHeight(), panels[i]->Expanded()};
        if (panels[i] == expanded) index = i;
    }
    const PanelArrangement plan =
        vellumo::ArrangePanels(CategoryPanelGroup1->AvailableHeight(), states, index);
    for (int i = 0; i < kToolPanelCount; ++i)
        if (!plan.expanded[i]) CollapsePanel(panels[i]);
    CategoryPanelGroup1->SetScrollBarShown(plan.scrollBarVisible);
}

void TForm2::f1Click() {
    CollapsePanel(CategoryPanel2);
    CollapsePanel(CategoryPanel3);
    ExpandPanel(CategoryPanel5);
}

void TForm2::V1Click() { ExpandPanel(CategoryPanel1); }

void TForm2::N2Click() {
    ExpandPanel(CategoryPanel2);
    CollapsePanel(CategoryPanel3);
    CollapsePanel(CategoryPanel5);
}

void TForm2::C1Click() {
    CollapsePanel(CategoryPanel2);
    ExpandPanel(CategoryPanel3);
    CollapsePanel(CategoryPanel5);
}

void TForm2::CategoryPanel2Collapse() { SwitchRealTimeOff(); }

void TForm2::CategoryPanel4Collapse() {
    CropMode = false;
    Shape1->hide();
}

void TForm2::ApplyFramePreset(int preset) {
    if (preset == 0) {
        Shape1->hide();
        CropMode = false;
    }
}

void TForm2::InitCropRect() {}

// ---- loading ---------------------------------------------------------------------------

void TForm2::LoadImage(QObject* asker) {
    if (busy_) return;
    CloseSettingsDialog();
    PdfConverted = false;
    ApplyFramePreset(0);
    SwitchRealTimeOff();

    const QString askerName = asker ? asker->objectName() : QString();
    if (asker == &checker_) {
        Ui().ProcessEvents();
        FileName2 = checker_.HandOffFileName;
    } else if (asker == this) {
        FileName2 = DropFname;
    } else if (askerName == QLatin1String("Button10") || askerName == QLatin1String("Button6")) {
        // A reload reads the current file again.
    } else {
        const bool pdf = checker_.GhostscriptAvailable && settingsDialog_ && settingsDialog_->UseGs;
        OpenFileRequest request;
        request.filter = pdf ? QStringLiteral(
                                   "Graphics_files (ALL)|*.bmp;*.jpg;*.jpeg;*.png;*.gif;*.tif;*.tiff;*.pdf;|"
                                   "Tiff,PDF_file (*.tif,*.pdf)|*.bmp;*.tif;*.tiff;*.pdf|"
                                   "すべてのfiles (*.*)|*.*")
                             : QStringLiteral(
                                   "Graphics_files (ALL)|*.bmp;*.jpg;*.jpeg;*.png;*.gif;*.tif;*.tiff|"
                                   "Tiff_file (*.tif)|*.tif;*.tiff|すべてのfiles (*.*)|*.*");
        if (settingsDialog_ && settingsDialog_->CheckBox3->isChecked() && !F_Path2.isEmpty())
            request.folder = F_Path2;
        const std::optional<OpenFileAnswer> answer = Ui().ChooseOpenFile(this, request);
        if (!answer) return;
        FileName2 = answer->path;
    }

    const QFileInfo file(FileName2);
    if (FileName2.isEmpty() || !file.exists() || file.isDir()) {
        ShowMessageText(QString::fromStdString(MissingFileText(Utf8(FileName2))),
                        MessageStyle::Confirmation);
        return;
    }
    if (file.suffix().toLower() == QLatin1String("pdf")) {
        const bool usable =
            checker_.GhostscriptAvailable && settingsDialog_ && settingsDialog_->UseGs != 0;
        if (!usable || !ConvertPdf) {
            ShowMessageText(Q(kPdfUnsupportedText), MessageStyle::Information);
            return;
        }
        OrgFName = FileName2;
        if (!ConvertPdf(*this)) return;
        PdfConverted = true;
    }

    const bool monoDisplay = !settingsDialog_ || settingsDialog_->CheckBox5->isChecked();
    LoadedPicture loaded;
    {
        WaitCursor wait;
        int threshold = kInitialThreshold;
        bool numeric = false;
        const int typed = Edit1->text().trimmed().toInt(&numeric);
        if (numeric) threshold = typed;
        loaded = LoadPicture(Utf8(FileName2), monoDisplay, threshold);
        ImageTypeName = QString::fromStdString(loaded.imageTypeName);
        PixelFormatName = QString::fromStdString(loaded.pixelFormatName);
        Picture = std::move(loaded.picture);
        PictureChanged();
        Resolution = loaded.resolution;
        checker_.Values.ShownDpi = Resolution.ShownDpi;
        FitWhole();
        InitCropRect();
        Button10->setEnabled(false);
        SetPictureCommandsEnabled(true);
    }
    ShowImageInfo(loaded.shownAsMono ? 2 : 1);
    UpdateCaption(FileName2);
}

void TForm2::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm2::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    event->acceptProposedAction();
    if (!paths.isEmpty()) DropFiles(paths);
}

void TForm2::DropFiles(const QStringList& paths) {
    if (paths.size() >= 2) {
        ShowMessageText(QString::fromStdString(TooManyDroppedText(int(paths.size()))),
                        MessageStyle::Plain);
        return;
    }
    if (paths.isEmpty()) return;
    DropFname = paths.front();
    try {
        LoadImage(this);
    } catch (const Error&) {
        throw Error(DecodeErrorText(Utf8(FileName2)));
    }
    UpdateCaption(FileName2);
}

// ---- view ------------------------------------------------------------------------------

QSize TForm2::ControlSize() const { return Image1->size(); }

QPoint TForm2::ScrollPosition() const {
    return {ScrollBox1->horizontalScrollBar()->value(), ScrollBox1->verticalScrollBar()->value()};
}

void TForm2::SetScrollPosition(QPoint position) {
    ScrollBox1->horizontalScrollBar()->setValue(position.x());
    ScrollBox1->verticalScrollBar()->setValue(position.y());
}

void TForm2::SetControlSize(int width, int height) { Image1->resize(width, height); }

void TForm2::PictureChanged() { Image1->SetPicture(Picture.Empty() ? nullptr : &Picture); }

void TForm2::ZoomAt(int x, int y, double newScale) {
    const QPoint shown = Image1->mapTo(ScrollBox1->viewport(), QPoint(x, y));
    const ZoomPlacement z = vellumo::ZoomAt(x, y, ViewScale, newScale, shown.x(), shown.y(),
                                            Picture.Width(), Picture.Height());
    SetControlSize(z.width, z.height);
    SetScrollPosition({z.scrollX, z.scrollY});
    ViewScale = newScale;
}

void TForm2::FitWhole() {
    if (Picture.Empty()) return;
    const QSize client = ScrollBox1->viewport()->size();
    ViewScale = FitScale(client.width(), client.height(), Picture.Width(), Picture.Height());
    SetControlSize(TruncatedSide(Picture.Width(), ViewScale),
                   TruncatedSide(Picture.Height(), ViewScale));
}

void TForm2::ZoomAboutCentre(double newScale) {
    if (Picture.Empty()) return;
    const QSize client = ScrollBox1->viewport()->size();
    const QPoint centre(RoundedSide(uint32_t(client.width()), 0.5),
                        RoundedSide(uint32_t(client.height()), 0.5));
    const QPoint anchor = Image1->mapFrom(ScrollBox1->viewport(), centre);
    ZoomAt(anchor.x(), anchor.y(), newScale);
}

double TForm2::ScreenDpi() const {
    if (screenDpi_) return *screenDpi_;
    const QScreen* s = screen();
    if (!s) return vellumo::ScreenDpi(0, 0);
    return vellumo::ScreenDpi(s->geometry().width(), s->physicalSize().width());
}

void TForm2::DeviceSize() { ZoomAboutCentre(DeviceScale(ScreenDpi(), Resolution.DpiX, 1.0)); }

void TForm2::PixelSize() { ZoomAboutCentre(1.0); }

void TForm2::DoubleSize() { ZoomAboutCentre(DeviceScale(ScreenDpi(), Resolution.DpiX, 2.0)); }

bool TForm2::FormMouseWheel(int delta, Qt::KeyboardModifiers modifiers, QPoint pointer) {
    if (!PointerOverImage || (modifiers & (Qt::ShiftModifier | Qt::ControlModifier))) return false;
    const std::optional<double> next = WheelZoomScale(ViewScale, delta);
    if (next && !Picture.Empty()) ZoomAt(pointer.x(), pointer.y(), *next);
    return true;
}

bool TForm2::FormMouseWheelScroll(bool down, Qt::KeyboardModifiers modifiers) {
    if (!PointerOverImage) return false;
    const int step = down ? kWheelScrollStep : -kWheelScrollStep;
    QScrollBar* bar = (modifiers & Qt::ControlModifier) ? ScrollBox1->horizontalScrollBar()
                                                        : ScrollBox1->verticalScrollBar();
    bar->setValue(bar->value() + step);
    return true;
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel && (watched == Image1 || watched == ScrollBox1->viewport())) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        const int delta = wheel->angleDelta().y() != 0 ? wheel->angleDelta().y()
                                                       : wheel->angleDelta().x();
        const QPoint pointer = Image1->mapFromGlobal(wheel->globalPosition().toPoint());
        if (!FormMouseWheel(delta, wheel->modifiers(), pointer) && delta != 0)
            FormMouseWheelScroll(delta < 0, wheel->modifiers());
        // The scroll box never scrolls by the wheel on its own.
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress && watched == Button3) {
        // The press runs before the click: a left click shows true size twice.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton)
            PixelSize();
        else
            DeviceSize();
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress && watched == BitBtn3) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (BitBtn3->isEnabled()) BitBtn3MouseDown(mouse->button());
        return mouse->button() != Qt::LeftButton;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm2::Image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos) {
    if (button == Qt::RightButton) return;
    if (modifiers & Qt::AltModifier) {
        if (!Magnified) {
            savedControlSize_ = ControlSize();
            savedScroll_ = ScrollPosition();
            savedScale_ = ViewScale;
            const QPoint onScreen = Image1->mapToGlobal(pos);
            ShowMessageText(QStringLiteral("デスクトップ上 X:%1,Y:%2\nImage1上で　X:%3,Y:%4")
                                .arg(onScreen.x())
                                .arg(onScreen.y())
                                .arg(pos.x())
                                .arg(pos.y()),
                            MessageStyle::Plain);
            ZoomAt(pos.x(), pos.y(), 2.0);
            Magnified = true;
        } else {
            SetControlSize(savedControlSize_.width(), savedControlSize_.height());
            SetScrollPosition(savedScroll_);
            // The scale goes back with the size, so the next zoom starts from what is shown.
            ViewScale = savedScale_;
            Magnified = false;
        }
        return;
    }
    Dragging = true;
    DragStart = pos;
}

void TForm2::Image1MouseMove(QPoint pos) {
    if (!Dragging) return;
    const QSize control = ControlSize();
    if (control.width() > ScrollBox1->width() || control.height() > ScrollBox1->height())
        Image1->setCursor(Qt::SizeAllCursor);
    const QPoint scroll = ScrollPosition();
    SetScrollPosition({scroll.x() + DragStart.x() - pos.x(), scroll.y() + DragStart.y() - pos.y()});
}

void TForm2::Image1MouseUp() {
    Dragging = false;
    Image1->unsetCursor();
}

void TForm2::RotateLeft() {
    if (Picture.Empty() || busy_) return;
    WaitCursor wait;
    Picture = vellumo::RotateLeft(Picture);
    PictureChanged();
    SetControlSize(RoundedSide(Picture.Width(), ViewScale), RoundedSide(Picture.Height(), ViewScale));
}

void TForm2::RotateRight() {
    if (Picture.Empty() || busy_) return;
    WaitCursor wait;
    Picture = vellumo::RotateRight(Picture);
    PictureChanged();
    SetControlSize(RoundedSide(Picture.Width(), ViewScale), RoundedSide(Picture.Height(), ViewScale));
}

// ---- colour reduction ------------------------------------------------------------------

void TForm2::UpdateThresholdControls() {
    bool enabled;
    if (RadioButton6->isChecked())
        enabled = true;
    else if (RadioButton7->isChecked())
        enabled = false;
    else
        return;
    for (QWidget* w : std::initializer_list<QWidget*>{Label4, Label5, Label6, Label7, Edit1,
                                                      TrackBar1, CheckBox2})
        w->setEnabled(enabled);
}

void TForm2::RadioButton6Click() { UpdateThresholdControls(); }

void TForm2::RadioButton7Click() {
    SwitchRealTimeOff();
    UpdateThresholdControls();
}

void TForm2::RadioButton8Click() { SwitchRealTimeOff(); }

void TForm2::SwitchRealTimeOff() {
    CheckBox2->setChecked(false);
    Image2 = Bitmap();
}

void TForm2::ThresholdToMono(int a) {
    Picture = vellumo::ThresholdToMono(CheckBox2->isChecked() ? Image2 : Picture, a);
    vellumo::SetMonoColorTable(Picture, RgbQuad{});
    PictureChanged();
}

void TForm2::ExecuteReduction() {
    if (busy_) return;
    Button9->setEnabled(false);
    struct Restore {
        TForm2& form;
        ~Restore() {
            form.ShowImageInfo(2);
            form.Button9->setEnabled(true);
        }
    } restore{*this};
    WaitCursor wait;
    if (!ShowImageInfo(2)) {
        ShowMessageText(Q(kUnprocessableFormatText), MessageStyle::Plain);
        return;
    }
    if (RadioButton6->isChecked()) {
        if (ThresholdRefusal(Picture)) {
            ShowMessageText(Q(kAlreadyMonoText), MessageStyle::Plain);
            return;
        }
        if (CheckBox2->isChecked()) return;
        // Beyond 0 to 255 only the side matters; the bound keeps 255 − t in range.
        const int t = std::clamp(IntegerOfText(Edit1->text()), -100000, 100000);
        ThresholdToMono(255 - t);
    } else if (RadioButton7->isChecked()) {
        Picture = ConvertToGray8(Picture);
        PictureChanged();
    } else if (RadioButton8->isChecked()) {
        DespeckleCommand();
    }
    Image1->update();
    Button10->setEnabled(true);
}

void TForm2::DespeckleCommand() {
    const bool progress = DespeckleShowsProgress(Picture.Height());
    struct HideProgress {
        TForm2& form;
        ~HideProgress() {
            form.ProgressBar1->hide();
            form.statusText_->setContentsMargins(0, 0, 0, 0);
        }
    } hide{*this};
    if (progress) {
        ProgressBar1->setGeometry(5, 3, 165, StatusBar1->height() - 5);
        ProgressBar1->setRange(0, int(Picture.Height()) - 1);
        ProgressBar1->setValue(0);
        ProgressBar1->show();
        ProgressBar1->raise();
        // The text stands beside the bar rather than under it.
        statusText_->setContentsMargins(175, 0, 0, 0);
        SetStatusText(Q(kDespeckleProgressText));
    }
    Bitmap result;
    {
        BusyScope busy(busy_);
        result = DespeckleBitmap(
            Picture, kDespeckleStrength,
            [this](uint32_t row) { ProgressBar1->setValue(int(row)); },
            // Repaints and the bar run; clicks and keys wait, so nothing changes the
            // picture under the filter.
            [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
    }
    Picture = std::move(result);
    PictureChanged();
    if (closeAfterBusy_) {
        closeAfterBusy_ = false;
        QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
    }
}

void TForm2::M1Click() {
    if (!RadioButton6->isChecked()) {
        RadioButton6->setChecked(true);
        RadioButton6Click();
    }
    ExecuteReduction();
}

void TForm2::G1Click() {
    if (!RadioButton7->isChecked()) {
        RadioButton7->setChecked(true);
        RadioButton7Click();
    }
    ExecuteReduction();
}

void TForm2::gomitori1Click() {
    if (!RadioButton8->isChecked()) {
        RadioButton8->setChecked(true);
        RadioButton8Click();
    }
    SwitchRealTimeOff();
    ExecuteReduction();
}

void TForm2::N7Click() {
    if (Picture.Empty() || busy_) return;
    if (const auto refusal = DitherRefusal(Picture)) {
        ShowMessageText(Q(*refusal), MessageStyle::Plain);
        return;
    }
    WaitCursor wait;
    Picture = DitherToMono(Picture);
    PictureChanged();
    Button10->setEnabled(true);
    ShowImageInfo(2);
}

void TForm2::CheckBox2Click() {
    if (!CheckBox2->isChecked()) {
        Image2 = Bitmap();
        return;
    }
    if (Picture.Empty() || busy_) {
        SwitchRealTimeOff();
        return;
    }
    if (ThresholdRefusal(Picture)) {
        ShowMessageText(Q(kAlreadyMonoText), MessageStyle::Plain);
        ShowImageInfo(2);
        SwitchRealTimeOff();
        return;
    }
    WaitCursor wait;
    Image2 = ConvertToGray8(Picture);  // leaves the picture itself in 24 bits, same look
    PictureChanged();
}

void TForm2::TrackBar1Change() {
    if (!editDriving_) Edit1->setText(QString::number(TrackBar1->value()));
    if (RadioButton6->isChecked()) {
        if (!CheckBox2->isChecked()) return;
        if (!LeftButtonHeld() && !Image2.Empty() && !busy_) {
            WaitCursor wait;
            const int t = std::clamp(IntegerOfText(Edit1->text()), -100000, 100000);
            ThresholdToMono(255 - t);
        }
    }
    if (!Picture.Empty()) ShowImageInfo(2);
    Button10->setEnabled(true);
}

void TForm2::Edit1Change() {
    const QString text = Edit1->text();
    if (text.isEmpty()) return;
    bool ok = false;
    const long long value = text.trimmed().toLongLong(&ok);
    // A text that is not a whole number moves nothing here; 実行 reports it.
    if (!ok || value < 0) return;
    editDriving_ = true;
    TrackBar1->setValue(int(std::min<long long>(value, 255)));
    editDriving_ = false;
}

void TForm2::BitBtn3MouseDown(Qt::MouseButton button) {
    if (const auto refusal = InkColorRefusal(Picture)) {
        ShowMessageText(Q(*refusal), MessageStyle::Plain);
        return;
    }
    SwitchRealTimeOff();
    if (button == Qt::LeftButton) {
        const std::optional<QColor> chosen =
            Ui().ChooseColor(this, QColor(InkColor.r, InkColor.g, InkColor.b));
        if (!chosen) return;
        InkColor = RgbQuad{uint8_t(chosen->blue()), uint8_t(chosen->green()),
                           uint8_t(chosen->red()), 0};
    } else if (button == Qt::RightButton) {
        InkColor = RgbQuad{};
    } else {
        return;  // no ink colour belongs to the other buttons
    }
    QPalette p = BitBtn3->palette();
    p.setColor(QPalette::ButtonText, QColor(InkColor.r, InkColor.g, InkColor.b));
    BitBtn3->setPalette(p);
    SetMonoColorTable(InkColor);
    StatusBar1->setFocus();
}

void TForm2::SetMonoColorTable(RgbQuad ink) {
    vellumo::SetMonoColorTable(Picture, ink);
    PictureChanged();
}

void TForm2::ReloadImage(QObject* button) {
    if (busy_) return;
    if (button == Button10) {
        SwitchRealTimeOff();
        TrackBar1->setValue(128);
        Button10->setEnabled(false);
    } else {
        Shape1->hide();
    }
    Ui().ProcessEvents();
    LoadImage(button);
}

}  // namespace vellumo

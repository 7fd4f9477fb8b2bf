#include "ui/checker/TForm1.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "inspect/ImageType.h"
#include "platform/Error.h"
#include "settings/SettingsFile.h"
#include "ui/app/DroppedFiles.h"
#include "ui/app/Guarded.h"
#include "ui/app/NamedWidgets.h"
#include "ui/app/ProgramForms.h"
#include "ui/app/Session.h"
#include "ui/app/TAboutBox.h"
#include "ui/app/UiServices.h"
#include "ui/app/WindowPlace.h"
#include "ui/settings/TForm3.h"

namespace vellumo {

namespace {

constexpr int kMaxFilesAtOnce = 10;
const QColor kStayOnTopStrip(255, 255, 204);

std::string Utf8(const QString& s) { return s.toStdString(); }

}  // namespace

void ReportMemo::mouseDoubleClickEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseDoubleClickEvent(event);
    emit DoubleClicked();
}

/// The report side of the checker window, as the report driver writes to it.
class Memo1ReportView : public ReportView {
  public:
    Memo1ReportView(ReportMemo& memo, QStatusBar& status) : memo_(memo), status_(status) {}
    void AppendLine(std::string_view text) override {
        QString line = QString::fromUtf8(text.data(), qsizetype(text.size()));
        line.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        memo_.appendPlainText(line);
    }
    bool ShowingUsage() const override { return usage_; }
    void BeginReports() override {
        memo_.clear();
        SetUsage(false);
    }
    void SetStatus(std::string_view text) override {
        status_.showMessage(QString::fromUtf8(text.data(), qsizetype(text.size())));
    }
    void FocusReport() override { memo_.setFocus(); }

    void SetUsage(bool on) {
        usage_ = on;
        QPalette p = memo_.palette();
        const QPalette app = QApplication::palette();
        p.setColor(QPalette::Base,
                   on ? app.color(QPalette::ToolTipBase) : app.color(QPalette::Base));
        memo_.setPalette(p);
    }

  private:
    ReportMemo& memo_;
    QStatusBar& status_;
    bool usage_ = true;
};

QStringList TForm1::UsageText() {
    return {
        QString(),
        QStringLiteral("　【使い方】"),
        QStringLiteral("　このフォーム上に画像ファイルをポトリと落とす。"),
        QStringLiteral("　又は、開くボタンからデータを開く。"),
        QStringLiteral("　終了は、「閉じる」又は、右上の「×」ボタン。"),
        QString(),
        QStringLiteral("　「図面のチェック」にチェックを入れると、"),
        QStringLiteral("　オンライン申請用に作成された「TIFFファイル」の"),
        QStringLiteral("　仕様をチェックします。"),
        QString(),
        QStringLiteral("　フォント変更は、この画面をダブルクリック。"),
        QStringLiteral("　Ｄ＆Ｄは、１０ファイルまで。"),
    };
}

TForm1::TForm1(Session& session, QStringList commandLineFiles, QWidget* parent)
    : QMainWindow(parent), session_(session), commandLineFiles_(std::move(commandLineFiles)) {
    setObjectName(QStringLiteral("Form1"));
    MarkProgramForm(this);
    // Resizable and minimizable, but never maximized.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setMinimumSize(360, 220);
    BuildControls();
    FormCreate();
    // A drawing the viewer saved gets its report block as a file dropped here would.
    connect(&session_, &Session::DrawingSaved, this,
            Guarded(this, [this](const QString& path) { CheckList({path}); }));
}

TForm1::~TForm1() = default;

void TForm1::BuildControls() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Panel1 = new QFrame(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(55);
    // The strip paints its own colour, so that the stay-on-top yellow shows.
    Panel1->setAutoFillBackground(true);
    column->addWidget(Panel1);

    Button1 = NamedButton(Panel1, "Button1", QStringLiteral("開く"), QRect(6, 4, 60, 25));
    Button2 = NamedButton(Panel1, "Button2", QStringLiteral("クリアー"), QRect(70, 4, 60, 25));
    Button3 = NamedButton(Panel1, "Button3", QStringLiteral("閉じる"), QRect(134, 4, 60, 25));
    Button4 = NamedButton(Panel1, "Button4", QStringLiteral("Ｖiewer"), QRect(198, 4, 68, 25));
    Button4->setToolTip(QStringLiteral("画像の状態確認・図面の印刷など"));

    SpeedButton1 = new QToolButton(Panel1);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("?"));
    SpeedButton1->setToolTip(QStringLiteral("About"));
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setGeometry(272, 4, 25, 25);
    QFont bold = SpeedButton1->font();
    bold.setBold(true);
    SpeedButton1->setFont(bold);
    SpeedButton1->setStyleSheet(QStringLiteral("color: navy;"));

    CheckBox1 =
        NamedCheck(Panel1, "CheckBox1", QStringLiteral("最前面に固定"), QRect(6, 33, 110, 19));
    CheckBox2 =
        NamedCheck(Panel1, "CheckBox2", QStringLiteral("図面のチェック"), QRect(120, 33, 120, 19));
    CheckBox3 =
        NamedCheck(Panel1, "CheckBox3", QStringLiteral("Pathも表示"), QRect(244, 33, 100, 19));
    CheckBox2->setChecked(true);

    Memo1 = new ReportMemo(central);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    column->addWidget(Memo1, 1);
    setCentralWidget(central);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(true);
    setStatusBar(StatusBar1);

    view_ = std::make_unique<Memo1ReportView>(*Memo1, *StatusBar1);

    connect(Button1, &QPushButton::clicked, this, Guarded(this, [this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, Guarded(this, [this] { Button2Click(); }));
    connect(Button3, &QPushButton::clicked, this, Guarded(this, [this] { Button3Click(); }));
    connect(Button4, &QPushButton::clicked, this, Guarded(this, [this] { Button4Click(); }));
    connect(SpeedButton1, &QToolButton::clicked, this,
            Guarded(this, [this] { SpeedButton1Click(); }));
    connect(CheckBox1, &QCheckBox::toggled, this, Guarded(this, [this] { CheckBox1Click(); }));
    connect(Memo1, &ReportMemo::DoubleClicked, this, Guarded(this, [this] { Memo1DblClick(); }));
}

bool TForm1::ShowingUsage() const { return view_->ShowingUsage(); }

void TForm1::FormCreate() {
    // The settings come first; setting CheckBox1 takes effect at once through its handler.
    ApplySettings(LoadCheckerSettings(Utf8(session_.SettingsPath())));
    setAcceptDrops(true);
    setWindowTitle(QStringLiteral("Pelmora Vellumo ") + session_.AboutmesVer);
    session_.CheckedFileName.clear();
    session_.HandOffFileName.clear();
    ShowUsage();
    updateActions();
}

void TForm1::updateActions() {
    for (QWidget* control :
         std::initializer_list<QWidget*>{Button1, Button2, Button3, Button4, SpeedButton1,
                                         CheckBox1, CheckBox2, CheckBox3, Memo1})
        control->setEnabled(true);
}

void TForm1::ShowUsage() {
    Memo1->setPlainText(UsageText().join(QLatin1Char('\n')));
    view_->SetUsage(true);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        // After the window is on screen, so that messages of the checks appear over it.
        QMetaObject::invokeMethod(this, Guarded(this, [this] { FormShow(); }),
                                  Qt::QueuedConnection);
    }
}

void TForm1::FormShow() {
    // The settings dialog follows the result through the session.
    session_.SearchGhostscript();
    CheckList(commandLineFiles_);
    startChecked_ = true;
    CheckWaitingFiles();
}

void TForm1::ReceiveFiles(const QStringList& paths) {
    waitingFiles_.append(paths);
    CheckWaitingFiles();
}

void TForm1::CheckWaitingFiles() {
    // Before the start's own files, FormShow comes back here.
    if (waitingFiles_.isEmpty() || !startChecked_) return;
    QWidget* modal = QApplication::activeModalWidget();
    if (modal || viewerOpen_ || listsBeingChecked_ > 0) {
        // The window in the way is the one the user sees; its end brings the files back
        // here, as the end of the list check and the viewer's close do.
        if (modal) {
            modal->raise();
            modal->activateWindow();
            WatchModal(modal);
        }
        return;
    }
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    DropFiles(waitingFiles_.takeFirst());
    CheckWaitingFiles();
}

void TForm1::WatchModal(QWidget* modal) {
    if (watchedModal_ == modal) return;
    if (watchedModal_) {
        watchedModal_->removeEventFilter(this);
        disconnect(watchedModal_, &QObject::destroyed, this, &TForm1::ModalEnded);
    }
    watchedModal_ = modal;
    modal->installEventFilter(this);
    // A box deleted while shown gives no hide event.
    connect(modal, &QObject::destroyed, this, &TForm1::ModalEnded, Qt::UniqueConnection);
}

void TForm1::ModalEnded() {
    if (watchedModal_) {
        watchedModal_->removeEventFilter(this);
        disconnect(watchedModal_, &QObject::destroyed, this, &TForm1::ModalEnded);
    }
    watchedModal_ = nullptr;
    // Once the box has left the modal stack and the code that showed it has gone on.
    QMetaObject::invokeMethod(this, Guarded(this, [this] { CheckWaitingFiles(); }),
                              Qt::QueuedConnection);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedModal_ && event->type() == QEvent::Hide) ModalEnded();
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::CheckFile(const QString& path) {
    CheckOptions options;
    options.drawingCheck = CheckBox2->isChecked();
    options.showPath = CheckBox3->isChecked();
    options.ghostscriptAvailable = session_.GhostscriptAvailable;
    try {
        const CheckResult result = vellumo::CheckFile(Utf8(path), options, *view_);
        session_.LastInfo = result.info;
    } catch (const Error&) {
        // The kept header facts are what the header readers found before they failed.
        ImageInfo partial;
        try {
            ReadImageInfo(Utf8(path), session_.GhostscriptAvailable, partial);
        } catch (const Error&) {
        }
        session_.LastInfo = partial;
        throw;
    }
}

void TForm1::CheckList(const QStringList& paths) {
    {
        // Files received while a list is checked (also one dropped during another's
        // repaints) wait for the end of the outermost.
        struct Checking {
            int& depth;
            explicit Checking(int& d) : depth(d) { ++depth; }
            ~Checking() { --depth; }
        } checking(listsBeingChecked_);
        CheckEach(paths);
    }
    if (listsBeingChecked_ == 0) CheckWaitingFiles();
}

void TForm1::CheckEach(const QStringList& paths) {
    int checked = 0;
    for (const QString& path : paths) {
        if (checked == kMaxFilesAtOnce) {
            ShowTooMany();
            return;
        }
        ++checked;
        session_.CheckedFileName = path;
        try {
            CheckFile(path);
        } catch (const Error& e) {
            ShowErrorBox(this, e.what());
            return;
        }
        // The report repaints between files.
        Ui().ProcessEvents();
    }
}

void TForm1::ShowTooMany() {
    MessageBoxRequest r;
    r.title = QStringLiteral("　Vellumo Information　　　　　　　");
    r.text = QStringLiteral("　ドロップファイル多すぎ！　　\n　１０個で止めときますね。");
    r.icon = BoxIcon::Warning;
    r.stayOnTop = true;
    Ui().ShowMessage(this, r);
}

void TForm1::DropFiles(const QStringList& paths) {
    QStringList files;
    for (const QString& p : paths) {
        const QFileInfo info(p);
        if (p.isEmpty() || info.isDir()) continue;
        files << p;
    }
    CheckList(files);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QStringList paths = DroppedLocalFiles(*event->mimeData());
    event->acceptProposedAction();
    RunGuarded(this, [&] { DropFiles(paths); });
}

void TForm1::CloseAboutBox() {
    if (aboutBox_ && aboutBox_->isVisible()) aboutBox_->close();
}

QString CheckerOpenFilter(bool ghostscriptAvailable) {
    return ghostscriptAvailable
               ? QStringLiteral(
                     "Graphics_files (ALL)|*.bmp;*.jpg;*.jpeg;*.png;*.gif;*.tif;*.tiff;*.pdf;"
                     "|Tiff,PDF_file (*.tif,*.pdf)|*.bmp;*.tif;*.tiff;*.pdf"
                     "|すべてのfiles (*.*)|*.*")
               : QStringLiteral(
                     "Graphics_files (ALL)|*.bmp;*.jpg;*.jpeg;*.png;*.gif;*.tif;*.tiff"
                     "|Tiff_file (*.tif)|*.tif;*.tiff|すべてのfiles (*.*)|*.*");
}

void TForm1::Button1Click() {
    CloseAboutBox();
    OpenFileRequest request;
    request.folder = session_.LastFolder;
    request.filter = CheckerOpenFilter(session_.GhostscriptAvailable);
    request.filterIndex = openFilterIndex_;
    const auto answer = Ui().ChooseOpenFile(this, request);
    if (!answer) return;
    openFilterIndex_ = answer->filterIndex;
    StatusBar1->clearMessage();
    session_.CheckedFileName = answer->path;
    QString folder = QFileInfo(answer->path).absolutePath();
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
    session_.LastFolder = folder;
    Ui().ProcessEvents();
    try {
        CheckFile(session_.CheckedFileName);
    } catch (const Error& e) {
        ShowErrorBox(this, e.what());
    }
}

void TForm1::Button2Click() {
    CloseAboutBox();
    Memo1->clear();
    StatusBar1->clearMessage();
    session_.CheckedFileName.clear();
    ShowUsage();
}

void TForm1::Button3Click() {
    CloseAboutBox();
    close();
}

void TForm1::Button4Click() {
    CloseAboutBox();
    if (session_.CheckedFileName.isEmpty()) session_.LastInfo.extensionMatches = true;
    if (session_.LastInfo.typeCode == kTypeUnknown || !session_.LastInfo.extensionMatches) {
        MessageBoxRequest r;
        r.title = QStringLiteral("Vellumo Information");
        r.text = QStringLiteral(
            "未対応ファイル又は拡張子が間違っています。\n　画像を表示できません。　");
        r.icon = BoxIcon::Warning;
        Ui().ShowMessage(this, r);
        session_.LastInfo.typeCode = kTypeNone;
        session_.LastInfo.typeName.clear();
        session_.CheckedFileName.clear();
        return;
    }
    session_.HandOffFileName = session_.CheckedFileName;
    if (!viewerOpener_) return;
    showMinimized();
    viewerOpen_ = true;
    try {
        viewerOpener_(session_);
    } catch (const Error& e) {
        ShowErrorBox(this, e.what());
    }
    viewerOpen_ = false;
    showNormal();
    Memo1->setFocus();
    CheckWaitingFiles();
}

void TForm1::CheckBox1Click() {
    const bool on = CheckBox1->isChecked();
    SetStaysOnTop(*this, on);
    QPalette p = Panel1->palette();
    p.setColor(QPalette::Window,
               on ? kStayOnTopStrip : QApplication::palette().color(QPalette::Button));
    Panel1->setPalette(p);
}

void TForm1::ApplySettings(const CheckerSettings& s) {
    // No range check beyond what the settings file applies: the window goes where it was.
    // The position is that of the frame, the size that of the window, as saved.
    move(s.Left, s.Top);
    resize(s.Width, s.Height);
    session_.LastFolder = QString::fromStdString(s.F_Path);
    CheckBox1->setChecked(s.TopMost);
    CheckBox1Click();  // also when the box did not change: the strip colour follows it
    CheckBox2->setChecked(s.Vellumo);
    CheckBox3->setChecked(s.DataPath);
    session_.GsDir = QString::fromStdString(s.GsDir);
    // Colour, name and size first, style last.
    const RgbColor c = FontColorRgb(s.FontColor);
    QPalette p = Memo1->palette();
    p.setColor(QPalette::Text, QColor(c.r, c.g, c.b));
    Memo1->setPalette(p);
    QFont font(QString::fromStdString(s.FontName));
    font.setPointSize(s.FontSize > 0 ? s.FontSize : 9);
    font.setStyleHint(QFont::TypeWriter);
    font.setBold(s.FontStyle & kFontBold);
    font.setItalic(s.FontStyle & kFontItalic);
    font.setUnderline(s.FontStyle & kFontUnderline);
    font.setStrikeOut(s.FontStyle & kFontStrikeOut);
    Memo1->setFont(font);
}

CheckerSettings TForm1::CollectSettings() const {
    CheckerSettings s;
    // Whatever the window state; Qt keeps a minimized window's normal place.
    s.Top = pos().y();
    s.Left = pos().x();
    s.Width = width();
    s.Height = height();
    s.F_Path = Utf8(session_.LastFolder);
    s.TopMost = CheckBox1->isChecked();
    s.Vellumo = CheckBox2->isChecked();
    s.DataPath = CheckBox3->isChecked();
    s.GsDir = Utf8(session_.GsDir);
    const QFont font = Memo1->font();
    s.FontStyle = (font.bold() ? kFontBold : 0) | (font.italic() ? kFontItalic : 0) |
                  (font.underline() ? kFontUnderline : 0) | (font.strikeOut() ? kFontStrikeOut : 0);
    const QColor c = ReportFontColor();
    s.FontColor = FontColorText(RgbColor{uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue())});
    s.FontName = Utf8(font.family());
    s.FontSize = font.pointSize() > 0 ? font.pointSize() : 9;
    return s;
}

QColor TForm1::ReportFontColor() const { return Memo1->palette().color(QPalette::Text); }

void TForm1::Memo1DblClick() {
    const auto choice = Ui().ChooseFont(this, FontChoice{Memo1->font(), ReportFontColor()});
    if (!choice) return;
    Memo1->setFont(choice->font);
    QPalette p = Memo1->palette();
    p.setColor(QPalette::Text, choice->color);
    Memo1->setPalette(p);
}

void TForm1::SpeedButton1Click() {
    if (!aboutBox_) return;
    if (aboutBox_->isVisible()) {
        aboutBox_->close();
        return;
    }
    // Above the checker also while the checker stays above all other windows.
    SetStaysOnTop(*aboutBox_, CheckBox1->isChecked());
    MoveFrameTo(*aboutBox_, frameGeometry().topLeft() + QPoint(70, 70));
    aboutBox_->show();
}

void TForm1::FormClose() {
    try {
        SaveCheckerSettings(Utf8(session_.SettingsPath()), CollectSettings());
    } catch (const Error&) {
        MessageBoxRequest r;
        r.text = QStringLiteral("ネットワーク上で起動した？");
        Ui().ShowMessage(this, r);
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    RunGuarded(this, [this] {
        FormClose();
        CloseAboutBox();
        if (settingsDialog_ && settingsDialog_->isVisible()) settingsDialog_->close();
    });
    event->accept();
    QMainWindow::closeEvent(event);
}

}  // namespace vellumo

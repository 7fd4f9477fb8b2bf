// The viewer window's events, its tool column, its settings, and the load of a file.

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
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
#include <QStyle>
#include <QToolButton>
#include <QWheelEvent>
#include <climits>
#include <exception>
#include <new>

#include "document/ArrangePanels.h"
#include "document/LoadPicture.h"
#include "document/ViewScaling.h"
#include "document/ViewerTexts.h"
#include "imaging/Despeckle.h"
#include "imaging/Dither.h"
#include "imaging/Gray.h"
#include "imaging/ReductionMessages.h"
#include "imaging/Rotate.h"
#include "imaging/Threshold.h"
#include "platform/Error.h"
#include "platform/ImageDecoder.h"
#include "print/PrinterBackend.h"
#include "settings/SettingsFile.h"
#include "ui/app/DroppedFiles.h"
#include "ui/app/Guarded.h"
#include "ui/app/ProgramForms.h"
#include "ui/app/Session.h"
#include "ui/app/UiServices.h"
#include "ui/app/WaitCursor.h"
#include "ui/settings/TForm3.h"
#include "ui/viewer/CategoryPanelWidget.h"
#include "ui/viewer/DrawingPanel.h"
#include "ui/viewer/FrameTrackerWidget.h"
#include "ui/viewer/ImageControlWidget.h"
#include "ui/viewer/TForm2.h"
#include "ui/viewer/TForm2Support.h"

namespace vellumo {

namespace {

/// The private message the window posts to itself at show to start loading the handed-off
/// file once it is on screen.
const QEvent::Type kHandOffEvent = QEvent::Type(QEvent::User + 1025);

}  // namespace

// ---- the window ------------------------------------------------------------------------

QString TForm2::StatusText() const { return statusText_->text(); }

void TForm2::SetStatusText(const QString& text) { statusText_->setText(text); }

void TForm2::ShowMessageText(const QString& text, MessageStyle style) {
    MessageBoxRequest r;
    r.text = text;
    switch (style) {
        case MessageStyle::Plain:
            r.title = QStringLiteral("Vellumo");
            break;
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
    if (visible && firstShow_) RunGuarded(this, [this] { LoadSettings(); });
    QMainWindow::setVisible(visible);
}

void TForm2::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!firstShow_) return;
    firstShow_ = false;
    RunGuarded(this, [this] { FormShow(); });
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
    // A window is active as soon as it is shown, before its posted load runs. The window
    // system's own activation may come later, after the load, where it would put the
    // decoder's names over the status of a picture shown in one bit: it is this same
    // activation, so it is taken here.
    FormActivate();
    activeBefore_ = nullptr;
}

void TForm2::customEvent(QEvent* event) {
    if (event->type() != kHandOffEvent) return QMainWindow::customEvent(event);
    RunGuarded(this, [this] {
        if (!session_.HandOffFileName.isEmpty()) LoadImage(&session_);
    });
}

void TForm2::FormActivate() {
    if (document_.FileName2().empty()) {
        UpdateCaption(QString());
    } else {
        ShowImageInfo(1);
        // Printer names are long: the printer list opens twice as wide as the paper list.
        ComboBox2->view()->setMinimumWidth(2 * ComboBox1->width());
    }
}

void TForm2::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    RunGuarded(this, [&] {
        if (event->type() == QEvent::ActivationChange) {
            if (!isActiveWindow()) {
                // Whatever takes the activation: a window of the program, a dialog or
                // message box, or none when another program does.
                activeBefore_ = QApplication::activeWindow();
                return;
            }
            // The form activation is the viewer's becoming the active one of the program's
            // own windows; the return from a common dialog, a message box or another
            // program leaves the status as the command or the load left it.
            const bool fromProgramForm = IsProgramForm(activeBefore_);
            activeBefore_ = nullptr;
            if (fromProgramForm) FormActivate();
        } else if (event->type() == QEvent::WindowStateChange && isMinimized()) {
            // The viewer does not go down on its own: the whole program does.
            CloseSettingsDialog();
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w != this && w->isVisible() && !w->isMinimized() && w->isWindow() &&
                    qobject_cast<QMainWindow*>(w))
                    w->showMinimized();
        }
    });
}

void TForm2::Button5Click() { LoadImage(Button5); }

void TForm2::Button10Click() { ReloadImage(Button10); }

void TForm2::Button1Click() {
    document_.SetFileName2({});
    close();
}

void TForm2::closeEvent(QCloseEvent* event) {
    if (busy_) {
        // A long command is letting messages run; close when it has finished, at once for
        // a PDF conversion, which the close ends.
        closeAfterBusy_ = true;
        if (converter_) CancelPdfConversion();
        event->ignore();
        return;
    }
    // A file being written from the picture is finished first.
    RunGuarded(this, [this] { WaitForPictureWrite(); });
    RunGuarded(this, [this] { FormClose(); });
    event->accept();
    emit Closed();
}

void TForm2::FormClose() {
    CloseSettingsDialog();
    session_.HandOffFileName.clear();
    SaveSettings();
}

void TForm2::CloseSettingsDialog() {
    if (settingsDialog_ && settingsDialog_->isVisible()) settingsDialog_->close();
}

void TForm2::LoadSettings() {
    const ViewerSettings s =
        LoadViewerSettings(Utf8(session_.SettingsPath()), Utf8(session_.LastFolder));
    move(s.Left, s.Top);
    resize(s.Width, s.Height);
    if (s.State == 1)
        setWindowState(windowState() | Qt::WindowMinimized);
    else if (s.State == 2)
        setWindowState(windowState() | Qt::WindowMaximized);
    Waku = s.Waku;
    PrtMs = s.PrtMs;
    F_Path2 = QString::fromStdString(s.F_Path2);
    if (settingsDialog_) settingsDialog_->ApplyViewerSettings(s);
}

void TForm2::SaveSettings() {
    ViewerSettings s;
    s.State = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    const QRect normal = s.State == 0 ? QRect(pos(), size()) : normalGeometry();
    s.Top = normal.top();
    s.Left = normal.left();
    s.Width = normal.width();
    s.Height = normal.height();
    s.PrinterName = Printer().CurrentPrinterName();
    s.Waku = Waku;
    s.PrtMs = PrtMs;
    SaveViewerSettings(Utf8(session_.SettingsPath()), s);
    if (s.State == 0 && (s.Top != normal.top() || s.Left != normal.left())) move(s.Left, s.Top);
}

void TForm2::SetPictureCommandsEnabled(bool enabled) {
    actions_.pictureCommands = enabled;
    if (enabled) actions_.saveCommand = true;
    updateActions();
}

void TForm2::SetToolPanelsEnabled(bool enabled) {
    actions_.toolPanels = enabled;
    updateActions();
}

void TForm2::UpdateCaption(const QString& name) {
    setWindowTitle(QString::fromStdString(
        ViewerCaption(Utf8(name), document_.OrgFName(), document_.PdfConverted())));
    SetToolPanelsEnabled(!name.isEmpty());
}

bool TForm2::ShowImageInfo(int mode) {
    QString pixelText;
    bool wrote = false;
    const float dpi = document_.Resolution().ShownDpi;
    if (mode == 1) {
        pixelText = Q(document_.PixelFormatName());
        SetStatusText(
            Q(ImageInfoText(1, document_.ImageTypeName(), document_.PixelFormatName(), dpi)));
        wrote = true;
    } else if (!document_.Picture().Empty()) {
        pixelText = QString::fromLatin1(BitmapFormatName(document_.Picture().Format()));
        SetStatusText(Q(ImageInfoText(2, "Bitmap", Utf8(pixelText), dpi)));
        wrote = true;
    }
    actions_.inkColour = pixelText == QLatin1String("1bit");
    updateActions();
    return wrote;
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
    // The drawing panel is never collapsed for another: it keeps its room, and when it is
    // the one expanded, "減色編集" stays open beside it (the slider and the verdict go
    // together).
    const CategoryPanel* drawing = CategoryPanel6;
    const int drawingHeight =
        drawing->Expanded() ? drawing->ExpandedHeight() : drawing->HeaderHeight();
    if (expanded == drawing) index = CategoryPanel2->Expanded() ? 1 : -1;
    const PanelArrangement plan = vellumo::ArrangePanels(
        CategoryPanelGroup1->AvailableHeight() - drawingHeight, states, index);
    for (int i = 0; i < kToolPanelCount; ++i)
        if (!plan.expanded[i]) CollapsePanel(panels[i]);
    CategoryPanelGroup1->SetScrollBarShown(plan.scrollBarVisible);
    // The column widens by the scroll bar rather than let it cover the panels' right edge.
    Panel1->setFixedWidth(kToolColumnWidth +
                          (plan.scrollBarVisible
                               ? CategoryPanelGroup1->style()->pixelMetric(
                                     QStyle::PM_ScrollBarExtent, nullptr, CategoryPanelGroup1)
                               : 0));
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
    view_.CropMode = false;
    FrameTracker->Detach();
    Shape1->hide();
}

// ---- loading ---------------------------------------------------------------------------

std::optional<QString> TForm2::ChooseFileToOpen() {
    const DialogLoadChoices choices =
        settingsDialog_ ? settingsDialog_->CurrentLoadChoices() : DialogLoadChoices{};
    const bool pdf = session_.GhostscriptAvailable && choices.useGs;
    OpenFileRequest request;
    request.filter =
        pdf ? QStringLiteral(
                  "Graphics_files (ALL)|*.bmp;*.jpg;*.jpeg;*.png;*.gif;*.tif;*.tiff;*.pdf;|"
                  "Tiff,PDF_file (*.tif,*.pdf)|*.bmp;*.tif;*.tiff;*.pdf|"
                  "すべてのfiles (*.*)|*.*")
            : QStringLiteral(
                  "Graphics_files (ALL)|*.bmp;*.jpg;*.jpeg;*.png;*.gif;*.tif;*.tiff|"
                  "Tiff_file (*.tif)|*.tif;*.tiff|すべてのfiles (*.*)|*.*");
    if (choices.useRegisteredFolder && !F_Path2.isEmpty()) request.folder = F_Path2;
    const std::optional<OpenFileAnswer> answer = Ui().ChooseOpenFile(this, request);
    if (!answer) return std::nullopt;
    return answer->path;
}

void TForm2::LoadImage(QObject* asker) {
    if (busy_) return;
    WaitForPictureWrite();
    // What the viewer shows now, should the user cancel a PDF conversion.
    const FileIdentity before = document_.Identity();
    CloseSettingsDialog();
    document_.SetIdentity({before.FileName2, before.OrgFName, false});
    ApplyFramePreset(0);
    SwitchRealTimeOff();

    const QString askerName = asker ? asker->objectName() : QString();
    const DialogLoadChoices dialogChoices =
        settingsDialog_ ? settingsDialog_->CurrentLoadChoices() : DialogLoadChoices{};
    if (asker == &session_) {
        Ui().ProcessEvents();
        document_.SetFileName2(Utf8(session_.HandOffFileName));
    } else if (asker == this) {
        document_.SetFileName2(document_.DropFname());
    } else if (askerName == QLatin1String("Button10") || askerName == QLatin1String("Button6")) {
        // A reload reads the current file again.
    } else {
        const std::optional<QString> chosen = ChooseFileToOpen();
        if (!chosen) return;
        document_.SetFileName2(Utf8(*chosen));
    }

    const QFileInfo file(Q(document_.FileName2()));
    if (document_.FileName2().empty() || !file.exists() || file.isDir()) {
        ShowMessageText(Q(MissingFileText(document_.FileName2())), MessageStyle::Confirmation);
        return;
    }
    if (file.suffix().toLower() == QLatin1String("pdf")) {
        const bool usable = session_.GhostscriptAvailable && dialogChoices.useGs;
        if (!usable) {
            ShowMessageText(Q(kPdfUnsupportedText), MessageStyle::Information);
            return;
        }
        switch (LoadPdfPage()) {
            case PdfPage::Ready:
                break;
            case PdfPage::Stopped:
                return;
            case PdfPage::Cancelled:
                document_.SetIdentity(before);
                return;
        }
    }

    LoadChoices choices;
    choices.monoDisplay = dialogChoices.monoDisplay;
    bool numeric = false;
    const int typed = Edit1->text().trimmed().toInt(&numeric);
    if (numeric) choices.threshold = typed;
    bool shownAsMono = false;
    {
        WaitCursor wait;
        shownAsMono = document_.Reload(choices);
        FitWhole();
        actions_.reductionReload = false;
        SetPictureCommandsEnabled(true);
    }
    ShowImageInfo(shownAsMono ? 2 : 1);
    UpdateCaption(Q(document_.FileName2()));
}

void TForm2::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm2::dropEvent(QDropEvent* event) {
    const QStringList paths = DroppedLocalFiles(*event->mimeData());
    event->acceptProposedAction();
    if (!paths.isEmpty()) RunGuarded(this, [&] { DropFiles(paths); });
}

void TForm2::DropFiles(const QStringList& paths) {
    if (busy_) return;
    if (paths.size() >= 2) {
        ShowMessageText(QString::fromStdString(TooManyDroppedText(int(paths.size()))),
                        MessageStyle::Plain);
        return;
    }
    if (paths.isEmpty()) return;
    document_.SetDropFname(Utf8(paths.front()));
    try {
        LoadImage(this);
    } catch (const Error&) {
        throw Error(DecodeErrorText(document_.FileName2()));
    }
    UpdateCaption(Q(document_.FileName2()));
}

}  // namespace vellumo

#pragma once
// The viewer window: one picture at a time, fitted, true size or zoomed with the wheel,
// rotated, reduced to one bit, gray or despeckled, and reloaded from its file to undo. The
// pixel work is done by the imaging functions; this window holds the state and the wiring.

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

#include "crop/CropFrame.h"
#include "document/PdfConversion.h"
#include "document/ReadResolution.h"
#include "document/ViewerDocument.h"
#include "platform/BackgroundJob.h"
#include "platform/Bitmap.h"
#include "print/PaperGeometry.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSlider;
class QStatusBar;
class QTimer;
class QToolButton;
class QWheelEvent;

namespace vellumo {

class CategoryPanel;
class CategoryPanelGroup;
class DrawingPanel;
class FrameTracker;
class ImageControlWidget;
class PrinterBackend;
class ScrollContentWidget;
class Session;
class TForm3;

class TForm2 : public QMainWindow {
    Q_OBJECT
  public:
    /// A viewer on the program's `session` (whose `CheckedFileName` it starts with and
    /// whose handed-off file it loads), with the program's settings dialog (may be null).
    TForm2(Session& session, TForm3* settingsDialog, QWidget* parent = nullptr);
    ~TForm2() override;

    /// The viewed picture, its file and its commands; the image control follows it.
    ViewerDocument& Document() { return document_; }
    const ViewerDocument& Document() const { return document_; }

    /// How the picture is shown now: its scale, the pointer over it, a drag, the
    /// inspection's doubling, the crop frame being set.
    struct ViewState {
        double ViewScale = 1.0;
        bool PointerOverImage = false;
        bool Dragging = false;
        QPoint DragStart;
        bool Magnified = false;
        bool CropMode = false;
    };
    const ViewState& View() const { return view_; }
    /// The pointer has entered or left the picture (its enter and leave events say so).
    void SetPointerOverImage(bool over) { view_.PointerOverImage = over; }
    /// The save dialog is open (from the start of the save command until it has closed).
    bool SaveDialogOpen() const { return SaveDialogAct_Chk; }
    /// The save type the save dialog showed last (its filter index, 1 to 5).
    int ChosenSaveType() const { return SaveType; }
    /// The printing options (the settings dialog's boxes set them): ask before printing;
    /// frame a B4 drawing printed on A3.
    bool AskBeforePrinting() const { return PrtMs; }
    bool FrameB4OnA3() const { return Waku; }
    /// The registered folder.
    const QString& RegisteredFolder() const { return F_Path2; }
    /// The sheet of the current printer, as GetPaperScale read it last.
    const PaperScale& Sheet() const { return Paper; }
    /// How long a load waits for the PDF converter before it stops it.
    void SetPdfWaitLimit(std::chrono::milliseconds limit) { PdfWaitLimit = limit; }
    /// What tells whether the left mouse button is down now (the pointer's state).
    void SetLeftButtonProbe(std::function<bool()> held) { LeftButtonHeld = std::move(held); }

  private:
    bool SaveDialogAct_Chk = false;
    int SaveType = 1;
    // The viewer's printing options, kept in the settings file.
    bool Waku = true;
    bool PrtMs = true;
    QString F_Path2;

    // Controls, by their names.
    QScrollArea* ScrollBox1 = nullptr;
    ImageControlWidget* Image1 = nullptr;
    QFrame* Shape1 = nullptr;
    QFrame* Panel1 = nullptr;
    CategoryPanelGroup* CategoryPanelGroup1 = nullptr;
    CategoryPanel* CategoryPanel1 = nullptr;  // 表示
    CategoryPanel* CategoryPanel2 = nullptr;  // 減色編集
    CategoryPanel* CategoryPanel3 = nullptr;  // 画像切出
    CategoryPanel* CategoryPanel4 = nullptr;  // 印刷
    CategoryPanel* CategoryPanel5 = nullptr;  // ファイル
    DrawingPanel* CategoryPanel6 = nullptr;   // 図面化
    QStatusBar* StatusBar1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    // 表示
    QPushButton* Button2 = nullptr;   // 全体(&A)
    QPushButton* Button3 = nullptr;   // 等倍
    QPushButton* Button13 = nullptr;  // ２倍
    QToolButton* BitBtn1 = nullptr;   // rotate left
    QToolButton* BitBtn2 = nullptr;   // rotate right
    // 減色編集
    QRadioButton* RadioButton6 = nullptr;  // モノクロ
    QRadioButton* RadioButton7 = nullptr;  // グレイスケール
    QRadioButton* RadioButton8 = nullptr;  // ゴミ取り
    QSlider* TrackBar1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QCheckBox* CheckBox2 = nullptr;   // Real time
    QPushButton* Button9 = nullptr;   // 実行
    QPushButton* Button10 = nullptr;  // reLoad
    QPushButton* BitBtn3 = nullptr;   // 色
    // ファイル
    QPushButton* Button5 = nullptr;   // 開く(&O)
    QPushButton* Button14 = nullptr;  // Option
    QPushButton* Button8 = nullptr;   // 保存(&S)
    QPushButton* Button1 = nullptr;   // 閉る(&X)
    // Menus.
    QMenu* f1 = nullptr;
    QAction* O1 = nullptr;
    QAction* N1 = nullptr;
    QAction* S1 = nullptr;
    QAction* Print = nullptr;
    QAction* tojiru1 = nullptr;
    QMenu* V1 = nullptr;
    QAction* A1 = nullptr;
    QAction* E1 = nullptr;
    QAction* R1 = nullptr;
    QAction* R2 = nullptr;
    QMenu* N2 = nullptr;
    QAction* M1 = nullptr;
    QAction* G1 = nullptr;
    QAction* gomitori1 = nullptr;
    QAction* N7 = nullptr;
    QAction* r3 = nullptr;
    QMenu* C1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QAction* View_whole = nullptr;
    QAction* View_Equal = nullptr;
    QAction* N10 = nullptr;
    QAction* turn_left = nullptr;
    QAction* turn_Right = nullptr;
    QAction* Img_Ccut = nullptr;
    /// The inspection at the point the menu was asked for (Alt-click's, reachable on every
    /// desktop).
    QAction* Inspect1 = nullptr;
    /// Keys: zoom in and out about the view's centre, fit.
    QAction* ZoomInKey = nullptr;
    QAction* ZoomOutKey = nullptr;
    QAction* FitKey = nullptr;

  public:
    // Loading and the window (handlers keep the names of the events they serve).
    /// Loads a file for `asker`: the checker window (the hand-off), this window (a drop),
    /// Button10 / Button6 (reload the current file), anything else (the open dialog).
    /// Throws Error with the decode error text when the file cannot be shown.
    void LoadImage(QObject* asker);
    bool ShowImageInfo(int mode);
    void UpdateCaption(const QString& name);
    void ArrangePanels(CategoryPanel* expanded);
    void FormShow();
    void FormActivate();
    void FormClose();
    void Button1Click();
    void Button5Click();
    void Button14Click();
    /// Chooses the settings dialog's tabs and shows it: 10 all (その他設定 in front), 5 the
    /// three save tabs, 1 to 3 one save tab; 4 or any other kind closes it instead.
    void ShowOptionTabs(int kind);
    /// The save command (保存): the save dialog with the settings dialog beside it, then the
    /// file written in the chosen type.
    void Button8Click();
    void f1Click();
    void V1Click();
    void N2Click();
    void C1Click();
    void CategoryPanel2Collapse();
    void CategoryPanel4Collapse();
    /// Files dropped on the window, in order.
    void DropFiles(const QStringList& paths);

    // View.
    void ZoomAt(int x, int y, double newScale);
    void FitWhole();
    void DeviceSize();
    void PixelSize();
    void DoubleSize();
    void RotateLeft();
    void RotateRight();
    /// The display's dots per inch from its width in pixels and millimetres.
    double ScreenDpi() const;
    /// Makes ScreenDpi answer `dpi` (a display whose size is known to the caller).
    void OverrideScreenDpi(std::optional<double> dpi) { screenDpi_ = dpi; }
    /// The window's wheel event: zoom about `pointer` (image-control coordinates), or
    /// scroll with Shift / Ctrl. Returns whether it was handled.
    bool FormMouseWheel(int delta, Qt::KeyboardModifiers modifiers, QPoint pointer);
    bool FormMouseWheelScroll(bool down, Qt::KeyboardModifiers modifiers);
    /// Whether the screen point `global` lies on the picture or on the crop frame.
    bool PointerOnPicture(QPoint global) const;
    /// The inspection of Alt- or Ctrl-click and of the picture's menu: the first use shows
    /// the point's coordinates and doubles the view about it, the second goes back.
    void InspectAt(QPoint pos);
    /// The zoom keys: one wheel step (`delta` 120 in, -120 out) about the view's centre.
    void ZoomKey(int delta);
    void Image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void Image1MouseMove(QPoint pos);
    void Image1MouseUp();

    // Colour reduction.
    void ExecuteReduction();
    void Button9Click() { ExecuteReduction(); }
    void Button10Click();
    void M1Click();
    void G1Click();
    void gomitori1Click();
    void N7Click();
    void RadioButton6Click();
    void RadioButton7Click();
    void RadioButton8Click();
    void CheckBox2Click();
    void TrackBar1Change();
    void Edit1Change();
    void BitBtn3MouseDown(Qt::MouseButton button);
    void UpdateThresholdControls();
    void ReloadImage(QObject* button);
    /// Turns Real time off (the preview source is emptied with it).
    void SwitchRealTimeOff();

  private:
    /// Whether the left mouse button is down now; the slider computes nothing meanwhile.
    std::function<bool()> LeftButtonHeld;

  public:
    /// The crop frame's presets (0 hides the frame and ends crop mode) and its default.
    void ApplyFramePreset(int preset);

    // Crop: the frame, its presets and the cut-out (TForm2Crop.cpp).
  private:
    /// The scroll box's content: Image1 and, over it, Shape1 and the tracker's parts.
    ScrollContentWidget* ScrollContent = nullptr;
    vellumo::FrameTracker* FrameTracker = nullptr;
    QPushButton* Button11 = nullptr;  // 位置指定
    QPushButton* Button12 = nullptr;  // 実行
    QPushButton* Button4 = nullptr;   // Cancel
    QPushButton* Button6 = nullptr;   // reLoad
    QAction* N3 = nullptr;            // 切出位置
    QAction* Cancel1 = nullptr;
    QAction* N4 = nullptr;  // 実行
    QAction* reLoad1 = nullptr;
    QMenu* PopupMenu1 = nullptr;  // the frame's popup menu
    QAction* L6w = nullptr;
    QAction* B6 = nullptr;
    QAction* A41 = nullptr;
    QAction* Hiritu43 = nullptr;
    QAction* Hiritu16_9 = nullptr;
    QAction* N801 = nullptr;
    QAction* N802 = nullptr;
    QAction* WHchange = nullptr;
    QAction* N6 = nullptr;       // 〓切出実行〓
    QAction* Cancel2 = nullptr;  // ✖ Cancel
  public:
    /// Shape1 from CropRect at the current scale and scroll positions, shown; detaches the
    /// tracker first.
    void PlaceCropFrame();
    /// CropRect from Shape1 at the current scale and scroll positions.
    void ReadCropFrame();
    /// Shape1's bounds relative to the visible part of the scroll box.
    FrameBounds ShownCropFrame() const;
    /// Starts the frame (位置指定).
    void Button11Click();
    /// Cuts the framed part out (実行): it replaces the picture and is written as "Tmp.png"
    /// beside the program.
    void Button12Click();
    /// Cancels the frame.
    void Button4Click();
    void Button6Click();
    void Img_CcutClick();
    void CategoryPanel3Click();
    void Shape1MouseDown(QPoint globalPos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
    void FrameTrackerMouseDown();
    void FrameTrackerMouseUp();
    // The PDF conversion (TForm2Pdf.cpp).
    /// Starts the conversion of page 1 of `pdf` into the temporary TIFF with the settings
    /// dialog's PDF options: the old temporary file is deleted, the converter started and
    /// the status line reads "　Pdfconvert... ". Throws Error with the platform's reason
    /// when the old file cannot be removed or the converter cannot be started.
    bool ConvertPdf(const QString& pdf);

  private:
    /// How long a load waits for the converter before it stops it (tests shorten it).
    std::chrono::milliseconds PdfWaitLimit = kPdfConversionLimit;
    /// "中止" beside the status line and Esc, while the converter runs.
    QPushButton* Button15 = nullptr;
    QAction* CancelKey = nullptr;

  public:
    /// Ends the conversion under way at once (中止, Esc, the window's close): its process
    /// group is killed, its page removed, and the viewer stays as it was before the load.
    void CancelPdfConversion();
    /// The temporary TIFF of the PDF conversion: "tmp.tif" in the program's folder.
    QString PdfTempFile() const;

  private:
    // Printing (TForm2Print.cpp): the sheet of the current printer, as GetPaperScale reads
    // it (PaperWidth ... PaperTO): printer pixels, tenths of a millimetre, the printable
    // area's offsets.
    PaperScale Paper;
    QLabel* Label1 = nullptr;              // 用紙サイズ
    QComboBox* ComboBox1 = nullptr;        // the paper list
    QLabel* Label2 = nullptr;              // 印刷部数
    QLabel* Label3 = nullptr;              // １　２　３
    QRadioButton* RadioButton1 = nullptr;  // one copy
    QRadioButton* RadioButton2 = nullptr;  // two copies
    QRadioButton* RadioButton3 = nullptr;  // three copies
    QLabel* Label8 = nullptr;              // プリンター
    QComboBox* ComboBox2 = nullptr;        // the printer list
    QPushButton* Button7 = nullptr;        // 印刷(&P)
  public:
    /// The printing system the window prints through (the one MakePrinterBackend gives).
    PrinterBackend& Printer() { return *printer_; }
    /// Puts another printing system in place and fills the lists again from it.
    void SetPrinterBackend(std::unique_ptr<PrinterBackend> printer);
    /// Fills the printer and paper lists and makes the preset printer, else the default,
    /// current.
    void FillPrintLists();
    /// The printer list has closed up: its choice becomes the current printer.
    void ComboBox2CloseUp();
    /// The print button: the setup dialog for "任意用紙", else the question (PrtMs), the
    /// paper and landscape set on the printer, then the job.
    void Button7Click();
    /// The menu item: opens the print panel.
    void PrintClick();
    /// The six sheet fields from the current printer's figures.
    void GetPaperScale();
    /// One print job of the picture with the panel's choices.
    void DrawRoutine();

    /// The status line's text.
    QString StatusText() const;
    void SetStatusText(const QString& text);
    /// Expands or collapses a tool panel with the events a user's click would bring.
    void ExpandPanel(CategoryPanel* panel);
    void CollapsePanel(CategoryPanel* panel);

    // Writing files from the picture on a worker thread (TForm2Write.cpp): a save, and
    // "Tmp.png" after a cut-out. The window keeps painting and answering meanwhile; the
    // picture stays as it is until the file is written, since every command that would
    // change or reload it, and the close, waits first.
    /// Whether such a write runs.
    bool PictureWriting() const { return bool(write_); }
    /// Waits for the write's end while the window paints (clicks and keys wait for it),
    /// then tells its outcome as its command would. Returns at once when none runs.
    void WaitForPictureWrite();
    /// A write that takes longer shows its progress in the status line.
    static constexpr std::chrono::milliseconds kWriteProgressDelay{500};
    /// The image control's size and the scroll positions, in screen pixels.
    QSize ControlSize() const;
    QPoint ScrollPosition() const;
    void SetScrollPosition(QPoint position);

    void setVisible(bool visible) override;

  signals:
    /// The window has closed (its settings are saved).
    void Closed();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void customEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    void BuildViewPanel();
    void BuildReductionPanel();
    void BuildFilePanel();
    void BuildPrintPanel();
    /// The drawing panel (TForm2Drawing.cpp), wired to the document, the slider and the save.
    void BuildDrawingPanel();
    void BuildMenus();
    void ConnectControls();
    /// The crop panel, the crop menu, the frame's popup menu and the tracker, wired.
    void BuildCrop();
    /// The events of the controls the window watches; true when the event is taken.
    bool FilterEvent(QObject* watched, QEvent* event);
    /// One wheel event over the picture or the scroll box.
    void WheelTurned(const QWheelEvent& wheel);
    /// The crop frame's and the scroll box's events; true when the event is taken.
    bool CropEvent(QObject* watched, QEvent* event);
    /// Shape1 at `bounds`, relative to the visible part of the scroll box.
    void SetShownCropFrame(const FrameBounds& bounds);
    /// The program's working folder (the session's WorkFolder, created when missing);
    /// "Tmp.png" and "tmp.tif" are written there.
    QString ProgramFolder() const;
    /// The open dialog with the viewer's filters and its registered folder.
    std::optional<QString> ChooseFileToOpen();
    enum class PdfPage { Ready, Stopped, Cancelled };
    /// The PDF branch of the load: converts `FileName2` (kept in `OrgFName`), waits for the
    /// converter, and leaves `FileName2` at the temporary TIFF and `PdfConverted` set
    /// (Ready). Stopped: the load must stop, the user has been told. Cancelled: the user
    /// ended the conversion; the status line is as before it.
    PdfPage LoadPdfPage();
    /// While the converter runs only 中止, Esc and the close act; the other controls are off.
    void SetPdfConverting(bool on);
    /// Starts `write` on a worker thread; `done` runs on this thread once it has ended,
    /// given what it threw or null. A write under way is waited for first.
    void StartPictureWrite(BackgroundJob::Work write, std::function<void(std::exception_ptr)> done);
    /// The write's end, taken back on this thread (nothing while it still runs).
    void EndPictureWrite();
    void ShowWriteProgress();
    /// The progress bar at the left of the status line, `text` beside it.
    void ShowStatusProgress(int maximum, const QString& text);
    void HideStatusProgress();
    /// Closes the window when a close was asked for while it was busy.
    void CloseIfAskedWhileBusy();
    /// Enables the commands that need a picture (after a load) or disables them (at show).
    void SetPictureCommandsEnabled(bool enabled);
    /// What the enabled states follow; each is changed where its command runs.
    struct ActionState {
        bool pictureCommands = true;    ///< save, print and the picture's menus
        bool saveCommand = false;       ///< 保存, from the first load on
        bool toolPanels = true;         ///< the caption names a file
        bool inkColour = false;         ///< the status line shows a one-bit picture
        bool thresholdControls = true;  ///< モノクロ chosen
        bool reducing = false;          ///< 実行 runs
        bool reductionReload = true;    ///< the panel's reLoad
        bool cropCancel = false;
        bool cropExecute = false;
        bool cropReload = false;  ///< the crop panel's reLoad, after a cut-out
        bool pdfConverting = false;
    };
    /// Sets every control's enabled state from actions_.
    void updateActions();
    enum class MessageStyle { Plain, Confirmation, Information };
    void ShowMessageText(const QString& text, MessageStyle style);
    void PanelExpanded(CategoryPanel* panel);
    void PanelCollapsed(CategoryPanel* panel);
    void SetControlSize(int width, int height);
    /// Zoom about the scroll box's client centre (true, pixel and double size).
    void ZoomAboutCentre(double newScale);
    /// A quarter turn of the picture, left or right.
    void Turn(bool left);
    /// Thresholds the picture (or the preview's source) at 255 − the typed threshold.
    void ThresholdTyped();
    /// The image control follows the picture; the ink button shows the ink colour.
    void DocumentChanged(DocumentChanges changes);
    void DespeckleCommand();
    /// Enabled state of the tool panels as UpdateCaption sets it.
    void SetToolPanelsEnabled(bool enabled);
    /// The save dialog's events: the type shown, or 0 when it has closed.
    void SaveDialogEvent(int filterIndex, QWidget* dialog);
    void LoadSettings();
    void SaveSettings();
    void CloseSettingsDialog();

    ViewerDocument document_;
    ActionState actions_;
    ViewState view_;
    Session& session_;
    TForm3* settingsDialog_ = nullptr;
    std::unique_ptr<PrinterBackend> printer_;
    std::optional<double> screenDpi_;
    /// The open save dialog's window, the settings dialog's owner meanwhile.
    QWidget* saveDialog_ = nullptr;
    /// Set while a long command lets window messages run; commands that would change the
    /// picture wait for it, and a close asked for meanwhile comes after.
    bool busy_ = false;
    bool closeAfterBusy_ = false;
    /// The converter of the PDF load under way, and the user's cancel of it.
    std::optional<Process> converter_;
    bool pdfCancel_ = false;
    /// The write under way, what is done with its end, and its progress in the status line.
    std::unique_ptr<BackgroundJob> write_;
    std::function<void(std::exception_ptr)> writeDone_;
    QTimer* writeTimer_ = nullptr;
    std::chrono::steady_clock::time_point writeStart_;
    bool writeProgressShown_ = false;
    QString statusBeforeProgress_;
    bool firstShow_ = true;
    /// The window that took the activation from this one, while it is inactive.
    QPointer<QWidget> activeBefore_;
    /// Set while the text box moves the slider, so the slider leaves the typed text alone.
    bool editDriving_ = false;
    QLabel* statusText_ = nullptr;
    QSize savedControlSize_;
    QPoint savedScroll_;
    double savedScale_ = 1.0;
    /// Wheel movement short of a whole notch, kept for the next wheel event (up and down,
    /// and sideways).
    int wheelRest_ = 0;
    int wheelRestX_ = 0;
    /// Where the picture's menu was asked for, in Image1's pixels.
    QPoint menuPoint_;
};

}  // namespace vellumo

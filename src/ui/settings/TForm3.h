#pragma once
// The settings dialog "設定": the save, PDF, folder, printing and display options. Created
// once at start-up; its PDF page follows the Ghostscript search. Shown on its own it reads
// the settings file when it appears and writes it when it goes; shown beside the viewer's
// save dialog it does neither.

#include <QDialog>
#include <QPoint>
#include <QString>

#include "document/PdfConversion.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace vellumo {

struct DialogSettings;
struct SaveOptions;
struct ViewerSettings;

/// What a load in the viewer takes from the dialog.
struct DialogLoadChoices {
    /// "利用" is on (PDF files are converted when Ghostscript is available).
    bool useGs = false;
    /// "ファイルの読込に登録フォルダーを指定する": the open dialog starts in the registered folder.
    bool useRegisteredFolder = false;
    /// "モノクロ画像は２値化して表示する".
    bool monoDisplay = true;
    PdfConversionOptions pdf;
};

class TForm3 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm3(QWidget* parent = nullptr);

    /// The settings file the dialog reads and writes.
    const QString& SettingsPath() const { return settingsPath_; }
    void SetSettingsPath(const QString& path) { settingsPath_ = path; }

    /// The state the Ghostscript search leaves: when found, the PDF panel is enabled in
    /// the normal dialog colour with "● Ghostscript ： 利用可能"; otherwise it is disabled
    /// and silver with "● Ghostscript ： 利用不可", and "利用" is turned off.
    void SetGhostscriptAvailable(bool available);

    // Handlers, named after the events they serve.
    void FormShow();
    void FormClose();
    void Button1Click();
    void Button1MouseDown(Qt::MouseButton button);
    void CheckBox1Click();
    void CheckBox2Click();
    void CheckBox4Click();

    /// The TIFF compression choice's position 0 to 4, -1 when none is chosen.
    int CompressionIndex() const;
    void SetCompressionIndex(int index);
    /// " Ggray( 8bit)" is on.
    bool JpegGray() const;
    /// Sets the two JPEG choices as they are (both may be off).
    void SetJpegChoices(bool color, bool gray);

    /// The options a save takes from the dialog now. A list without a selection gives a
    /// value the writers refuse (resolution 0, quality 0), so such a save fails.
    SaveOptions SaveChoices() const;

    /// The dialog's values as the settings file keeps them, and back.
    DialogSettings Values() const;
    void ApplyValues(const DialogSettings& values);

    // What the viewer asks of the dialog; the dialog answers through its signals.
    DialogLoadChoices CurrentLoadChoices() const;
    /// The keys the viewer reads at its show: the registered folder, the PDF colour, the
    /// JPEG gray choice (applied to the current choice) and "利用".
    void ApplyViewerSettings(const ViewerSettings& values);
    /// Shows the viewer's printing options ("印刷時に確認メッセージを表示しない" is the
    /// inverse of `prtMs`).
    void ShowPrintOptions(bool prtMs, bool waku);
    /// Shows the dialog as a window of `owner` with the tabs of `kind`: 10 all tabs, the
    /// other page in front; 5 the TIFF, JPEG and Bitmap tabs; 1 to 3 that type's tab alone.
    /// Beside the save dialog it appears near `viewerPlace` and neither reads nor writes
    /// the settings file. Any other kind closes the dialog.
    void ShowOptionTabs(int kind, QWidget* owner, bool besideSaveDialog, QPoint viewerPlace);
    /// Gives the dialog back to `newOwner` when `owner` (a closing window) holds it.
    void LeaveOwner(QWidget* owner, QWidget* newOwner);
    /// Puts the viewed file's folder into the folder field as the registered folder.
    void RegisterShownFolder(const QString& folder);

    /// The dialog's flag `UseGs`: all bits set while "利用" is on, 0 while it is off.
    int32_t UseGsBits() const { return UseGs; }
    /// The choice "利用" stands for, as the settings file keeps it: shown ticked only while
    /// Ghostscript can be used, and kept as it was while it cannot.
    void SetUseGsChoice(bool on);
    bool UseGsChoice() const { return useGsChoice_; }

    /// Tab positions.
    enum Tab { TiffTab = 0, JpgTab, BitmapTab, PdfTab, OtherTab };

    void setVisible(bool visible) override;
    /// Sets every control's enabled state from what the dialog knows: the PDF page only
    /// while Ghostscript can be used.
    void updateActions();

  signals:
    /// The printing options changed (the viewer keeps them as `PrtMs` and `Waku`).
    void PrtMsChanged(bool prtMs);
    void WakuChanged(bool waku);
    /// A folder was chosen as the registered folder (the viewer's `F_Path2`); a folder
    /// typed by hand reaches the viewer only through the settings file.
    void RegisteredFolderChosen(const QString& folder);
    /// The right click on "...": the viewer answers with RegisterShownFolder when it shows
    /// a picture.
    void ShownFolderWanted();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Controls, by their names (also their object names, by which tests find them).
    QTabWidget* PageControl1 = nullptr;
    // The "　Tiff　" page.
    QGroupBox* RadioGroup1 = nullptr;  // compression
    QComboBox* ComboBox2 = nullptr;    // TIFF resolution
    // The "　Jpg　" page.
    QRadioButton* RadioButton3 = nullptr;  // Color(24bit)
    QRadioButton* RadioButton4 = nullptr;  // Ggray( 8bit)
    QComboBox* ComboBox3 = nullptr;        // JPEG quality
    // The "Bitmap" page.
    QRadioButton* RadioButton5 = nullptr;  // 24bitカラー
    QRadioButton* RadioButton6 = nullptr;  // 画像フォーマットによる
    // The "　Pdf　" page.
    QFrame* Panel1 = nullptr;
    QGroupBox* RadioGroup2 = nullptr;      // カラー
    QRadioButton* RadioButton1 = nullptr;  // モノクロ２値
    QRadioButton* RadioButton2 = nullptr;  // 24bitカラー
    QComboBox* ComboBox1 = nullptr;        // PDF resolution
    QLabel* Label11 = nullptr;
    QCheckBox* CheckBox4 = nullptr;  // 利用
    /// All bits set while "利用" is on, 0 while it is off.
    int32_t UseGs = 0;

    // The "その他設定" page.
    QCheckBox* CheckBox3 = nullptr;  // ファイルの読込に登録フォルダーを指定する
    QLineEdit* Edit1 = nullptr;      // the registered folder
    QPushButton* Button1 = nullptr;  // ...
    QCheckBox* CheckBox1 = nullptr;  // 印刷時に確認メッセージを表示しない
    QCheckBox* CheckBox2 = nullptr;  // B４図面のA３用紙印刷は枠を付ける
    QCheckBox* CheckBox5 = nullptr;  // モノクロ画像は２値化して表示する

    void BuildTiffPage(QWidget* page);
    void BuildJpgPage(QWidget* page);
    void BuildBitmapPage(QWidget* page);
    void BuildPdfPage(QWidget* page);
    void BuildOtherPage(QWidget* page);
    /// Keeps the dialog on the screen, as the show does.
    void KeepOnScreen();
    /// Whether the viewer's save dialog is open (then no settings file is read or written).
    bool BesideSaveDialog() const;

    QString settingsPath_;
    bool ghostscriptAvailable_ = false;
    bool besideSaveDialog_ = false;
    QPoint viewerPlace_;
    bool useGsChoice_ = false;
    QButtonGroup* compressionButtons_ = nullptr;
    QButtonGroup* jpegButtons_ = nullptr;
};

}  // namespace vellumo

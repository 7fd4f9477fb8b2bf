#pragma once
// The settings dialog "設定": the save, PDF, folder, printing and display options. Created
// once at start-up; its PDF page follows the Ghostscript search. Shown on its own it reads
// the settings file when it appears and writes it when it goes; shown beside the viewer's
// save dialog it does neither.

#include <QDialog>
#include <QString>

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
class TForm2;

class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    /// The settings file the dialog reads and writes.
    QString SettingsPath;
    /// The viewer window while one is open (it sets and clears this); the dialog reads its
    /// save state and picture and writes its folder and printing fields.
    TForm2* Viewer = nullptr;

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

    QTabWidget* PageControl1 = nullptr;
    // The "　Tiff　" page.
    QGroupBox* RadioGroup1 = nullptr;    // compression
    QComboBox* ComboBox2 = nullptr;      // TIFF resolution
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
    QCheckBox* CheckBox4 = nullptr;        // 利用
    /// All bits set while "利用" is on, 0 while it is off.
    int32_t UseGs = 0;
    /// The choice "利用" stands for, as the settings file keeps it: shown ticked only while
    /// Ghostscript can be used, and kept as it was while it cannot.
    void SetUseGsChoice(bool on);
    bool UseGsChoice() const { return useGsChoice_; }

    // The "その他設定" page.
    QCheckBox* CheckBox3 = nullptr;  // ファイルの読込に登録フォルダーを指定する
    QLineEdit* Edit1 = nullptr;      // the registered folder
    QPushButton* Button1 = nullptr;  // ...
    QCheckBox* CheckBox1 = nullptr;  // 印刷時に確認メッセージを表示しない
    QCheckBox* CheckBox2 = nullptr;  // B４図面のA３用紙印刷は枠を付ける
    QCheckBox* CheckBox5 = nullptr;  // モノクロ画像は２値化して表示する

    /// Tab positions.
    enum Tab { TiffTab = 0, JpgTab, BitmapTab, PdfTab, OtherTab };

    void setVisible(bool visible) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildTiffPage(QWidget* page);
    void BuildJpgPage(QWidget* page);
    void BuildBitmapPage(QWidget* page);
    void BuildPdfPage(QWidget* page);
    void BuildOtherPage(QWidget* page);
    /// Keeps the dialog on the screen, as the show does.
    void KeepOnScreen();
    /// Whether the viewer's save dialog is open (then no settings file is read or written).
    bool BesideSaveDialog() const;

    bool ghostscriptAvailable_ = false;
    bool useGsChoice_ = false;
    QButtonGroup* compressionButtons_ = nullptr;
    QButtonGroup* jpegButtons_ = nullptr;
};

}  // namespace vellumo

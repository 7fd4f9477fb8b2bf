#pragma once
// The settings dialog "設定": the save, PDF, folder, printing and display options. Created
// once at start-up; its PDF page follows the Ghostscript search.

#include <QDialog>

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

class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    /// The state the Ghostscript search leaves: when found, the PDF panel is enabled in
    /// the normal dialog colour with "● Ghostscript ： 利用可能"; otherwise it is disabled
    /// and silver with "● Ghostscript ： 利用不可", and "利用" is turned off.
    void SetGhostscriptAvailable(bool available);

    void CheckBox4Click();

    QTabWidget* PageControl1 = nullptr;
    // The "　Pdf　" page.
    QFrame* Panel1 = nullptr;
    QGroupBox* RadioGroup2 = nullptr;   // カラー
    QRadioButton* PdfMono = nullptr;    // モノクロ２値
    QRadioButton* PdfColor = nullptr;   // 24bitカラー
    QComboBox* ComboBox5 = nullptr;     // PDF resolution
    QLabel* Label11 = nullptr;
    QCheckBox* CheckBox4 = nullptr;     // 利用
    /// All bits set while "利用" is on, 0 while it is off.
    int32_t UseGs = 0;

    // The "その他設定" page.
    QCheckBox* CheckBox3 = nullptr;  // ファイルの読込に登録フォルダーを指定する
    QLineEdit* Edit1 = nullptr;      // the registered folder
    QPushButton* Button1 = nullptr;  // ...
    QCheckBox* CheckBox1 = nullptr;  // 印刷時に確認メッセージを表示しない
    QCheckBox* CheckBox2 = nullptr;  // B４図面のA３用紙印刷は枠を付ける
    QCheckBox* CheckBox5 = nullptr;  // モノクロ画像は２値化して表示する

private:
    void BuildPdfPage(QWidget* page);
    void BuildOtherPage(QWidget* page);
};

}  // namespace vellumo

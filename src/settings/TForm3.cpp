#include "settings/TForm3.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/NamedWidgets.h"
#include "settings/SettingsFile.h"
#include "viewer/FindGhostscript.h"

namespace vellumo {

namespace {

const QColor kSilver(192, 192, 192);

}  // namespace

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("設定"));
    resize(310, 260);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(PageControl1);
    // The other pages are filled by the save command's options.
    for (const QString& caption : {QStringLiteral("　Tiff　"), QStringLiteral("　Jpg　"),
                                   QStringLiteral("Bitmap")})
        PageControl1->addTab(new QWidget(PageControl1), caption);
    auto* pdf = new QWidget(PageControl1);
    BuildPdfPage(pdf);
    PageControl1->addTab(pdf, QStringLiteral("　Pdf　"));
    auto* other = new QWidget(PageControl1);
    BuildOtherPage(other);
    PageControl1->addTab(other, QStringLiteral("その他設定"));
    SetGhostscriptAvailable(false);
}

void TForm3::BuildPdfPage(QWidget* page) {
    Panel1 = new QFrame(page);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(4, 4, 286, 190);
    Panel1->setAutoFillBackground(true);
    NamedLabel(Panel1, "Label9", QStringLiteral("PDF変換読込設定"), QRect(8, 6, 200, 16));
    RadioGroup2 = new QGroupBox(QStringLiteral("カラー"), Panel1);
    RadioGroup2->setObjectName(QStringLiteral("RadioGroup2"));
    RadioGroup2->setGeometry(8, 26, 130, 70);
    PdfMono = new QRadioButton(QStringLiteral("モノクロ２値"), RadioGroup2);
    PdfMono->setGeometry(8, 20, 116, 20);
    PdfMono->setChecked(true);
    PdfColor = new QRadioButton(QStringLiteral("24bitカラー"), RadioGroup2);
    PdfColor->setGeometry(8, 42, 116, 20);
    NamedLabel(Panel1, "Label10", QStringLiteral("解像度（dpi）"), QRect(150, 30, 120, 16));
    ComboBox5 = new QComboBox(Panel1);
    ComboBox5->setObjectName(QStringLiteral("ComboBox5"));
    ComboBox5->addItems({QStringLiteral("200"), QStringLiteral("300"), QStringLiteral("400"),
                         QStringLiteral("600"), QStringLiteral("指定しない")});
    ComboBox5->setCurrentIndex(2);
    ComboBox5->setGeometry(150, 50, 110, 22);
    Label11 = NamedLabel(Panel1, "Label11", QString::fromUtf8(kGhostscriptUnusableLabel.data(),
                                                            qsizetype(kGhostscriptUnusableLabel.size())),
                       QRect(8, 110, 270, 18));
    CheckBox4 = new QCheckBox(QStringLiteral("利用"), Panel1);
    CheckBox4->setObjectName(QStringLiteral("CheckBox4"));
    CheckBox4->setGeometry(8, 134, 100, 20);
    connect(CheckBox4, &QCheckBox::toggled, this, [this] { CheckBox4Click(); });
}

void TForm3::BuildOtherPage(QWidget* page) {
    CheckBox3 = new QCheckBox(QStringLiteral("ファイルの読込に登録フォルダーを指定する"), page);
    CheckBox3->setObjectName(QStringLiteral("CheckBox3"));
    CheckBox3->setGeometry(8, 8, 280, 20);
    Edit1 = new QLineEdit(page);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(8, 32, 248, 22);
    Button1 = new QPushButton(QStringLiteral("..."), page);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(260, 32, 26, 22);
    Button1->setToolTip(QStringLiteral("クリック：登録フォルダーを選択\n右ボタン：表示ファイルのフォルダを登録"));
    NamedLabel(page, "Label12", QStringLiteral("印刷設定"), QRect(8, 66, 200, 16));
    CheckBox1 = new QCheckBox(QStringLiteral("印刷時に確認メッセージを表示しない"), page);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(8, 86, 280, 20);
    CheckBox2 = new QCheckBox(QStringLiteral("B４図面のA３用紙印刷は枠を付ける"), page);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setGeometry(8, 108, 280, 20);
    CheckBox2->setChecked(true);
    NamedLabel(page, "Label13", QStringLiteral("モノクロ画像の表示"), QRect(8, 140, 200, 16));
    CheckBox5 = new QCheckBox(QStringLiteral("モノクロ画像は２値化して表示する"), page);
    CheckBox5->setObjectName(QStringLiteral("CheckBox5"));
    CheckBox5->setGeometry(8, 160, 280, 20);
    CheckBox5->setChecked(true);
}

void TForm3::CheckBox4Click() { UseGs = UseGsFlag(CheckBox4->isChecked()); }

void TForm3::SetGhostscriptAvailable(bool available) {
    const std::string_view text = available ? kGhostscriptUsableLabel : kGhostscriptUnusableLabel;
    Label11->setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
    QPalette p = Panel1->palette();
    p.setColor(QPalette::Window, available ? palette().color(QPalette::Button) : kSilver);
    // Disabled texts stay readable on silver, as grayed captions are on Windows.
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(112, 112, 112));
    Panel1->setPalette(p);
    if (!available) CheckBox4->setChecked(false);
    CheckBox4Click();
    Panel1->setEnabled(available);
}

}  // namespace vellumo

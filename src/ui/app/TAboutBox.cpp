#include "ui/app/TAboutBox.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

#include "ui/app/AppIcon.h"
#include "ui/app/ProgramForms.h"

namespace vellumo {

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    // Clicks on the labels inside the panel do nothing: they must not reach the panel.
    label->setAttribute(Qt::WA_NoMousePropagation);
    return label;
}

}  // namespace

TAboutBox::TAboutBox(const QString* version, const QString* date, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      aboutVer_(version),
      aboutDate_(date) {
    setObjectName(QStringLiteral("AboutBox"));
    MarkProgramForm(this);
    setWindowTitle(QStringLiteral("About Vellumo"));
    setModal(false);
    setFixedSize(274, 142);

    panel1_ = new QFrame(this);
    panel1_->setObjectName(QStringLiteral("Panel1"));
    panel1_->setFrameShape(QFrame::Panel);
    panel1_->setFrameShadow(QFrame::Sunken);
    panel1_->setGeometry(8, 8, 258, 103);
    panel1_->installEventFilter(this);

    auto* icon = MakeLabel(panel1_, "ProgramIcon", QString(), QRect(8, 8, 48, 48));
    icon->setPixmap(AppIcon().pixmap(48, 48));
    MakeLabel(panel1_, "Label2", QStringLiteral("Pelmora"), QRect(72, 8, 170, 16));
    QLabel* name = MakeLabel(panel1_, "Label3", QStringLiteral("Vellumo"), QRect(72, 24, 170, 28));
    QFont big = name->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    name->setFont(big);
    version_ = MakeLabel(panel1_, "Version", QString(), QRect(72, 54, 170, 16));
    label5_ = MakeLabel(panel1_, "Label5", QString(), QRect(72, 70, 170, 16));
    MakeLabel(panel1_, "Label4", QStringLiteral("図面ファイルの確認と画像の修整"),
              QRect(8, 84, 240, 16));

    label1_ = new QLabel(QStringLiteral("「Rerdme.txt」をお読みください。"), this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setGeometry(8, 116, 258, 20);
    label1_->installEventFilter(this);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TAboutBox::FormShow() {
    version_->setText(aboutVer_ ? *aboutVer_ : QString());
    label5_->setText((aboutDate_ ? *aboutDate_ : QString()) + QStringLiteral(" 版"));
}

void TAboutBox::FormClick() { close(); }
void TAboutBox::Label1Click() { close(); }
void TAboutBox::Panel1Click() { close(); }

void TAboutBox::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TAboutBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        FormClick();
        return;
    }
    QDialog::mousePressEvent(event);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == label1_) {
            Label1Click();
            return true;
        }
        if (watched == panel1_) {
            Panel1Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vellumo

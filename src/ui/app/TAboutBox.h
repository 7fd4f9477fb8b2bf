#pragma once
// The About box: title, version and release date of the program. Modeless; the checker
// window shows and hides it.

#include <QDialog>

class QLabel;
class QFrame;

namespace vellumo {

struct AboutTexts;

class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    /// `version` and `date` are read at every show (the checker's AboutmesVer and
    /// AboutmesDate).
    TAboutBox(const QString* version, const QString* date, QWidget* parent = nullptr);

    QLabel* Version() const { return version_; }
    QLabel* Label5() const { return label5_; }
    QLabel* Label1() const { return label1_; }
    QFrame* Panel1() const { return panel1_; }

    void FormShow();
    void FormClick();
    void Label1Click();
    void Panel1Click();

  protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    const QString* aboutVer_;
    const QString* aboutDate_;
    QFrame* panel1_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* label5_ = nullptr;
    QLabel* label1_ = nullptr;
};

}  // namespace vellumo

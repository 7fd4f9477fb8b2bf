#include "ui/app/Application.h"

#include <QFont>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QToolButton>
#include <QTranslator>

#include "ui/app/AppIcon.h"

namespace vellumo {

namespace {

class ToolTipDelayStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == QStyle::SH_ToolTip_WakeUpDelay) return 200;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

/// Enter presses the focused button, as on Windows; Qt's buttons answer to Space alone
/// outside dialogs.
class EnterPressesButton : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
        if (key->modifiers() & ~Qt::KeypadModifier) return false;
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (!button || !button->hasFocus() || !button->isEnabled()) return false;
        if (!qobject_cast<QPushButton*>(button) && !qobject_cast<QToolButton*>(button))
            return false;
        button->click();
        return true;
    }
};

}  // namespace

void InitializeApplication(QApplication& app) {
    app.setApplicationName(QStringLiteral("Vellumo"));
    app.setWindowIcon(AppIcon());
    // The stored font names are those of Windows; the IPA fonts have the same metrics.
    QFont::insertSubstitutions(
        QStringLiteral("ＭＳ ゴシック"),
        {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
         QStringLiteral("Monospace")});
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
                                QStringLiteral("Sans Serif")});
    app.setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    // Qt's own dialogs and buttons (the save dialog, Yes / No) in Japanese, as the rest of
    // the program; without the translations package they stay in English.
    auto* qtTexts = new QTranslator(&app);
    if (qtTexts->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                      QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(qtTexts);
    else
        delete qtTexts;
    app.setStyle(new ToolTipDelayStyle(QStyleFactory::create(QStringLiteral("Fusion"))));
    app.installEventFilter(new EnterPressesButton(&app));
}

}  // namespace vellumo

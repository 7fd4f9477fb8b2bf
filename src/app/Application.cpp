#include "app/Application.h"

#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTranslator>

#include "app/AppIcon.h"

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

}  // namespace

void InitializeApplication(QApplication& app) {
    app.setApplicationName(QStringLiteral("Vellumo"));
    app.setWindowIcon(AppIcon());
    // The stored font names are those of Windows; the IPA fonts have the same metrics.
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"),
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
}

}  // namespace vellumo

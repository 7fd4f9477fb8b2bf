// The checker window driven through its handlers, with scripted dialogs.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QFontDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>

#include "support/FileBuilders.h"
#include "support/TempDir.h"
#include "ui/Controls.h"
#include "ui/RealDialogs.h"
#include "ui/ScriptedUi.h"
#include "ui/app/Session.h"
#include "ui/app/TAboutBox.h"
#include "ui/checker/TForm1.h"
#include "ui/settings/TForm3.h"

namespace vellumo {
namespace {

using test::Control;
using test::ScriptedUi;
using test::TempDir;

const QString kFileLabel = QStringLiteral(" ファイル名　：");

int CountBlocks(const TForm1& form) {
    int blocks = 0;
    for (const QString& line :
         Control<ReportMemo>(form, "Memo1")->toPlainText().split(QLatin1Char('\n')))
        if (line.startsWith(kFileLabel)) ++blocks;
    return blocks;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

class CheckerWindowTest : public ::testing::Test {
  protected:
    QString SettingsPath() const { return Q(dir.File("vellumo.ini")); }
    std::unique_ptr<TForm1> MakeForm(QStringList files = {}) {
        // Each window its own session, as each start of the program has.
        sessions.push_back(std::make_unique<Session>(SettingsPath()));
        return std::make_unique<TForm1>(*sessions.back(), std::move(files));
    }
    /// Conforming drawings tatemono1.tif ... tatemonoN.tif.
    QStringList Drawings(int count) const {
        QStringList paths;
        for (int i = 1; i <= count; ++i)
            paths << Q(dir.Write("tatemono" + std::to_string(i) + ".tif",
                                 test::DrawingTiff({}, test::Endian::Little, 40000)));
        return paths;
    }

    TempDir dir;
    ScriptedUi ui;
    std::vector<std::unique_ptr<Session>> sessions;
};

TEST_F(CheckerWindowTest, StartsWithUsageCaptionAndDefaults) {
    auto form = MakeForm();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Pelmora Vellumo Ver.2.1b"));
    EXPECT_TRUE(form->ShowingUsage());
    const QStringList lines =
        Control<ReportMemo>(form, "Memo1")->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines[0], QString());
    EXPECT_EQ(lines[1], QStringLiteral("　【使い方】"));
    EXPECT_EQ(lines[4], QStringLiteral("　終了は、「閉じる」又は、右上の「×」ボタン。"));
    EXPECT_EQ(lines[11], QStringLiteral("　Ｄ＆Ｄは、１０ファイルまで。"));
    EXPECT_EQ(Control<ReportMemo>(form, "Memo1")->palette().color(QPalette::Base),
              QApplication::palette().color(QPalette::ToolTipBase));
    EXPECT_TRUE(Control<ReportMemo>(form, "Memo1")->isReadOnly());
    EXPECT_EQ(Control<ReportMemo>(form, "Memo1")->font().family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(Control<ReportMemo>(form, "Memo1")->font().pointSize(), 9);
    EXPECT_EQ(form->minimumSize(), QSize(360, 220));
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(form->pos(), QPoint(80, 40));
    EXPECT_EQ(form->size(), QSize(425, 300));
    EXPECT_FALSE(Control<QCheckBox>(form, "CheckBox1")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(form, "CheckBox2")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(form, "CheckBox3")->isChecked());
    EXPECT_EQ(Control<QPushButton>(form, "Button4")->text(), QStringLiteral("Ｖiewer"));
    EXPECT_EQ(Control<QPushButton>(form, "Button4")->toolTip(),
              QStringLiteral("画像の状態確認・図面の印刷など"));
    EXPECT_EQ(Control<QFrame>(form, "Panel1")->height(), 55);
    EXPECT_TRUE(form->acceptDrops());
}

TEST_F(CheckerWindowTest, DroppingTwelveFilesChecksTenThenSaysTooMany) {
    auto form = MakeForm();
    const QStringList files = Drawings(12);
    form->DropFiles(files);
    EXPECT_EQ(CountBlocks(*form), 10);
    EXPECT_FALSE(form->ShowingUsage());
    EXPECT_EQ(Control<ReportMemo>(form, "Memo1")->palette().color(QPalette::Base),
              QApplication::palette().color(QPalette::Base));
    EXPECT_EQ(form->Shared().CheckedFileName, files[9]);
    EXPECT_GE(ui.processEventsCalls, 10);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("　Vellumo Information　　　　　　　"));
    EXPECT_EQ(ui.messages[0].text,
              QStringLiteral("　ドロップファイル多すぎ！　　\n　１０個で止めときますね。"));
    EXPECT_EQ(ui.messages[0].icon, BoxIcon::Warning);
    EXPECT_TRUE(ui.messages[0].stayOnTop);
    // The byte order goes to the status line.
    EXPECT_FALSE(Control<QStatusBar>(form, "StatusBar1")->currentMessage().isEmpty());
}

TEST_F(CheckerWindowTest, CommandLineFilesAreCheckedWhenFirstShown) {
    auto form = MakeForm(Drawings(12));
    form->FormShow();
    EXPECT_EQ(CountBlocks(*form), 10);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              QStringLiteral("　ドロップファイル多すぎ！　　\n　１０個で止めときますね。"));

    auto two = MakeForm(Drawings(2));
    ui.messages.clear();
    two->FormShow();
    EXPECT_EQ(CountBlocks(*two), 2);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CheckerWindowTest, ReceivedFilesWaitForAListCheckOrAModalBoxAndNoLonger) {
    auto form = MakeForm();
    form->FormShow();
    const QStringList files = Drawings(4);

    // Files arriving during a list's repaints are checked as soon as the list ends.
    QMetaObject::invokeMethod(
        form.get(), [&] { form->ReceiveFiles({files[2]}); }, Qt::QueuedConnection);
    form->DropFiles({files[0], files[1]});
    EXPECT_EQ(CountBlocks(*form), 3);
    EXPECT_EQ(form->Shared().CheckedFileName, files[2]);
    EXPECT_TRUE(form->WaitingFiles().isEmpty());

    // A modal box holds them until it is gone, also when it is deleted while shown.
    for (const bool deleteIt : {false, true}) {
        auto box = std::make_unique<QDialog>();
        box->setWindowModality(Qt::ApplicationModal);
        box->show();
        const int before = CountBlocks(*form);
        form->ReceiveFiles({files[3]});
        QApplication::processEvents();
        EXPECT_EQ(form->WaitingFiles().size(), 1);
        if (deleteIt)
            box.reset();
        else
            box->hide();
        QApplication::processEvents();
        EXPECT_EQ(CountBlocks(*form), before + 1) << deleteIt;
        EXPECT_TRUE(form->WaitingFiles().isEmpty());
    }
}

TEST_F(CheckerWindowTest, DropSkipsFoldersAndAnErrorStopsTheList) {
    auto form = MakeForm();
    const QStringList drawings = Drawings(2);
    const QString folder = Q(dir.Path());
    // A JPEG that ends before its frame header: its invalid-file error ends the list.
    const QString broken = Q(dir.Write("broken.jpg", std::string("\xFF\xD8\xFF\xD9", 4)));
    form->DropFiles({folder, QString(), drawings[0], broken, drawings[1]});
    EXPECT_EQ(CountBlocks(*form), 1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Vellumo"));
    EXPECT_EQ(ui.messages[0].icon, BoxIcon::Critical);
    EXPECT_TRUE(ui.messages[0].text.contains(broken)) << ui.messages[0].text.toStdString();
    EXPECT_EQ(form->Shared().CheckedFileName, broken);
}

TEST_F(CheckerWindowTest, DrawingCheckBoxDecidesTheRuleLines) {
    auto form = MakeForm();
    const QStringList file = Drawings(1);
    Control<QCheckBox>(form, "CheckBox2")->setChecked(false);
    form->DropFiles(file);
    EXPECT_FALSE(
        Control<ReportMemo>(form, "Memo1")->toPlainText().contains(QStringLiteral("【確認】")));
    Control<QCheckBox>(form, "CheckBox2")->setChecked(true);
    form->DropFiles(file);
    EXPECT_TRUE(
        Control<ReportMemo>(form, "Memo1")->toPlainText().contains(QStringLiteral("【確認】")));
}

TEST_F(CheckerWindowTest, ClearBringsTheUsageTextBack) {
    auto form = MakeForm();
    form->DropFiles(Drawings(1));
    form->Button2Click();
    EXPECT_TRUE(form->ShowingUsage());
    EXPECT_EQ(Control<ReportMemo>(form, "Memo1")->toPlainText(),
              TForm1::UsageText().join(QLatin1Char('\n')));
    EXPECT_TRUE(form->Shared().CheckedFileName.isEmpty());
    EXPECT_TRUE(Control<QStatusBar>(form, "StatusBar1")->currentMessage().isEmpty());
    // The next report starts a fresh box again.
    form->DropFiles(Drawings(1));
    EXPECT_EQ(CountBlocks(*form), 1);
    EXPECT_FALSE(
        Control<ReportMemo>(form, "Memo1")->toPlainText().contains(QStringLiteral("【使い方】")));
}

TEST_F(CheckerWindowTest, ViewerRefusesAnUnknownFileThenOpensOnNothing) {
    auto form = MakeForm();
    int opened = 0;
    QString handedOver = QStringLiteral("unset");
    form->SetViewerOpener([&](Session& f) {
        ++opened;
        handedOver = f.HandOffFileName;
    });
    form->DropFiles({Q(dir.Write("notes.txt", std::string("just some text")))});
    form->Button4Click();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Vellumo Information"));
    EXPECT_EQ(
        ui.messages[0].text,
        QStringLiteral("未対応ファイル又は拡張子が間違っています。\n　画像を表示できません。　"));
    EXPECT_EQ(ui.messages[0].icon, BoxIcon::Warning);
    EXPECT_EQ(opened, 0);
    EXPECT_TRUE(form->Shared().CheckedFileName.isEmpty());

    form->Button4Click();
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(handedOver.isEmpty());
}

TEST_F(CheckerWindowTest, ViewerGetsTheDrawingCheckedLastAndNothingAfterClear) {
    auto form = MakeForm();
    QString handedOver;
    form->SetViewerOpener([&](Session& f) { handedOver = f.HandOffFileName; });
    const QStringList files = Drawings(2);
    form->DropFiles(files);
    form->Button4Click();
    EXPECT_EQ(handedOver, files[1]);
    EXPECT_TRUE(ui.messages.empty());

    form->Button2Click();
    form->Button4Click();
    EXPECT_TRUE(handedOver.isEmpty());
    EXPECT_TRUE(ui.messages.empty());

    // A TIFF whose extension does not fit is refused.
    form->DropFiles({Q(dir.Write("drawing.png", test::DrawingTiff()))});
    form->Button4Click();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Vellumo Information"));
}

TEST_F(CheckerWindowTest, StayOnTopColoursTheStrip) {
    auto form = MakeForm();
    form->show();
    Control<QCheckBox>(form, "CheckBox1")->setChecked(true);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(Control<QFrame>(form, "Panel1")->palette().color(QPalette::Window),
              QColor(255, 255, 204));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->pos(), QPoint(80, 40));
    Control<QCheckBox>(form, "CheckBox1")->setChecked(false);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(Control<QFrame>(form, "Panel1")->palette().color(QPalette::Window),
              QApplication::palette().color(QPalette::Button));
    form->hide();
}

TEST_F(CheckerWindowTest, OpenDialogStartsInTheLastFolderWithTheFilterOfTheSearch) {
    auto form = MakeForm();
    const QStringList files = Drawings(1);
    ui.openAnswers.push_back(OpenFileAnswer{files[0], 2});
    form->Button1Click();
    ASSERT_EQ(ui.openRequests.size(), 1u);
    EXPECT_EQ(ui.openRequests[0].filterIndex, 1);
    EXPECT_EQ(ui.openRequests[0].filter,
              QStringLiteral("Graphics_files (ALL)|*.bmp;*.jpg;*.jpeg;*.png;*.gif;*.tif;*.tiff"
                             "|Tiff_file (*.tif)|*.tif;*.tiff|すべてのfiles (*.*)|*.*"));
    EXPECT_EQ(CountBlocks(*form), 1);
    EXPECT_EQ(form->Shared().CheckedFileName, files[0]);
    EXPECT_EQ(form->Shared().LastFolder, Q(dir.Path()));

    form->Shared().GhostscriptAvailable = true;
    form->Button1Click();  // cancelled
    ASSERT_EQ(ui.openRequests.size(), 2u);
    EXPECT_EQ(ui.openRequests[1].folder, Q(dir.Path()));
    EXPECT_EQ(ui.openRequests[1].filterIndex, 2);
    EXPECT_TRUE(ui.openRequests[1].filter.contains(
        QStringLiteral("Tiff,PDF_file (*.tif,*.pdf)|*.bmp;*.tif;*.tiff;*.pdf")));
    EXPECT_EQ(CountBlocks(*form), 1);
}

TEST_F(CheckerWindowTest, DoubleClickChangesTheReportFont) {
    auto form = MakeForm();
    QFont chosen(QStringLiteral("IPAGothic"), 14);
    chosen.setBold(true);
    ui.fontAnswers.push_back(FontChoice{chosen, QColor(0, 0, 128)});
    form->Memo1DblClick();
    ASSERT_EQ(ui.fontRequests.size(), 1u);
    EXPECT_EQ(ui.fontRequests[0].font.family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(Control<ReportMemo>(form, "Memo1")->font().pointSize(), 14);
    EXPECT_TRUE(Control<ReportMemo>(form, "Memo1")->font().bold());
    EXPECT_EQ(Control<ReportMemo>(form, "Memo1")->palette().color(QPalette::Text),
              QColor(0, 0, 128));
    form->Memo1DblClick();  // cancelled: nothing changes
    EXPECT_EQ(Control<ReportMemo>(form, "Memo1")->font().pointSize(), 14);
}

// Qt's font dialog opens on the report's own family (drawn with its substitute), style and
// size; a change of the size alone keeps the stored family under its name.
TEST_F(CheckerWindowTest, TheFontDialogOpensOnTheReportsFont) {
    test::RealDialogs real(&ui);
    auto form = MakeForm();
    form->show();
    QFont opened;
    test::WhenShown<QDialog> dialog([&](QDialog* d) {
        auto* fonts = d->findChild<QFontDialog*>();
        ASSERT_NE(fonts, nullptr);
        opened = fonts->currentFont();
        for (QLineEdit* edit : fonts->findChildren<QLineEdit*>())
            if (edit->text() == QStringLiteral("9")) {
                edit->selectAll();
                QTest::keyClicks(edit, QStringLiteral("12"));
                QTest::keyClick(edit, Qt::Key_Return);
            }
    });
    QTest::mouseDClick(Control<ReportMemo>(form, "Memo1")->viewport(), Qt::LeftButton);
    ASSERT_TRUE(dialog.Done());
    EXPECT_EQ(opened.family().toStdString(),
              QFontInfo(QFont(QStringLiteral("ＭＳ ゴシック"))).family().toStdString());
    EXPECT_EQ(opened.pointSize(), 9);
    EXPECT_FALSE(opened.bold());
    EXPECT_FALSE(opened.italic());
    EXPECT_EQ(Control<ReportMemo>(form, "Memo1")->font().family().toStdString(), "ＭＳ ゴシック");
    EXPECT_EQ(Control<ReportMemo>(form, "Memo1")->font().pointSize(), 12);
    EXPECT_FALSE(Control<ReportMemo>(form, "Memo1")->font().bold());
    EXPECT_FALSE(Control<ReportMemo>(form, "Memo1")->font().italic());
    // Escape leaves the font as it was.
    test::WhenShown<QDialog> cancel([&](QDialog* d) {
        QTest::keyClick(d->findChild<QFontDialog*>()->findChild<QLineEdit*>(), Qt::Key_Escape);
    });
    QTest::mouseDClick(Control<ReportMemo>(form, "Memo1")->viewport(), Qt::LeftButton);
    EXPECT_EQ(Control<ReportMemo>(form, "Memo1")->font().pointSize(), 12);
    form->close();
    const std::string ini = test::ReadText(dir.File("vellumo.ini"));
    EXPECT_NE(ini.find("FontName=ＭＳ ゴシック"), std::string::npos) << ini;
    EXPECT_NE(ini.find("FontStyle=0"), std::string::npos) << ini;
}

// Enter presses the focused button in every window, as Space does.
TEST_F(CheckerWindowTest, EnterPressesTheFocusedButton) {
    auto form = MakeForm();
    TAboutBox about(&form->Shared().AboutmesVer, &form->Shared().AboutmesDate);
    TForm3 settings;
    form->SetAboutBox(&about);
    form->show();
    form->DropFiles(Drawings(1));
    const struct {
        const char* what;
        QAbstractButton* button;
        std::function<bool()> pressed;
    } cases[] = {
        {"クリアー", Control<QPushButton>(form, "Button2"), [&] { return form->ShowingUsage(); }},
        {"?", Control<QToolButton>(form, "SpeedButton1"), [&] { return about.isVisible(); }},
        {"the settings dialog's ...", Control<QPushButton>(settings, "Button1"),
         [&] { return ui.folderTitles.size() == 1; }},
    };
    settings.show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(test::Activate(c.button->window()));
        c.button->setFocus();
        QTest::keyClick(c.button, Qt::Key_Return);
        EXPECT_TRUE(c.pressed());
    }
    form->SetAboutBox(nullptr);
}

TEST_F(CheckerWindowTest, SettingsSurviveARestart) {
    {
        auto form = MakeForm();
        form->move(200, 150);
        form->resize(500, 400);
        Control<QCheckBox>(form, "CheckBox1")->setChecked(true);
        Control<QCheckBox>(form, "CheckBox2")->setChecked(false);
        Control<QCheckBox>(form, "CheckBox3")->setChecked(true);
        form->Shared().LastFolder = QStringLiteral("/drawings/2026");
        QFont f(QStringLiteral("IPAGothic"), 12);
        f.setItalic(true);
        ui.fontAnswers.push_back(FontChoice{f, QColor(255, 0, 0)});
        form->Memo1DblClick();
        form->FormClose();
        EXPECT_TRUE(ui.messages.empty());
    }
    QFile ini(SettingsPath());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(ini.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("FontColor=clRed"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("FontStyle=2"))) << text.toStdString();

    auto again = MakeForm();
    EXPECT_EQ(again->pos(), QPoint(200, 150));
    EXPECT_EQ(again->size(), QSize(500, 400));
    EXPECT_TRUE(Control<QCheckBox>(again, "CheckBox1")->isChecked());
    EXPECT_EQ(Control<QFrame>(again, "Panel1")->palette().color(QPalette::Window),
              QColor(255, 255, 204));
    EXPECT_TRUE(again->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(Control<QCheckBox>(again, "CheckBox2")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(again, "CheckBox3")->isChecked());
    EXPECT_EQ(again->Shared().LastFolder, QStringLiteral("/drawings/2026"));
    EXPECT_EQ(Control<ReportMemo>(again, "Memo1")->font().family(), QStringLiteral("IPAGothic"));
    EXPECT_EQ(Control<ReportMemo>(again, "Memo1")->font().pointSize(), 12);
    EXPECT_TRUE(Control<ReportMemo>(again, "Memo1")->font().italic());
    EXPECT_EQ(Control<ReportMemo>(again, "Memo1")->palette().color(QPalette::Text),
              QColor(255, 0, 0));
}

TEST_F(CheckerWindowTest, GarbageSettingsGiveTheDefaults) {
    // Control bytes, NULs and bytes that are no UTF-8 among the keys.
    static constexpr char kGarbage[] =
        "[Fm_WH]\nTop=abc\nLeft=\x01\x02\nWidth=99999999999\n"
        "[Options]\nFontSize=abc\nVellumo=yes\n\0\0\xff\xfe";
    dir.Write("vellumo.ini", std::string(kGarbage, sizeof kGarbage - 1));
    auto form = MakeForm();
    EXPECT_EQ(form->pos(), QPoint(80, 40));
    EXPECT_EQ(form->size(), QSize(425, 300));
    EXPECT_EQ(Control<ReportMemo>(form, "Memo1")->font().pointSize(), 9);
    EXPECT_TRUE(Control<QCheckBox>(form, "CheckBox2")->isChecked());
}

TEST_F(CheckerWindowTest, AFailedSaveAsksWhetherItRunsOnTheNetwork) {
    // A file where the settings file's folder should be: the folder cannot be made.
    dir.Write("not-a-folder", "x");
    Session session(Q(dir.File("not-a-folder/vellumo.ini")));
    TForm1 form(session, {});
    form.FormClose();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("ネットワーク上で起動した？"));
    EXPECT_EQ(ui.messages[0].icon, BoxIcon::None);
}

TEST_F(CheckerWindowTest, AboutBoxOpensBesideTheWindowAndTheButtonsCloseIt) {
    auto form = MakeForm();
    TAboutBox about(&form->Shared().AboutmesVer, &form->Shared().AboutmesDate);
    form->SetAboutBox(&about);
    form->show();
    form->SpeedButton1Click();
    ASSERT_TRUE(about.isVisible());
    EXPECT_EQ(about.pos(), form->frameGeometry().topLeft() + QPoint(70, 70));
    EXPECT_EQ(about.Version()->text(), QStringLiteral("Ver.2.1b"));
    EXPECT_EQ(about.Label5()->text(), QStringLiteral("2021.02.26 版"));
    form->SpeedButton1Click();
    EXPECT_FALSE(about.isVisible());

    form->SpeedButton1Click();
    form->Button2Click();
    EXPECT_FALSE(about.isVisible());
    form->SpeedButton1Click();
    form->Button1Click();  // cancelled open
    EXPECT_FALSE(about.isVisible());
    form->SpeedButton1Click();
    form->Button4Click();
    EXPECT_FALSE(about.isVisible());

    // Kept above the checker while the checker stays on top, by the click of "?"; the
    // checker keeps its place through the change.
    const QPoint place = form->frameGeometry().topLeft();
    for (const bool onTop : {true, false}) {
        QTest::mouseClick(Control<QCheckBox>(form, "CheckBox1"), Qt::LeftButton);
        ASSERT_EQ(Control<QCheckBox>(form, "CheckBox1")->isChecked(), onTop);
        QApplication::processEvents();
        EXPECT_EQ(form->frameGeometry().topLeft(), place);
        QTest::mouseClick(Control<QToolButton>(form, "SpeedButton1"), Qt::LeftButton);
        ASSERT_TRUE(about.isVisible());
        EXPECT_EQ(bool(about.windowHandle()->flags() & Qt::WindowStaysOnTopHint), onTop);
        EXPECT_EQ(about.pos(), form->frameGeometry().topLeft() + QPoint(70, 70));
        QTest::mouseClick(Control<QToolButton>(form, "SpeedButton1"), Qt::LeftButton);
    }
    form->SetAboutBox(nullptr);
    form->hide();
}

}  // namespace
}  // namespace vellumo

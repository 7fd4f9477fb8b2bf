// The About box's click rules, the settings dialog's Ghostscript state, and the start-up:
// one copy per login, a crashed copy never blocks.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <thread>

#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "ui/Controls.h"
#include "ui/ScriptedUi.h"
#include "ui/app/Session.h"
#include "ui/app/Startup.h"
#include "ui/app/TAboutBox.h"
#include "ui/checker/TForm1.h"
#include "ui/settings/TForm3.h"

namespace vellumo {
namespace {

using test::Control;
using test::ScriptedUi;
using test::TempDir;

TEST(AboutBoxTest, ShowsVersionAndDateAndClosesOnlyWhereItShould) {
    const QString version = QStringLiteral("Ver.2.1b");
    const QString date = QStringLiteral("2021.02.26");
    TAboutBox box(&version, &date);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Vellumo"));
    EXPECT_EQ(box.size(), QSize(274, 142));
    EXPECT_EQ(box.Label1()->text(), QStringLiteral("「Rerdme.txt」をお読みください。"));
    EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("Pelmora"));
    EXPECT_EQ(box.findChild<QLabel*>(QStringLiteral("Label3"))->text(), QStringLiteral("Vellumo"));

    box.show();
    EXPECT_EQ(box.Label5()->text(), QStringLiteral("2021.02.26 版"));
    // The labels inside the panel do nothing.
    QTest::mouseClick(box.findChild<QLabel*>(QStringLiteral("Label3")), Qt::LeftButton);
    QTest::mouseClick(box.Version(), Qt::LeftButton);
    EXPECT_TRUE(box.isVisible());
    QTest::mouseClick(box.Panel1(), Qt::LeftButton, {}, QPoint(250, 95));
    EXPECT_FALSE(box.isVisible());
    box.show();
    QTest::mouseClick(box.Label1(), Qt::LeftButton);
    EXPECT_FALSE(box.isVisible());
    box.show();
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(270, 138));
    EXPECT_FALSE(box.isVisible());
}

TEST(SettingsDialogTest, PdfPageFollowsTheGhostscriptSearch) {
    TForm3 dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("設定"));
    EXPECT_EQ(Control<QLabel>(dialog, "Label11")->text(),
              QStringLiteral("● Ghostscript ： 利用不可"));
    EXPECT_FALSE(Control<QFrame>(dialog, "Panel1")->isEnabled());
    dialog.SetGhostscriptAvailable(true);
    EXPECT_TRUE(Control<QFrame>(dialog, "Panel1")->isEnabled());
    EXPECT_EQ(Control<QLabel>(dialog, "Label11")->text(),
              QStringLiteral("● Ghostscript ： 利用可能"));
    Control<QCheckBox>(dialog, "CheckBox4")->setChecked(true);
    EXPECT_EQ(dialog.UseGsBits(), -1);
    dialog.SetGhostscriptAvailable(false);
    EXPECT_FALSE(Control<QFrame>(dialog, "Panel1")->isEnabled());
    EXPECT_FALSE(Control<QCheckBox>(dialog, "CheckBox4")->isChecked());
    EXPECT_EQ(dialog.UseGsBits(), 0);
    EXPECT_EQ(Control<QFrame>(dialog, "Panel1")->palette().color(QPalette::Window),
              QColor(192, 192, 192));
    EXPECT_EQ(Control<QLabel>(dialog, "Label11")->text(),
              QStringLiteral("● Ghostscript ： 利用不可"));

    // "利用" stored on, Ghostscript not there: shown off and disabled, kept in the file.
    const TempDir dir;
    const std::string ini = dir.Write("vellumo.ini", "[Options]\nUseGs=1\n");
    dialog.SetSettingsPath(QString::fromStdString(ini));
    dialog.show();
    EXPECT_FALSE(Control<QCheckBox>(dialog, "CheckBox4")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(dialog, "CheckBox4")->isEnabled());
    EXPECT_EQ(dialog.UseGsBits(), 0);
    dialog.close();
    EXPECT_NE(test::ReadText(ini).find("UseGs=1"), std::string::npos);
    dialog.SetGhostscriptAvailable(true);
    EXPECT_TRUE(Control<QCheckBox>(dialog, "CheckBox4")->isChecked());
    EXPECT_EQ(dialog.UseGsBits(), -1);
}

/// Runs the real program offscreen with its lock in `runtimeDir`.
class ProgramProcess {
  public:
    explicit ProgramProcess(const QString& runtimeDir) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process_.setProcessEnvironment(env);
        process_.start(QStringLiteral(VELLUMO_PROGRAM), {});
    }
    ~ProgramProcess() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    qint64 Pid() const { return process_.processId(); }
    QProcess& Process() { return process_; }

  private:
    QProcess process_;
};

class StartupTest : public ::testing::Test {
  protected:
    /// Waits until some process holds the lock.
    bool LockTaken() {
        for (int i = 0; i < 200; ++i) {
            if (!SingleInstance::TryAcquire()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    QString Executable() const { return QString::fromStdString(exeDir.File("vellumo")); }

    TempDir runtime;
    /// The lock and the hand-off socket of these tests' copies live in `runtime`.
    test::ScopedEnv runtimeEnv{"XDG_RUNTIME_DIR", runtime.Path()};
    TempDir exeDir;
    ScriptedUi ui;
};

TEST_F(StartupTest, CreatesTheThreeWindowsWhenAlone) {
    auto program = StartProgram(Executable(), {});
    ASSERT_TRUE(program);
    EXPECT_TRUE(program->lock.Held());
    ASSERT_TRUE(program->form1 && program->aboutBox && program->form3);
    Session& session = *program->session;
    EXPECT_EQ(&program->form1->Shared(), &session);
    EXPECT_EQ(session.SettingsPath(), QString::fromStdString(exeDir.File("vellumo.ini")));
    EXPECT_FALSE(program->aboutBox->isVisible());
    EXPECT_TRUE(ui.messages.empty());
    // The settings dialog's PDF page follows the search's result, both ways.
    for (const bool found : {true, false}) {
        session.SetGhostscript(found, QStringLiteral("gs"));
        EXPECT_EQ(Control<QFrame>(program->form3, "Panel1")->isEnabled(), found);
        EXPECT_EQ(
            Control<QLabel>(program->form3, "Label11")->text().contains(QStringLiteral("利用可能")),
            found);
    }
    // While this copy runs, a second start is refused.
    EXPECT_FALSE(StartProgram(Executable(), {}));
}

TEST_F(StartupTest, ASecondCopyIsRefusedWhileTheFirstRunsAndAllowedAfterItWasKilled) {
    ProgramProcess first(QString::fromStdString(runtime.Path()));
    ASSERT_TRUE(first.Process().waitForStarted(10000));
    ASSERT_TRUE(LockTaken());

    EXPECT_FALSE(StartProgram(Executable(), {}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("警告"));
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Pelmoraは既に起動しています。"));
    EXPECT_EQ(ui.messages[0].icon, BoxIcon::Warning);
    EXPECT_EQ(first.Process().state(), QProcess::Running);

    ::kill(pid_t(first.Pid()), SIGKILL);
    ASSERT_TRUE(first.Process().waitForFinished(10000));
    auto program = StartProgram(Executable(), {});
    EXPECT_TRUE(program);
    EXPECT_EQ(ui.messages.size(), 1u);
}

}  // namespace
}  // namespace vellumo

// The program as a desktop application: an installed copy keeps its settings and working
// files in the user's folders, and files named by a second start are checked by the
// running copy (also when they arrive while its viewer is open).

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <filesystem>

#include "platform/HandOff.h"
#include "save/TiffWriter.h"
#include "support/FileBuilders.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "ui/Controls.h"
#include "ui/ScriptedUi.h"
#include "ui/ViewerFixture.h"
#include "ui/app/Session.h"
#include "ui/app/Startup.h"
#include "ui/checker/TForm1.h"
#include "ui/settings/TForm3.h"
#include "ui/viewer/TForm2.h"

namespace vellumo {
namespace {

using test::Control;
namespace fs = std::filesystem;
using test::Q;
using test::ScriptedUi;
using test::TempDir;

const QString kFileLabel = QStringLiteral(" ファイル名　：");

QStringList ReportedNames(const TForm1& form) {
    QStringList names;
    for (const QString& line :
         Control<ReportMemo>(form, "Memo1")->toPlainText().split(QLatin1Char('\n')))
        if (line.startsWith(kFileLabel))
            names << line.mid(kFileLabel.size()).section(QLatin1Char(' '), 0, 0);
    return names;
}

bool WaitUntil(const std::function<bool()>& done, int ms = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return done();
}

class DesktopStartTest : public ::testing::Test {
  protected:
    /// The places of a copy installed where its user cannot write.
    ProgramFiles Installed() const {
        ProgramFilesEnvironment env;
        env.home = home.Path();
        env.xdgConfigHome = home.File("cfg");
        env.folderWritable = [](const std::string&) { return false; };
        env.fileExists = [](const std::string&) { return false; };
        return ChooseProgramFiles(exeDir.File("vellumo"), env);
    }

    /// The real program, a second start, with `files` named relative to `folder`.
    int SecondStart(const QStringList& files, const QString& folder) {
        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), Q(runtime.Path()));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        second.setProcessEnvironment(env);
        second.setWorkingDirectory(folder);
        second.start(QStringLiteral(VELLUMO_PROGRAM), files);
        // Its files arrive while this copy's event loop runs.
        if (!WaitUntil([&] { return second.state() == QProcess::NotRunning; })) {
            second.kill();
            second.waitForFinished();
            return -1;
        }
        return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
    }

    std::string Drawing(const std::string& name) const {
        return files.Write(name, test::DrawingTiff({}, test::Endian::Little, 40000));
    }

    TempDir runtime, home, exeDir, files;
    /// The lock and the hand-off socket of these tests' copies live in `runtime`.
    test::ScopedEnv runtimeEnv{"XDG_RUNTIME_DIR", runtime.Path()};
    ScriptedUi ui;
};

TEST_F(DesktopStartTest, AnInstalledCopyKeepsItsFilesInTheUsersFoldersAndClosesQuietly) {
    auto program = StartProgram(Installed(), {});
    ASSERT_TRUE(program);
    TForm1& checker = *program->form1;
    EXPECT_EQ(checker.Shared().SettingsPath(), Q(home.File("cfg/vellumo/vellumo.ini")));
    EXPECT_EQ(checker.Shared().WorkFolder(), Q(home.File(".cache/vellumo")));
    EXPECT_EQ(program->form3->SettingsPath(), checker.Shared().SettingsPath());

    // The viewer's cut-out goes to the cache folder, made on first use; the viewer's and
    // the checker's settings to the configuration folder, without a message.
    const std::string picture = files.File("c.tif");
    WriteRgbTiff(test::ColourPicture(60, 40), picture, TiffCompression::Lzw, 400);
    checker.Shared().HandOffFileName = checker.Shared().CheckedFileName = Q(picture);
    {
        TForm2 viewer(checker.Shared(), program->form3.get());
        viewer.show();
        QApplication::processEvents();
        viewer.Button11Click();
        viewer.Button12Click();
        viewer.WaitForPictureWrite();
        EXPECT_TRUE(fs::exists(home.File(".cache/vellumo/Tmp.png")));
        viewer.close();
    }
    checker.close();
    EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text.toStdString();
    EXPECT_TRUE(fs::exists(home.File("cfg/vellumo/vellumo.ini")));
    EXPECT_TRUE(fs::is_empty(exeDir.Path()));
}

TEST_F(DesktopStartTest, ASecondStartHandsItsFilesToTheRunningCopy) {
    // A crashed copy left its socket behind: the new first copy takes the name over.
    {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const std::string stale = HandOffSocketPath();
        stale.copy(addr.sun_path, sizeof addr.sun_path - 1);
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        close(fd);
    }
    auto program = StartProgram(Q(exeDir.File("vellumo")), {});
    ASSERT_TRUE(program);
    TForm1& checker = *program->form1;
    checker.show();
    QApplication::processEvents();  // the first show's check of the start's (no) files

    Drawing("tatemono1.tif");
    Drawing("tatemono2.tif");
    fs::create_directory(files.File("folder"));
    // Named relative to the second start's own folder; a folder is skipped as in a drop.
    EXPECT_EQ(SecondStart({"tatemono1.tif", "folder", "tatemono2.tif"}, Q(files.Path())), 0);
    ASSERT_TRUE(WaitUntil([&] { return ReportedNames(checker).size() == 2; }));
    EXPECT_EQ(ReportedNames(checker), (QStringList{"tatemono1.tif", "tatemono2.tif"}));
    EXPECT_EQ(checker.Shared().CheckedFileName, Q(files.File("tatemono2.tif")));
    EXPECT_TRUE(ui.messages.empty());

    // Eleven files: the ten-file rule of a drop.
    QStringList eleven;
    for (int i = 1; i <= 11; ++i)
        eleven << Q(Drawing("tatemono" + std::to_string(10 + i) + ".tif"));
    EXPECT_EQ(SecondStart(eleven, Q(files.Path())), 0);
    ASSERT_TRUE(WaitUntil([&] { return !ui.messages.empty(); }));
    EXPECT_EQ(ui.messages[0].text,
              QStringLiteral("　ドロップファイル多すぎ！　　\n　１０個で止めときますね。"));
    EXPECT_EQ(ReportedNames(checker).size(), 12);
    EXPECT_EQ(ReportedNames(checker).last(), QStringLiteral("tatemono20.tif"));

    // While the viewer is open, the files wait and are checked when it closes.
    qsizetype reportedWhileOpen = 0;
    int exitWhileOpen = -1;
    checker.SetViewerOpener([&](Session&) {
        exitWhileOpen = SecondStart({QStringLiteral("tatemono2.tif")}, Q(files.Path()));
        WaitUntil([&] { return !checker.WaitingFiles().isEmpty(); });
        reportedWhileOpen = ReportedNames(checker).size();
    });
    checker.Button4Click();
    EXPECT_EQ(exitWhileOpen, 0);
    EXPECT_EQ(reportedWhileOpen, 12);
    EXPECT_EQ(ReportedNames(checker).size(), 13);
    EXPECT_EQ(ReportedNames(checker).last(), QStringLiteral("tatemono2.tif"));
    EXPECT_TRUE(checker.WaitingFiles().isEmpty());
    EXPECT_EQ(ui.messages.size(), 1u);

    // Without files, a second start still only warns (the warning shows in that process,
    // so here: this process as the second start).
    EXPECT_FALSE(StartProgram(Q(exeDir.File("vellumo")), {}));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, QStringLiteral("Pelmoraは既に起動しています。"));
}

}  // namespace
}  // namespace vellumo

// The viewer's PDF load with real Ghostscript: page 1 shown under the PDF's name in one bit
// or in colour, names with spaces and Japanese characters, the converter's own resolution,
// a PDF it rejects, a converter that cannot start or does not end, and a B4 page saved as
// a G4 drawing that the check confirms.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QComboBox>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "check/CheckFile.h"
#include "check/ReportView.h"
#include "document/PdfConversion.h"
#include "platform/Error.h"
#include "save/TiffWriter.h"
#include "support/PdfFiles.h"
#include "ui/Controls.h"
#include "ui/RealDialogs.h"
#include "ui/ViewerFixture.h"
#include "ui/checker/TForm1.h"
#include "ui/settings/TForm3.h"
#include "ui/viewer/TForm2.h"

namespace vellumo {
namespace {

using test::Control;
using namespace std::chrono_literals;
using test::Q;

/// Whether process `pid` runs (an ended one waiting to be reaped does not).
bool Runs(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const size_t end = line.rfind(')');
    return end != std::string::npos && end + 2 < line.size() && line[end + 2] != 'Z';
}

class PdfLoadTest : public test::ViewerFixture {
  protected:
    void SetUp() override {
        ViewerFixture::SetUp();
        UseProgramFolder(dir.Path());
    }
    /// The program (its settings file) in `folder`, with "利用" on and Ghostscript found.
    void UseProgramFolder(const std::string& folder) {
        std::filesystem::create_directories(folder);
        ini = folder + "/vellumo.ini";
        { std::ofstream(ini) << "[Options]\nUseGs=1\n"; }
        MakeChecker();
        session->GhostscriptAvailable = true;
        session->GhostscriptFolder = Q(test::GhostscriptProgram());
        dialog.SetGhostscriptAvailable(true);
    }
    QString LastMessage() const {
        return ui.messages.empty() ? QString() : ui.messages.back().text;
    }
    /// A converter that writes part of its page, notes its own pid and that of a child it
    /// starts in "gs.pid", and waits for the child, which sleeps.
    std::string HangingConverter() {
        const std::string program =
            dir.Write("hanging-gs",
                      "#!/bin/sh\n"
                      "for a; do case $a in -sOutputFile=*) o=${a#*=};; esac; done\n"
                      "echo part > \"$o\"\n/bin/sleep 30 &\n"
                      "echo $$ $! > \"$(dirname \"$o\")/gs.pid\"\nwait\n");
        ::chmod(program.c_str(), 0755);
        return program;
    }
};

TEST_F(PdfLoadTest, PageOneIsShownUnderThePdfsNameInOneBitOrColourAtAnyResolution) {
    VELLUMO_REQUIRE_GHOSTSCRIPT(program);
    // Spaces and Japanese names in the program's folder and the PDF's.
    UseProgramFolder(dir.File("プログラム フォルダ"));
    std::filesystem::create_directories(dir.File("図面 フォルダ"));
    const std::string pdf = dir.File("図面 フォルダ/平面図 第１版.pdf");
    ASSERT_TRUE(test::MakeThreePagePdf(program, pdf));
    const QString caption = QStringLiteral("Pelmora Ｖiew 【平面図 第１版.pdf】(Pdf-Conv)");
    Open(pdf);  // "モノクロ２値" at 400 dpi, as the dialog starts
    EXPECT_TRUE(ui.messages.empty()) << LastMessage().toStdString();
    ASSERT_EQ(viewer->Document().Picture().Format(), PixelFormat::Bit1);
    EXPECT_EQ(viewer->Document().Picture().Width(), 400u);
    EXPECT_EQ(viewer->Document().Picture().Height(), 200u);
    // Page 1: black on the left, white on the right.
    const auto& palette = viewer->Document().Picture().Palette();
    EXPECT_EQ(palette[viewer->Document().Picture().PixelIndex(20, 100)].r, 0);
    EXPECT_EQ(palette[viewer->Document().Picture().PixelIndex(300, 100)].r, 255);
    EXPECT_EQ(viewer->windowTitle(), caption);
    EXPECT_EQ(viewer->StatusText(),
              QStringLiteral("　ImageType：Bitmap（PixelFormat：1bit  Resolution： 400dpi）"));
    EXPECT_EQ(Q(viewer->Document().FileName2()), Q(dir.File("プログラム フォルダ/tmp.tif")));
    EXPECT_EQ(Q(viewer->Document().OrgFName()), Q(pdf));
    EXPECT_TRUE(viewer->Document().PdfConverted());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // "24bitカラー" at 200 dpi, dropped: the page in colour.
    Control<QRadioButton>(dialog, "RadioButton2")->setChecked(true);
    Control<QComboBox>(dialog, "ComboBox1")->setCurrentText(QStringLiteral("200"));
    viewer->DropFiles({Q(pdf)});
    EXPECT_TRUE(ui.messages.empty()) << LastMessage().toStdString();
    ASSERT_EQ(viewer->Document().Picture().Format(), PixelFormat::Bit32);
    EXPECT_EQ(viewer->Document().Picture().Width(), 200u);
    const uint8_t* red = viewer->Document().Picture().Row(50) + 4 * 75;
    EXPECT_EQ((std::array<int, 3>{red[0], red[1], red[2]}), (std::array<int, 3>{0, 0, 255}));
    EXPECT_EQ(viewer->StatusText(),
              QStringLiteral("　ImageType：Tiff（PixelFormat：24bppBGR  Resolution：200dpi）"));
    EXPECT_EQ(viewer->windowTitle(), caption);

    // "指定しない": Ghostscript's own resolution for the fax device, 204 × 196 dpi.
    Control<QRadioButton>(dialog, "RadioButton1")->setChecked(true);
    Control<QComboBox>(dialog, "ComboBox1")->setCurrentText(QStringLiteral("指定しない"));
    viewer->DropFiles({Q(pdf)});
    EXPECT_EQ(viewer->Document().Picture().Width(), 204u);
    EXPECT_EQ(viewer->Document().Picture().Height(), 98u);
    EXPECT_EQ(viewer->Document().Resolution().DpiX, 204.f);

    // A PDF Ghostscript rejects: the message; the picture before stays, no page is left.
    viewer->DropFiles({Q(dir.Write("bad.pdf", std::string(3000, '\x9c')))});
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(LastMessage(), QStringLiteral("PDFファイルのコンバートに失敗しました。\nbad.pdf"));
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("確認"));
    EXPECT_EQ(viewer->Document().Picture().Width(), 204u);
    EXPECT_EQ(Q(viewer->Document().FileName2()), Q(dir.File("プログラム フォルダ/tmp.tif")));
    EXPECT_TRUE(viewer->Document().PdfConverted());
    EXPECT_FALSE(std::filesystem::exists(dir.File("プログラム フォルダ/tmp.tif")));
    EXPECT_EQ(viewer->StatusText(), QString());
}

TEST_F(PdfLoadTest, AConverterThatCannotStartOrDoesNotEnd) {
    const std::string pdf = dir.Write("plan.pdf", std::string("%PDF-1.4\n"));
    // The platform's reason in the error box: a converter that cannot be started, an old
    // page that cannot be removed.
    const std::string missing = dir.File("no-gs");
    session->GhostscriptFolder = Q(missing);
    Open(pdf);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].icon, BoxIcon::Critical);
    EXPECT_EQ(LastMessage().toStdString(),
              WithLfLineEnds(ErrorBoxText("「" + missing +
                                          "」を起動できません。(No such file or directory)")));
    EXPECT_EQ(Q(viewer->Document().FileName2()), Q(pdf));
    EXPECT_FALSE(viewer->Document().PdfConverted());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    std::filesystem::create_directories(dir.File("tmp.tif/held"));
    session->GhostscriptFolder = QStringLiteral("/bin/true");
    viewer->DropFiles({Q(pdf)});
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(LastMessage().toStdString(),
              WithLfLineEnds(ErrorBoxText("「" + dir.File("tmp.tif") +
                                          "」を削除できません。(Is a directory)")));
    std::filesystem::remove_all(dir.File("tmp.tif"));
    ui.messages.clear();

    // A converter that writes part of its page and hangs: the wait texts come at their
    // moments while the window runs, it is stopped at the limit, nothing partial is loaded.
    session->GhostscriptFolder = Q(HangingConverter());
    viewer->SetPdfWaitLimit(1300ms);
    QStringList texts;
    bool hourglass = false;
    QTimer watch;
    watch.callOnTimeout([&] {
        if (texts.isEmpty() || texts.back() != viewer->StatusText()) texts << viewer->StatusText();
        hourglass = hourglass || (QApplication::overrideCursor() &&
                                  QApplication::overrideCursor()->shape() == Qt::BusyCursor);
    });
    watch.start(10);
    viewer->DropFiles({Q(pdf)});
    watch.stop();
    EXPECT_EQ(texts,
              (QStringList{Q(std::string(kPdfConvertText)), Q(std::string(kPdfConvertWait1Text))}));
    EXPECT_TRUE(hourglass);
    EXPECT_EQ(LastMessage(), QStringLiteral("PDFファイルのコンバートに失敗しました。\nplan.pdf"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("tmp.tif")));
    EXPECT_TRUE(viewer->isVisible());
}

TEST_F(PdfLoadTest, EscTheCancelButtonOrTheCloseEndTheConversionAtOnce) {
    const std::string pdf = dir.Write("plan.pdf", std::string("%PDF-1.4\n"));
    const std::string picture = dir.File("shown.tif");
    WriteRgbTiff(test::ColourPicture(60, 40), picture, TiffCompression::Lzw, 400);
    session->GhostscriptFolder = Q(HangingConverter());
    const struct Way {
        const char* name;
        std::function<void(TForm2&)> cancel;
        bool closes;
    } ways[] = {
        {"Esc", [](TForm2& v) { QTest::keyClick(&v, Qt::Key_Escape); }, false},
        {"中止",
         [](TForm2& v) { QTest::mouseClick(Control<QPushButton>(v, "Button15"), Qt::LeftButton); },
         false},
        {"close", [](TForm2& v) { v.close(); }, true},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        Open(picture);
        ASSERT_TRUE(test::Activate(viewer.get()));
        viewer->SetPdfWaitLimit(20s);  // a cancel that did not work ends in the failure message
        const QString caption = viewer->windowTitle(), status = viewer->StatusText();
        bool acted = false, offered = false;
        QTimer watch;
        watch.callOnTimeout([&] {
            if (acted || !std::filesystem::exists(dir.File("gs.pid"))) return;
            // Only 中止 is on while the converter runs.
            offered = Control<QPushButton>(viewer, "Button15")->isVisible() &&
                      !Control<QFrame>(viewer, "Panel1")->isEnabled() &&
                      !viewer->menuBar()->isEnabled();
            acted = true;
            way.cancel(*viewer);
        });
        watch.start(10);
        viewer->DropFiles({Q(pdf)});
        watch.stop();
        EXPECT_TRUE(offered);
        EXPECT_TRUE(ui.messages.empty()) << LastMessage().toStdString();
        EXPECT_FALSE(std::filesystem::exists(dir.File("tmp.tif")));
        // The converter's whole group has ended, the child it started included.
        std::ifstream pidFile(dir.File("gs.pid"));
        pid_t converter = 0, child = 0;
        pidFile >> converter >> child;
        ASSERT_GT(child, 0);
        EXPECT_FALSE(Runs(converter));
        EXPECT_TRUE(test::WaitFor([&] { return !Runs(child); }));
        std::filesystem::remove(dir.File("gs.pid"));
        QApplication::processEvents();
        EXPECT_EQ(viewer->isVisible(), !way.closes);
        if (way.closes) continue;
        // The viewer as before the drop.
        EXPECT_EQ(viewer->Document().Picture().Width(), 60u);
        EXPECT_EQ(Q(viewer->Document().FileName2()), Q(picture));
        EXPECT_FALSE(viewer->Document().PdfConverted());
        EXPECT_EQ(viewer->windowTitle(), caption);
        EXPECT_EQ(viewer->StatusText(), status);
        EXPECT_FALSE(Control<QPushButton>(viewer, "Button15")->isVisible());
        EXPECT_TRUE(Control<QFrame>(viewer, "Panel1")->isEnabled());
        EXPECT_TRUE(viewer->menuBar()->isEnabled());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

TEST_F(PdfLoadTest, AB4PageSavedAsG4IsAConfirmedDrawing) {
    VELLUMO_REQUIRE_GHOSTSCRIPT(program);
    const std::string pdf = dir.File("b4.pdf");
    ASSERT_TRUE(test::MakeB4Pdf(program, pdf));
    Open(pdf);
    ASSERT_EQ(viewer->Document().Picture().Format(), PixelFormat::Bit1);
    EXPECT_EQ(viewer->Document().Picture().Width(), 5732u);
    EXPECT_EQ(viewer->Document().Picture().Height(), 4047u);

    // The save proposes the PDF's name; the dialog's TIFF options are G4 at 400 dpi.
    const std::string drawing = dir.File("tatemono1.tif");
    ui.saveScripts.push_back({{}, SaveFileAnswer{Q(drawing), 1}});
    viewer->Button8Click();
    viewer->WaitForPictureWrite();
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(ui.saveRequests[0].fileName, QStringLiteral("b4"));

    CollectingReportView report;
    CheckOptions options;
    const CheckResult result = CheckFile(drawing, options, report);
    std::string lines;
    for (const std::string& line : report.Lines()) lines += line + "\n";
    EXPECT_TRUE(result.verdict.Passed()) << lines;
}

}  // namespace
}  // namespace vellumo

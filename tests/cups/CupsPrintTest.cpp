// Printing through a real CUPS server: the viewer prints to a PDF queue whose printer has
// margins and fits jobs to them by default, and the sheets that come out are measured.
// The server is the tests' own (cups-test-server.sh); where it cannot run, the tests skip
// with its reason.

#include <QApplication>
#include <QComboBox>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "print/PrinterBackendQt.h"
#include "save/FaxBitmap.h"
#include "save/TiffWriter.h"
#include "support/BorderedDrawing.h"
#include "support/PageMeasure.h"
#include "ui/ViewerFixture.h"

namespace vellumo {
namespace {

namespace fs = std::filesystem;
using test::BorderedDrawing;
using test::MeasuredPage;

constexpr const char* kQueue = "VellumoPdf";

std::string ServerDir() { return VELLUMO_CUPS_DIR; }

// Every use of CUPS in this program goes to the tests' server: set before anything asks
// CUPS (the library reads the variable once).
const bool kServerChosen = [] {
    setenv("CUPS_SERVER", (ServerDir() + "/sock").c_str(), 1);
    return true;
}();

/// Why the server is not there, or "" when it is.
std::string Unavailable() {
    const std::string dir = ServerDir();
    std::ifstream reason(dir + "/unavailable");
    if (reason) {
        std::string text;
        std::getline(reason, text);
        return text;
    }
    if (!fs::exists(dir + "/sock"))
        return "the tests' CUPS server is not running (ctest starts it before these tests)";
    return "";
}

/// Waits until the queue has no job left and returns the PDFs it wrote, oldest first.
std::vector<std::string> WaitForOutput(size_t expected) {
    const fs::path out = ServerDir() + "/out";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    std::vector<std::string> files;
    while (std::chrono::steady_clock::now() < deadline) {
        const bool pending =
            std::system((std::string("lpstat -o ") + kQueue + " 2>/dev/null | grep -q .").c_str()) == 0;
        files.clear();
        for (const auto& e : fs::directory_iterator(out))
            if (e.path().extension() == ".pdf") files.push_back(e.path().string());
        if (!pending && files.size() >= expected) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
        return fs::last_write_time(a) < fs::last_write_time(b);
    });
    return files;
}

class CupsPrintTest : public test::ViewerFixture {
protected:
    void SetUp() override {
        const std::string reason = Unavailable();
        if (!reason.empty()) GTEST_SKIP() << "no CUPS server for the printing tests: " << reason;
        if (!test::HavePoppler()) GTEST_SKIP() << "poppler-utils (pdftoppm) is not installed";
        ViewerFixture::SetUp();
        for (const auto& e : fs::directory_iterator(ServerDir() + "/out")) fs::remove(e.path());
        const std::string path = dir.File("tatemono1.tif");
        Bmp2Tif(MakeFaxBitmap(BorderedDrawing()), path, TiffCompression::G4, 400);
        Open(path);
        // The printers of the server, as a user's viewer sees them.
        viewer->SetPrinterBackend(std::make_unique<QtPrinterBackend>());
        viewer->PrtMs = false;
    }
    /// Prints the drawing on `paper` with `copies` and measures the first sheet.
    MeasuredPage Print(int paper, int copies = 1) {
        viewer->ComboBox1->setCurrentIndex(paper);
        (copies == 3 ? viewer->RadioButton3 : copies == 2 ? viewer->RadioButton2
                                                          : viewer->RadioButton1)
            ->setChecked(true);
        viewer->Button7Click();
        const std::vector<std::string> files = WaitForOutput(1);
        if (files.size() != 1) {
            ADD_FAILURE() << "the queue wrote " << files.size() << " files";
            return {};
        }
        pdf = files[0];
        std::optional<MeasuredPage> page = MeasuredPage::Render(pdf, 1, 600, true);
        if (!page) ADD_FAILURE() << "cannot render " << pdf;
        return page ? *page : MeasuredPage{};
    }
    std::string pdf;
};

TEST_F(CupsPrintTest, TheQueueIsListedAndCurrent) {
    ASSERT_GE(viewer->ComboBox2->count(), 1);
    EXPECT_EQ(viewer->ComboBox2->currentText(), QString::fromLatin1(kQueue));
    EXPECT_EQ(viewer->Printer().CurrentPrinterName(), kQueue);
}

TEST_F(CupsPrintTest, A3WithFrameIsUnscaledAt36By20Millimetres) {
    const MeasuredPage page = Print(0);
    EXPECT_NEAR(page.WidthMm(), 420.0, 0.3);
    EXPECT_NEAR(page.HeightMm(), 297.0, 0.3);
    // Across the middle: frame, the drawing's left band (5 mm), its right band, frame.
    const auto row = page.RunsAlongRow(150);
    ASSERT_EQ(row.size(), 4u);
    EXPECT_NEAR((row[0].start + row[0].end) / 2, 35.8, 0.1);
    EXPECT_NEAR(row[0].end - row[0].start, 0.2, 0.1);
    EXPECT_NEAR(row[1].start, 36.0, 0.1);
    EXPECT_NEAR(row[1].end - row[1].start, 5.0, 0.1);
    EXPECT_NEAR(row[2].end - row[1].start, 364.0, 0.3);
    EXPECT_NEAR((row[3].start + row[3].end) / 2, 400.2, 0.3);
    const auto column = page.RunsAlongColumn(200);
    ASSERT_EQ(column.size(), 4u);
    EXPECT_NEAR((column[0].start + column[0].end) / 2, 19.8, 0.1);
    EXPECT_NEAR(column[1].start, 20.0, 0.1);
    EXPECT_NEAR(column[2].end - column[1].start, 257.0, 0.3);
    EXPECT_NEAR((column[3].start + column[3].end) / 2, 277.3, 0.3);

    // The same page sent without asking for true scale comes out shrunk to the printable
    // area: the queue does scale, so the measure above proves the job asked it not to.
    ASSERT_EQ(std::system(("lp -d " + std::string(kQueue) + " -o media=A3 -o landscape '" + pdf +
                           "' > /dev/null 2>&1").c_str()),
              0);
    const std::vector<std::string> files = WaitForOutput(2);
    ASSERT_EQ(files.size(), 2u);
    const auto scaled = MeasuredPage::Render(files[1], 1, 600, true);
    ASSERT_TRUE(scaled);
    const auto scaledRow = scaled->RunsAlongRow(150);
    ASSERT_EQ(scaledRow.size(), 4u);
    EXPECT_LT(scaledRow[2].end - scaledRow[1].start, 360.0);
}

TEST_F(CupsPrintTest, B4TakesTheFullSheetWidth) {
    const MeasuredPage page = Print(1);
    EXPECT_NEAR(page.WidthMm(), 364.0, 0.3);
    EXPECT_NEAR(page.HeightMm(), 257.0, 0.3);
    const auto row = page.RunsAlongRow(120);
    ASSERT_EQ(row.size(), 2u);
    EXPECT_NEAR(row[0].start, 0.0, 0.1);
    EXPECT_NEAR(row[0].end, 5.0, 0.1);
    EXPECT_NEAR(row[1].end, 364.0, 0.3);
    const auto column = page.RunsAlongColumn(180);
    ASSERT_EQ(column.size(), 2u);
    EXPECT_NEAR(column[0].start, 0.0, 0.1);
    EXPECT_NEAR(column[1].end, 257.0, 0.3);
}

TEST_F(CupsPrintTest, A4IsFittedToTheFullWidthAndThreeCopiesAreThreeSheets) {
    const MeasuredPage page = Print(2, 3);
    EXPECT_NEAR(page.WidthMm(), 297.0, 0.3);
    const auto row = page.RunsAlongRow(100);
    ASSERT_EQ(row.size(), 2u);
    EXPECT_NEAR(row[0].start, 0.0, 0.1);
    EXPECT_NEAR(row[0].end, 297.0 * 10 / 728, 0.1);
    EXPECT_NEAR(row[1].end, 297.0, 0.3);
    const auto column = page.RunsAlongColumn(150);
    ASSERT_EQ(column.size(), 2u);
    EXPECT_NEAR(column[1].end, 297.0 * 514 / 728, 0.3);
    // The queue makes no copies itself: CUPS sends three sheets of the one page.
    EXPECT_EQ(test::PdfPageCount(pdf), 3);
    const auto third = MeasuredPage::Render(pdf, 3, 600, true);
    ASSERT_TRUE(third);
    EXPECT_EQ(third->RunsAlongRow(100).size(), 2u);
}

}  // namespace
}  // namespace vellumo

// Printing through a real CUPS server: the viewer prints to a PDF queue whose printer has
// margins and fits jobs to them by default, and the sheets that come out are measured.
// The server is the tests' own (cups-test-server.sh); where it cannot run, the tests skip
// with its reason.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/Error.h"
#include "save/FaxBitmap.h"
#include "save/TiffWriter.h"
#include "support/BorderedDrawing.h"
#include "support/PageMeasure.h"
#include "ui/Controls.h"
#include "ui/RealDialogs.h"
#include "ui/ViewerFixture.h"
#include "ui/print/PrinterBackendQt.h"

namespace vellumo {
namespace {

using test::Control;
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
            std::system(
                (std::string("lpstat -o ") + kQueue + " 2>/dev/null | grep -q .").c_str()) == 0;
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
        SetPrintOptions(false, viewer->FrameB4OnA3());
    }
    /// Prints the drawing on `paper` with `copies` and measures the first sheet.
    MeasuredPage Print(int paper, int copies = 1) {
        Control<QComboBox>(viewer, "ComboBox1")->setCurrentIndex(paper);
        (copies == 3   ? Control<QRadioButton>(viewer, "RadioButton3")
         : copies == 2 ? Control<QRadioButton>(viewer, "RadioButton2")
                       : Control<QRadioButton>(viewer, "RadioButton1"))
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
    ASSERT_GE(Control<QComboBox>(viewer, "ComboBox2")->count(), 1);
    EXPECT_EQ(Control<QComboBox>(viewer, "ComboBox2")->currentText(), QString::fromLatin1(kQueue));
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
                           "' > /dev/null 2>&1")
                              .c_str()),
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

// "任意用紙" printed to a file in Qt's own print dialog: the same true-scale sheet, and the
// next print goes to the printer the panel names again.
TEST_F(CupsPrintTest, AnyPaperToAFileThenThePanelsPrinterAgain) {
    const std::string file = dir.File("sheet.pdf");
    {
        test::RealDialogs real(&ui);
        test::WhenShown<QPrintDialog> setup([&](QPrintDialog* d) {
            auto* printers = d->findChild<QComboBox*>(QStringLiteral("printers"));
            ASSERT_NE(printers, nullptr);
            printers->setCurrentIndex(printers->count() - 1);  // "PDF ファイルに出力"
            d->findChild<QLineEdit*>(QStringLiteral("filename"))->setText(test::Q(file));
            QTest::mouseClick(d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                              Qt::LeftButton);
        });
        Control<QComboBox>(viewer, "ComboBox1")->setCurrentIndex(3);
        QTest::mouseClick(Control<QPushButton>(viewer, "Button7"), Qt::LeftButton);
        ASSERT_TRUE(setup.Done());
    }
    const std::optional<MeasuredPage> sheet = MeasuredPage::Render(file, 1, 600, false);
    ASSERT_TRUE(sheet);
    // The drawing across the sheet's full width, its 10 of 728 pixels' left band in scale.
    const double width = sheet->WidthMm();
    const auto row = sheet->RunsAlongRow(20);
    ASSERT_EQ(row.size(), 2u);
    EXPECT_NEAR(row[0].start, 0.0, 0.1);
    EXPECT_NEAR(row[0].end, width * 10 / 728, 0.1);
    EXPECT_NEAR(row[1].end, width, 0.3);
    const auto written = fs::last_write_time(file);

    const MeasuredPage a3 = Print(0);
    EXPECT_NEAR(a3.WidthMm(), 420.0, 0.3);
    EXPECT_EQ(fs::last_write_time(file), written);
    EXPECT_TRUE(ui.messages.empty());
}

// A queue that refuses jobs: the error box names the printer and CUPS's reason.
TEST_F(CupsPrintTest, ARefusedJobIsReported) {
    ASSERT_EQ(std::system((std::string("cupsreject ") + kQueue).c_str()), 0);
    Control<QComboBox>(viewer, "ComboBox1")->setCurrentIndex(0);
    QTest::mouseClick(Control<QPushButton>(viewer, "Button7"), Qt::LeftButton);
    std::system((std::string("cupsaccept ") + kQueue).c_str());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].icon, BoxIcon::Critical);
    const std::string text = ui.messages[0].text.toStdString();
    EXPECT_EQ(text.rfind("印刷出来ませんでした。 '" + std::string(kQueue) + "'\n", 0), 0u) << text;
    EXPECT_NE(text.find("not accepting jobs"), std::string::npos) << text;
}

}  // namespace
}  // namespace vellumo

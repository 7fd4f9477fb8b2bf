// The viewer's print panel: its lists, the question, the setup dialog for any paper, and
// the job on a recording printer; then the same jobs through Qt's own PDF output, measured
// on the rendered page.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

#include "print/PaperGeometry.h"
#include "save/FaxBitmap.h"
#include "save/TiffWriter.h"
#include "settings/SettingsFile.h"
#include "support/BorderedDrawing.h"
#include "support/PageMeasure.h"
#include "support/RecordingPrinter.h"
#include "ui/Controls.h"
#include "ui/ViewerFixture.h"
#include "ui/print/PrinterBackendQt.h"
#include "ui/viewer/CategoryPanelWidget.h"

namespace vellumo {
namespace {

using test::BorderedDrawing;
using test::Control;
using test::Q;
using test::RecordingPrinter;

class PrintPanelTest : public test::ViewerFixture {
  protected:
    void OpenDrawing() {
        const std::string path = dir.File("tatemono1.tif");
        Bmp2Tif(MakeFaxBitmap(BorderedDrawing()), path, TiffCompression::G4, 400);
        Open(path);
    }
    RecordingPrinter& Printer() { return static_cast<RecordingPrinter&>(viewer->Printer()); }
    void ChoosePaper(int position) {
        Control<QComboBox>(viewer, "ComboBox1")->setCurrentIndex(position);
    }
};

TEST_F(PrintPanelTest, ListsStartOnA3OneCopyAndThePresetPrinter) {
    OpenDrawing();
    QComboBox* printers = Control<QComboBox>(viewer, "ComboBox2");
    ASSERT_EQ(printers->count(), 3);
    // Sorted by name, letter case aside.
    EXPECT_EQ(printers->itemText(0), QStringLiteral("archive"));
    EXPECT_EQ(printers->itemText(1), QStringLiteral("DocuWorks Printer"));
    EXPECT_EQ(printers->currentText(), QStringLiteral("DocuWorks Printer"));
    EXPECT_EQ(Printer().current, "DocuWorks Printer");
    ASSERT_EQ(Control<QComboBox>(viewer, "ComboBox1")->count(), 4);
    EXPECT_EQ(Control<QComboBox>(viewer, "ComboBox1")->currentText(), QStringLiteral("A3（横）"));
    EXPECT_EQ(Control<QComboBox>(viewer, "ComboBox1")->itemText(3), QStringLiteral("任意用紙"));
    EXPECT_TRUE(Control<QRadioButton>(viewer, "RadioButton1")->isChecked());
    EXPECT_TRUE(Control<CategoryPanel>(viewer, "CategoryPanel4")->isEnabled());
    // The printer list opens twice as wide as the paper list.
    EXPECT_EQ(printers->view()->minimumWidth(),
              2 * Control<QComboBox>(viewer, "ComboBox1")->width());

    // Without the preset printer the default is current.
    auto plain = std::make_unique<RecordingPrinter>();
    plain->installed = {"Office", "archive"};
    viewer->SetPrinterBackend(std::move(plain));
    EXPECT_EQ(Control<QComboBox>(viewer, "ComboBox2")->currentText(), QStringLiteral("Office"));

    // Choosing another printer makes it current and says so.
    Control<QComboBox>(viewer, "ComboBox2")->setCurrentIndex(0);
    viewer->ComboBox2CloseUp();
    EXPECT_EQ(Printer().current, "archive");
    EXPECT_EQ(viewer->StatusText(), QStringLiteral("　出力先（プリンター）　： archive"));

    // The name of the current printer is written at close (and never read back).
    viewer->close();
    EXPECT_NE(test::ReadText(ini).find("PrinterName=archive"), std::string::npos);
}

TEST_F(PrintPanelTest, TheQuestionThenPaperLandscapeAndTheJob) {
    OpenDrawing();
    ui.answers = {BoxAnswer::Cancel};
    viewer->Button7Click();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              QStringLiteral("ＯＫボタンを押すと直ちに印刷します。準備はよろしいですか？\n\n"
                             "　出力先 ：［DocuWorks Printer］"));
    EXPECT_EQ(ui.messages[0].buttons, BoxButtons::OkCancel);
    EXPECT_TRUE(Printer().jobs.empty());
    EXPECT_TRUE(Printer().paperCodesSet.empty());

    Control<QRadioButton>(viewer, "RadioButton3")->setChecked(true);
    viewer->Button7Click();  // OK
    ASSERT_EQ(Printer().jobs.size(), 1u);
    const RecordingPrinter::Job& job = Printer().jobs[0];
    EXPECT_EQ(Printer().paperCodesSet, std::vector<int>{8});
    EXPECT_EQ(Printer().landscapeSet, 1);
    EXPECT_EQ(job.title, "tatemono1.tif");
    EXPECT_EQ(job.copies, 3);
    EXPECT_EQ(*job.picture, (LogicalRect{360, 200, 4000, 2770}));
    ASSERT_EQ(job.frames.size(), 1u);
    EXPECT_EQ(job.frames[0].first, (LogicalRect{358, 198, 4002, 2773}));
    EXPECT_TRUE(job.ended);
    EXPECT_EQ(viewer->Sheet().PaperWmm, 4199);
    EXPECT_EQ(viewer->Sheet().PaperTO, 120);

    // No question with PrtMs off; B4 without the frame whatever Waku says; a printer
    // without that paper or without landscape prints on what it has.
    SetPrintOptions(false, viewer->FrameB4OnA3());
    Printer().papers = {8};
    Printer().canTurn = false;
    Printer().makesCopies = false;
    ChoosePaper(1);
    viewer->Button7Click();
    EXPECT_EQ(ui.messages.size(), 2u);
    ASSERT_EQ(Printer().jobs.size(), 2u);
    EXPECT_EQ(Printer().paperCodesSet, std::vector<int>{8});
    EXPECT_EQ(Printer().jobs[1].copies, 1);
    EXPECT_TRUE(Printer().jobs[1].frames.empty());
    EXPECT_EQ(Printer().jobs[1].picture->right, viewer->Sheet().PaperWmm);

    // Waku off: no frame on A3 either.
    SetPrintOptions(viewer->AskBeforePrinting(), false);
    ChoosePaper(0);
    viewer->Button7Click();
    EXPECT_TRUE(Printer().jobs.back().frames.empty());

    // Text typed into the paper list that is no entry: nothing at all.
    Control<QComboBox>(viewer, "ComboBox1")->setEditText(QStringLiteral("A5"));
    viewer->Button7Click();
    EXPECT_EQ(Printer().jobs.size(), 3u);
}

TEST_F(PrintPanelTest, AnyPaperGoesThroughTheSetupDialogWithoutAQuestion) {
    OpenDrawing();
    ChoosePaper(3);
    viewer->Button7Click();  // cancelled
    EXPECT_EQ(ui.printerSetupRequests, 1);
    EXPECT_TRUE(Printer().jobs.empty());

    ui.printerSetupAnswers.push_back([](PrinterBackend& p) {
        p.SetCurrentPrinter("archive");
        return true;
    });
    viewer->Button7Click();
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(Printer().jobs.size(), 1u);
    EXPECT_EQ(Printer().jobs[0].printer, "archive");
    EXPECT_TRUE(Printer().paperCodesSet.empty());
    EXPECT_EQ(Printer().landscapeSet, 0);
    EXPECT_TRUE(Printer().jobs[0].frames.empty());
    EXPECT_EQ(viewer->StatusText(), QStringLiteral("　出力先（プリンター）　： archive"));
    EXPECT_EQ(Control<QComboBox>(viewer, "ComboBox2")->currentText(), QStringLiteral("archive"));
}

TEST_F(PrintPanelTest, NoPrinterSaysSoAndPrintsNothing) {
    OpenDrawing();
    auto none = std::make_unique<RecordingPrinter>();
    none->installed.clear();
    none->defaultPrinter.clear();
    viewer->SetPrinterBackend(std::move(none));
    EXPECT_EQ(Control<QComboBox>(viewer, "ComboBox2")->count(), 0);
    const QString status = viewer->StatusText();
    viewer->ComboBox2CloseUp();  // changes nothing
    EXPECT_EQ(viewer->StatusText(), status);
    for (int paper : {0, 3}) {
        ChoosePaper(paper);
        viewer->Button7Click();
    }
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, Q(kNoPrinterText));
    EXPECT_EQ(ui.printerSetupRequests, 0);
    EXPECT_TRUE(Printer().jobs.empty());
}

// Qt's own PDF output, the same sheet geometry as a printer's: measured on the page.
class PdfPrintTest : public PrintPanelTest {
  protected:
    void SetUp() override {
        PrintPanelTest::SetUp();
        if (!test::HavePoppler()) GTEST_SKIP() << "poppler-utils (pdftoppm) is not installed";
    }
    std::optional<test::MeasuredPage> PrintToPdf(int paper) {
        const std::string pdf = dir.File("sheet.pdf");
        viewer->SetPrinterBackend(std::make_unique<QtPrinterBackend>(Q(pdf)));
        SetPrintOptions(false, viewer->FrameB4OnA3());
        ChoosePaper(paper);
        viewer->Button7Click();
        return test::MeasuredPage::Render(pdf, 1, 600, true);
    }
};

TEST_F(PdfPrintTest, A3WithFrameIsTrueScale) {
    OpenDrawing();
    const auto page = PrintToPdf(0);
    ASSERT_TRUE(page);
    EXPECT_NEAR(page->WidthMm(), 420.0, 0.3);
    EXPECT_NEAR(page->HeightMm(), 297.0, 0.3);
    // Across the middle: frame, the drawing's left band (5 mm), its right band, frame.
    const auto row = page->RunsAlongRow(150);
    ASSERT_EQ(row.size(), 4u);
    EXPECT_NEAR((row[0].start + row[0].end) / 2, 35.8, 0.1);
    EXPECT_NEAR(row[0].end - row[0].start, 0.2, 0.1);
    EXPECT_NEAR(row[1].start, 36.0, 0.1);
    EXPECT_NEAR(row[1].end - row[1].start, 5.0, 0.1);
    EXPECT_NEAR(row[2].end, 400.0, 0.2);
    EXPECT_NEAR((row[3].start + row[3].end) / 2, 400.2, 0.2);
    const auto column = page->RunsAlongColumn(200);
    ASSERT_EQ(column.size(), 4u);
    EXPECT_NEAR((column[0].start + column[0].end) / 2, 19.8, 0.1);
    EXPECT_NEAR(column[1].start, 20.0, 0.1);
    EXPECT_NEAR(column[2].end, 277.0, 0.2);
    EXPECT_NEAR((column[3].start + column[3].end) / 2, 277.3, 0.2);
}

TEST_F(PdfPrintTest, A4IsFittedToTheFullWidth) {
    OpenDrawing();
    const auto page = PrintToPdf(2);
    ASSERT_TRUE(page);
    EXPECT_NEAR(page->WidthMm(), 297.0, 0.3);
    const auto row = page->RunsAlongRow(100);
    ASSERT_EQ(row.size(), 2u);
    EXPECT_NEAR(row[0].start, 0.0, 0.1);
    EXPECT_NEAR(row[0].end, 297.0 * 10 / 728, 0.1);  // the band, scaled with the width
    EXPECT_NEAR(row[1].end, page->WidthMm(), 0.2);
    const auto column = page->RunsAlongColumn(150);
    ASSERT_EQ(column.size(), 2u);
    EXPECT_NEAR(column[1].end, 297.0 * 514 / 728, 0.2);  // 209.7 mm: the height in proportion
}

}  // namespace
}  // namespace vellumo

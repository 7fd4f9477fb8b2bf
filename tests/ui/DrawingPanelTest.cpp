// The viewer's drawing panel: its verdict follows the picture and the slider's preview, the
// fit makes a B4 page at 400 dpi or refuses content larger than B4, and the save writes a
// drawing under a name the rule confirms and hands it to the checker's report.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTest>
#include <cstring>
#include <filesystem>
#include <random>

#include "check/CheckFile.h"
#include "check/ReportView.h"
#include "document/DrawingPage.h"
#include "document/DrawingPipeline.h"
#include "save/SaveFormats.h"
#include "ui/ViewerFixture.h"
#include "ui/viewer/DrawingPanel.h"

namespace vellumo {
namespace {

using test::Control;
using test::Q;

std::string Utf8(const QString& s) { return s.toStdString(); }

/// A 24-bit picture of `w` × `h`, white, with a black frame 40 pixels in, black specks and,
/// when `noisy`,
/// a band of random grays: light at a low threshold, far over 300 KB at a high one.
Bitmap Plan(uint32_t w, uint32_t h, bool noisy = false) {
    Bitmap b(w, h, PixelFormat::Bit24);
    b.Fill(0xFF);
    std::mt19937 rng(7);
    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* row = b.Row(y);
        for (uint32_t x = 0; x < w; ++x) {
            const bool frame = (x == 40 || x == w - 41 || y == 40 || y == h - 41) && x >= 40 &&
                               x <= w - 41 && y >= 40 && y <= h - 41;
            // Specks like lettering inside the frame, so the drawing is more than 5 KB.
            const bool speck = x > 400 && x < 1400 && y > 400 && y < 1400 && rng() % 32 == 0;
            uint8_t v = frame || speck ? 0 : 255;
            if (noisy && !frame && y > h / 4 && y < h * 3 / 4) v = uint8_t(100 + rng() % 150);
            row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = v;
        }
    }
    return b;
}

class DrawingPanelTest : public test::ViewerFixture {
  protected:
    /// `picture` written as a TIFF at `dpi` (G4 when `mono`, else uncompressed colour),
    /// opened in the viewer with the drawing panel expanded.
    void OpenPicture(const Bitmap& picture, double dpi, bool mono = false) {
        SaveOptions options;
        options.compression = mono ? TiffCompression::G4 : TiffCompression::None;
        options.dpi = dpi;
        const std::string path = dir.File("scan.tif");
        SavePicture(picture, path, SaveType::Tiff, options);
        Open(path);
        panel = Control<DrawingPanel>(viewer, "CategoryPanel6");
        viewer->ExpandPanel(panel);
        Settle();
    }
    /// Waits until the verdict on the picture as it is now is shown.
    void Settle() {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !panel->Predicting(); }, 20000));
    }
    const Bitmap& Picture() { return viewer->Document().Picture(); }

    DrawingPanel* panel = nullptr;
};

TEST_F(DrawingPanelTest, VerdictFollowsTheCommandsAndTheSlidersPreview) {
    OpenPicture(Plan(kDrawingWidth, kDrawingHeight, true), 400);
    // A colour B4 page at 400 dpi is judged as the threshold would make it.
    Control<QSlider>(viewer, "TrackBar1")->setValue(20);
    Settle();
    ASSERT_TRUE(panel->Prediction());
    EXPECT_TRUE(panel->Prediction()->verdict.Passed()) << Utf8(panel->VerdictLabel->toolTip());
    EXPECT_TRUE(panel->ResultLabel->text().contains(QStringLiteral("しきい値 20")));

    // A quarter turn makes it portrait: the panel says what to do instead of judging.
    viewer->RotateLeft();
    Settle();
    EXPECT_FALSE(panel->Prediction());
    EXPECT_TRUE(panel->VerdictLabel->text().startsWith(QStringLiteral("B4 400dpi に合わせて")));
    viewer->RotateRight();
    Settle();
    ASSERT_TRUE(panel->Prediction());

    // Real time on: the verdict follows the thumb while it is held, before the picture does.
    Control<QCheckBox>(viewer, "CheckBox2")->click();
    ASSERT_TRUE(viewer->Document().PreviewOn());
    viewer->SetLeftButtonProbe([] { return true; });
    Control<QSlider>(viewer, "TrackBar1")->setValue(175);
    Settle();
    ASSERT_TRUE(panel->Prediction());
    EXPECT_GT(panel->Prediction()->dataSize, 307200u);
    EXPECT_FALSE(panel->Prediction()->verdict.Passed());
    EXPECT_EQ(Picture().Format(), PixelFormat::Bit24);  // the picture waits for the release
    viewer->SetLeftButtonProbe([] { return false; });
    Control<QSlider>(viewer, "TrackBar1")->setValue(20);
    Settle();
    EXPECT_EQ(Picture().Format(), PixelFormat::Bit1);
    ASSERT_TRUE(panel->Prediction());
    EXPECT_TRUE(panel->Prediction()->verdict.Passed());
    EXPECT_TRUE(panel->SizeLabel->text().endsWith(QStringLiteral(" KB／300 KB")));
}

TEST_F(DrawingPanelTest, FitMakesAGrayPortraitScanAB4PageAt400Dpi) {
    // B4 at 300 dpi, portrait, made gray by the viewer's own command.
    OpenPicture(Plan(3035, 4299), 300);
    viewer->G1Click();
    ASSERT_EQ(Picture().Format(), PixelFormat::Bit8);
    EXPECT_FALSE(panel->Prediction());
    panel->FitClick();
    Settle();
    EXPECT_EQ(Picture().Width(), kDrawingWidth);
    EXPECT_EQ(Picture().Height(), kDrawingHeight);
    EXPECT_EQ(viewer->Document().Resolution().DpiX, 400.0f);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(Utf8(ui.messages.back().text), TurnedText());
    ASSERT_TRUE(panel->Prediction());
    EXPECT_TRUE(panel->Prediction()->verdict.Passed()) << Utf8(panel->VerdictLabel->toolTip());
}

TEST_F(DrawingPanelTest, ContentLargerThanB4IsRefusedUnlessShrunk) {
    // A frame 7000 pixels wide at 400 dpi: 444.5 mm of content.
    OpenPicture(Plan(7000 + 80, 3000), 400, true);
    const Bitmap before = Picture();
    const ViewResolution resolution = viewer->Document().Resolution();
    panel->FitClick();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(Utf8(ui.messages[0].text).starts_with(ContentTooLargeText(444.5, 185.4)))
        << Utf8(ui.messages[0].text);
    EXPECT_EQ(Picture().Width(), before.Width());
    EXPECT_EQ(0, memcmp(Picture().Data(), before.Data(), before.ByteSize()));
    EXPECT_EQ(viewer->Document().Resolution().DpiX, resolution.DpiX);

    panel->ShrinkCheck->setChecked(true);
    panel->FitClick();
    EXPECT_EQ(Picture().Width(), kDrawingWidth);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_TRUE(ui.messages[1].text.contains(QStringLiteral("% に縮小しました")));
}

TEST_F(DrawingPanelTest, SaveWritesAPassingDrawingIntoTheCheckersReport) {
    OpenPicture(Plan(kDrawingWidth, kDrawingHeight), 400, true);
    ASSERT_TRUE(panel->Prediction());
    panel->KindCombo->setCurrentText(QStringLiteral("tiekiken"));
    panel->NumberEdit->setText(QStringLiteral("7"));
    const std::string out = dir.File("drawings");
    std::filesystem::create_directory(out);
    ui.folderAnswers.push_back(Q(out));
    panel->FolderClick();
    Settle();
    panel->SaveClick();
    viewer->WaitForPictureWrite();

    const std::string path = out + "/tiekiken7.tif";
    ASSERT_TRUE(std::filesystem::exists(path));
    CheckOptions options;
    options.drawingCheck = Control<QCheckBox>(checker, "CheckBox2")->isChecked();
    options.showPath = Control<QCheckBox>(checker, "CheckBox3")->isChecked();
    CollectingReportView view;
    const CheckResult result = CheckFile(path, options, view);
    EXPECT_TRUE(result.verdict.Passed());
    EXPECT_EQ(panel->Prediction()->lines, result.judgedLines);
    const QString report = Control<QPlainTextEdit>(checker, "Memo1")->toPlainText();
    for (const std::string& line : view.Lines()) EXPECT_TRUE(report.contains(Q(line))) << line;

    // Saved again, the file is replaced only after "はい".
    const auto written = std::filesystem::last_write_time(path);
    ui.answers.push_back(BoxAnswer::No);
    panel->SaveClick();
    EXPECT_FALSE(viewer->PictureWriting());
    EXPECT_EQ(Utf8(ui.messages.back().text), kOverwriteQuestionText);
    EXPECT_EQ(std::filesystem::last_write_time(path), written);
}

TEST_F(DrawingPanelTest, ANameTheRuleRefusesIsNotWritten) {
    OpenPicture(Plan(kDrawingWidth, kDrawingHeight), 400, true);
    const struct {
        const char* number;
        const char* verdict;
    } cases[] = {
        {"", "【数字部の誤り】"}, {"123456", "【数字部桁過大】"}, {"12a", "【不要文字混入】"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        panel->NumberEdit->setText(QString::fromUtf8(c.number));
        Settle();
        ASSERT_TRUE(panel->Prediction());
        EXPECT_FALSE(panel->Prediction()->verdict.confirmed[size_t(JudgedItem::Name)]);
        const size_t shown = ui.messages.size();
        panel->SaveClick();
        ASSERT_EQ(ui.messages.size(), shown + 1);
        EXPECT_TRUE(ui.messages.back().text.contains(QString::fromUtf8(c.verdict)));
        EXPECT_FALSE(viewer->PictureWriting());
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with("tatemono"));
}

}  // namespace
}  // namespace vellumo

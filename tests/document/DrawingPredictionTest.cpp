// The predicted check of a drawing is the check of the file the save writes: over many
// pictures (blank, ordinary, too heavy, of other sizes, under good and bad names) the lines
// are those CheckFile writes from disk, and the data size is the file's.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>

#include "check/CheckFile.h"
#include "check/ReportView.h"
#include "document/DrawingPage.h"
#include "document/DrawingPrediction.h"
#include "platform/FileInfo.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

/// A one-bit page with random strokes, and noise of `density` (ink bytes per byte) over a
/// band of rows, which is what makes a G4 file heavy.
Bitmap RandomDrawing(uint32_t w, uint32_t h, double density, uint32_t seed) {
    Bitmap b = WhitePage(w, h, PixelFormat::Bit1);
    std::mt19937 rng(seed);
    for (int stroke = 0; stroke < 60; ++stroke) {
        const bool across = rng() % 2;
        const uint32_t at = rng() % (across ? h : w), from = rng() % (across ? w : h);
        for (uint32_t s = from; s < std::min(from + 1500, across ? w : h); ++s)
            across ? b.SetPixelIndex(s, at, 0) : b.SetPixelIndex(at, s, 0);
    }
    std::bernoulli_distribution ink(density);
    const size_t bytes = (size_t(w) + 7) / 8 - 1;  // the last byte keeps its padding
    for (uint32_t y = h / 4; y < h / 2; ++y)
        for (size_t i = 0; i < bytes; ++i)
            if (ink(rng)) b.Row(y)[i] = uint8_t(rng());
    return b;
}

TEST(PredictDrawingCheck, IsTheCheckOfTheSavedFile) {
    struct Case {
        uint32_t w, h;
        double density;
        const char* name;
    };
    const Case cases[] = {
        {5732, 4047, 0, "tatemono1.tif"},  // blank: under 5 KB
        {5732, 4047, 0.002, "sokuryouzu12345.tif"},
        {5732, 4047, 0.02, "tiekiken7.tif"},
        {5732, 4047, 0.08, "tatemono00001.tif"},
        {5732, 4047, 0.3, "zumen.tif"},           // over 300 KB, and a wrong name
        {5732, 4047, 1.0, "tatemono123456.tif"},  // over a megabyte
        {5725, 4040, 0.01, "図面1.tif"},
        {4047, 5732, 0.01, "sokuryouzu3.tif"},  // B4 portrait
        {4677, 3307, 0.01, "tatemono1.TIF"},    // A4 landscape, with its detail line
        {4961, 7016, 0.01, "tiekiken1.tif"},    // A3 portrait at 600 dpi is not B4
        {300, 200, 0.5, "tatemono2.tif"},
        {1, 1, 0, "tatemono3.tif"},
    };
    test::TempDir dir;
    uint32_t seed = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.w) + "x" + std::to_string(c.h));
        const Bitmap picture = RandomDrawing(c.w, c.h, c.density, seed++);
        const DrawingPrediction predicted = PredictDrawingCheck(picture, c.name);

        const std::string path = dir.File(c.name);
        SavePicture(picture, path, SaveType::Tiff, DrawingSaveOptions());
        CollectingReportView view;
        const CheckResult written = CheckFile(path, CheckOptions{}, view);
        EXPECT_EQ(predicted.dataSize, FileSizeOf(path).value_or(0));
        EXPECT_EQ(predicted.lines, written.judgedLines);
        EXPECT_EQ(predicted.verdict.Passed(), written.verdict.Passed());
        EXPECT_EQ(predicted.verdict.confirmed, written.verdict.confirmed);
        // The header the rules are given is the one the file has.
        const auto header = [](const ImageInfo& i) {
            return std::make_tuple(i.typeCode, i.width, i.height, i.bitsPerSample,
                                   i.samplesPerPixel, i.compression, i.orientation, i.xResolution,
                                   i.yResolution, i.resolutionUnit, i.pageCount);
        };
        EXPECT_EQ(header(SavedDrawingInfo(c.w, c.h)), header(written.info));
    }
}

// A B4 drawing gets exactly the nine judged lines, one for each property.
TEST(PredictDrawingCheck, GivesTheNineJudgedLinesOfAB4Drawing) {
    const DrawingPrediction p =
        PredictDrawingCheck(RandomDrawing(kDrawingWidth, kDrawingHeight, 0.01, 9), "tatemono9.tif");
    ASSERT_EQ(p.lines.size(), kJudgedItemCount);
    for (size_t i = 0; i < kJudgedItemCount; ++i) {
        EXPECT_EQ(p.lines[i].item, JudgedItem(i));
        EXPECT_TRUE(p.lines[i].confirmed) << p.lines[i].text;
    }
    EXPECT_TRUE(p.verdict.Passed());
}

}  // namespace
}  // namespace vellumo

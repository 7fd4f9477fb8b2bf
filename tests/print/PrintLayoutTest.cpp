// The sheet's measures, the coordinate system and the placements of true-scale printing,
// and one job as the printing system sees it.

#include <gtest/gtest.h>

#include "print/DrawRoutine.h"
#include "print/PaperGeometry.h"
#include "support/RecordingPrinter.h"

namespace vellumo {
namespace {

TEST(PaperScale, MillimetresAreTruncatedPerAxisAndNoPrinterGivesZero) {
    // A3 landscape at 600 dpi: 9921 × 7016 pixels are 419.98 × 296.99 mm.
    PaperScale s = GetPaperScale({600, 600, 9921, 7016, 100, 120});
    EXPECT_EQ(s.PaperWidth, 9921);
    EXPECT_EQ(s.PaperHeight, 7016);
    EXPECT_EQ(s.PaperWmm, 4199);
    EXPECT_EQ(s.PaperHmm, 2970);
    EXPECT_EQ(s.PaperLO, 100);
    EXPECT_EQ(s.PaperTO, 120);

    // Resolutions that differ per axis: each axis by its own.
    s = GetPaperScale({600, 300, 8598, 3035, 0, 0});  // JIS B4 landscape, 364 × 257 mm
    EXPECT_EQ(s.PaperWmm, 3639);                      // 3639.8
    EXPECT_EQ(s.PaperHmm, 2569);                      // 2569.6
    const PageTransform t = Scalling(s);
    EXPECT_NEAR(t.scaleX * 3640 / 600 * 25.4, 364.0, 0.1);
    EXPECT_NEAR(t.scaleY * 2570 / 300 * 25.4, 257.0, 0.1);

    // No printer: every figure 0, no division by zero, a transform that maps to 0.
    s = GetPaperScale({});
    EXPECT_EQ(s.PaperWmm, 0);
    EXPECT_EQ(s.PaperHmm, 0);
    EXPECT_EQ(Scalling(s).scaleX, 0.0);
    // A sheet so wide that its product with 254 leaves 32 bits still measures right.
    EXPECT_EQ(GetPaperScale({72, 72, 10'000'000, 1, 0, 0}).PaperWmm, 35277777);
    EXPECT_EQ(GetPaperScale({7200, 7200, 10'000'000, 1, 0, 0}).PaperWmm, 352777);
}

TEST(PaperScale, OriginIsTheSheetCornerNotThePrintableArea) {
    const PageTransform t = Scalling(GetPaperScale({600, 600, 9921, 7016, 100, 120}));
    // Logical (0, 0) lies at minus the printable offsets from the printable corner.
    EXPECT_DOUBLE_EQ(t.offsetX, -100);
    EXPECT_DOUBLE_EQ(t.offsetY, -120);
    EXPECT_DOUBLE_EQ(t.scaleX, 9921.0 / 4199);
}

TEST(PrintLayout, B4DrawingOnA3SitsInsideItsFrame) {
    const PaperScale a3 = GetPaperScale({600, 600, 9921, 7016, 0, 0});
    // A B4 landscape drawing at 400 dpi, r = 4047 / 5732.
    PrintLayout l = LayOutPicture(PaperChoice::A3, true, 5732, 4047, a3);
    EXPECT_EQ(l.placement, (LogicalRect{360, 200, 4000, 2770}));
    ASSERT_TRUE(l.frame);
    EXPECT_EQ(*l.frame, (LogicalRect{358, 198, 4002, 2773}));
    // 0.2 mm left, top and right of the picture, 0.3 mm below.
    EXPECT_EQ(l.placement.left - l.frame->left, 2);
    EXPECT_EQ(l.placement.top - l.frame->top, 2);
    EXPECT_EQ(l.frame->right - l.placement.right, 2);
    EXPECT_EQ(l.frame->bottom - l.placement.bottom, 3);

    EXPECT_FALSE(LayOutPicture(PaperChoice::A3, false, 5732, 4047, a3).frame);
    for (PaperChoice other : {PaperChoice::B4, PaperChoice::A4, PaperChoice::Custom})
        EXPECT_FALSE(LayOutPicture(other, true, 5732, 4047, a3).frame);

    // A tall picture runs off the sheet: nothing limits its height.
    l = LayOutPicture(PaperChoice::A3, true, 100, 200, a3);
    EXPECT_EQ(l.placement, (LogicalRect{360, 200, 4000, 7480}));
    EXPECT_EQ(l.frame->bottom, 7488);
    // Halves round to even: 3640 / 16 = 227.5 gives 228, 3640 × 453 / 7280 = 226.5 gives 226.
    EXPECT_EQ(LayOutPicture(PaperChoice::A3, true, 16, 1, a3).placement.bottom, 200 + 228);
    EXPECT_EQ(LayOutPicture(PaperChoice::A3, true, 7280, 453, a3).placement.bottom, 200 + 226);
}

TEST(PrintLayout, OtherPapersTakeTheSheetWidthFromTheCorner) {
    const PaperScale b4 = GetPaperScale({600, 600, 8598, 6071, 50, 50});
    EXPECT_EQ(b4.PaperWmm, 3639);
    PrintLayout l = LayOutPicture(PaperChoice::B4, true, 5732, 4047, b4);
    EXPECT_EQ(l.placement, (LogicalRect{0, 0, 3639, 2569}));  // 3639 × 0.70604 = 2569.3

    const PaperScale a4 = GetPaperScale({600, 600, 7016, 4961, 0, 0});
    l = LayOutPicture(PaperChoice::A4, false, 1000, 1000, a4);
    EXPECT_EQ(l.placement, (LogicalRect{0, 0, 2970, 2970}));  // square: runs off below
    // 2970 / 4 = 742.5 gives 742; 2970 / 3 = 990.
    EXPECT_EQ(LayOutPicture(PaperChoice::A4, false, 4, 1, a4).placement.bottom, 742);
    EXPECT_EQ(LayOutPicture(PaperChoice::Custom, false, 3, 1, a4).placement.bottom, 990);
    // No picture width, no printer: rectangles of no size, no division by zero.
    EXPECT_EQ(LayOutPicture(PaperChoice::A4, false, 0, 10, a4).placement.bottom, 0);
    EXPECT_EQ(LayOutPicture(PaperChoice::B4, false, 10, 10, GetPaperScale({})).placement,
              (LogicalRect{0, 0, 0, 0}));
}

TEST(PrintLayout, PaperListCopiesTitleAndTexts) {
    ASSERT_EQ(kPaperEntries.size(), 4u);
    EXPECT_EQ(kPaperEntries[0].text, "A3（横）");
    EXPECT_EQ(kPaperEntries[1].paperCode, 12);  // JIS B4
    EXPECT_EQ(kPaperEntries[2].paperCode, 9);
    EXPECT_EQ(kPaperEntries[3].text, "任意用紙");
    EXPECT_FALSE(PaperAt(-1));
    EXPECT_FALSE(PaperAt(4));
    EXPECT_EQ(PaperAt(1), PaperChoice::B4);

    EXPECT_EQ(JobCopies(3, true), 3);
    EXPECT_EQ(JobCopies(3, false), 1);
    EXPECT_EQ(JobTitle("/図面/第1号 tatemono1.tif"), "第1号 tatemono1.tif");
    EXPECT_EQ(JobTitle(""), "");
    EXPECT_EQ(PrintConfirmationText("Office"),
              "ＯＫボタンを押すと直ちに印刷します。準備はよろしいですか？\n\n"
              "　出力先 ：［Office］");
    EXPECT_EQ(PrinterStatusText("Office"), "　出力先（プリンター）　： Office");
}

TEST(DrawRoutine, OneJobFrameFirstThenTheWholePictureIn24Bits) {
    test::RecordingPrinter printer;
    printer.current = "Office";
    Bitmap mono(8, 4, PixelFormat::Bit1);
    mono.Palette() = {{0, 0, 255, 0}, {255, 255, 255, 0}};  // red ink, white paper
    mono.Row(0)[0] = 0x0f;                                  // four red, four white
    const PaperScale sheet = GetPaperScale(printer.caps);
    PrintRequest request{"/home/u/tatemono1.tif", 3, PaperChoice::A3, true};
    DrawRoutine(printer, sheet, mono, request);

    ASSERT_EQ(printer.jobs.size(), 1u);
    const auto& job = printer.jobs[0];
    EXPECT_EQ(job.title, "tatemono1.tif");
    EXPECT_EQ(job.copies, 3);
    EXPECT_DOUBLE_EQ(job.transform.offsetX, -100);
    ASSERT_EQ(job.frames.size(), 1u);
    EXPECT_EQ(job.frames[0].first, (LogicalRect{358, 198, 4002, 200 + 1822}));
    EXPECT_EQ(job.frames[0].second, 2);
    EXPECT_EQ(*job.picture, (LogicalRect{360, 200, 4000, 200 + 1820}));
    EXPECT_EQ(job.pictureFormat, PixelFormat::Bit24);
    EXPECT_EQ(job.pictureWidth, 8u);
    // The ink colour goes to the printer: blue, green, red bytes of the first pixel.
    EXPECT_EQ(job.firstRow[0], 0);
    EXPECT_EQ(job.firstRow[2], 255);
    EXPECT_EQ(job.firstRow[4 * 3 + 0], 255);  // the fifth pixel is white
    EXPECT_TRUE(job.ended);

    // A printer that makes no copies itself prints one; no frame off A3 or with it off.
    printer.makesCopies = false;
    request.paper = PaperChoice::A4;
    DrawRoutine(printer, sheet, mono, request);
    EXPECT_EQ(printer.jobs[1].copies, 1);
    EXPECT_TRUE(printer.jobs[1].frames.empty());
    EXPECT_EQ(printer.jobs[1].picture->right, sheet.PaperWmm);
}

TEST(DrawRoutine, AFailureDropsTheJobAndPassesOn) {
    test::RecordingPrinter printer;
    printer.failDrawing = "描画失敗";
    const Bitmap picture(4, 4, PixelFormat::Bit24);
    EXPECT_THROW(DrawRoutine(printer, GetPaperScale(printer.caps), picture, PrintRequest{}), Error);
    ASSERT_EQ(printer.jobs.size(), 1u);
    EXPECT_TRUE(printer.jobs[0].aborted);
    EXPECT_FALSE(printer.jobs[0].ended);
}

}  // namespace
}  // namespace vellumo

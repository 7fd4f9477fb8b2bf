// The viewer's arithmetic without its window: zoom placement, fit, the display's dots per
// inch and the true-size scales, the wheel's steps and limits, the status and caption texts,
// and how the tool column makes room.

#include <gtest/gtest.h>

#include "document/ArrangePanels.h"
#include "document/ViewScaling.h"
#include "document/ViewerTexts.h"

namespace vellumo {
namespace {

TEST(ViewScaling, ZoomKeepsTheAnchorAndNeverScrollsBelowZero) {
    // Zooming about the top-left corner of an unscrolled view, or out anywhere in it.
    ZoomPlacement z = ZoomAt(0, 0, 1.0, 2.0, 0, 0, 3000, 2000);
    EXPECT_EQ(z.width, 6000);
    EXPECT_EQ(z.height, 4000);
    EXPECT_EQ(z.scrollX, 0);
    EXPECT_EQ(z.scrollY, 0);
    z = ZoomAt(500, 300, 1.0, 0.5, 500, 300, 3000, 2000);
    EXPECT_EQ(z.scrollX, 0);
    EXPECT_EQ(z.scrollY, 0);
    // The point shown at (100, 50) of the viewport stays there: (400 / 1 × 2) − 100.
    z = ZoomAt(400, 250, 1.0, 2.0, 100, 50, 3000, 2000);
    EXPECT_EQ(z.scrollX, 700);
    EXPECT_EQ(z.scrollY, 450);
    // Halves round to even; sizes truncate.
    z = ZoomAt(1, 3, 1.0, 2.5, 0, 0, 1001, 999);
    EXPECT_EQ(z.scrollX, 2);  // 2.5
    EXPECT_EQ(z.scrollY, 8);  // 7.5
    EXPECT_EQ(z.width, 2502);
    EXPECT_EQ(z.height, 2497);
}

TEST(ViewScaling, FitTakesTheSmallerRatioAndSidesTruncateOrRound) {
    EXPECT_DOUBLE_EQ(FitScale(750, 700, 3000, 2000), 0.25);
    EXPECT_DOUBLE_EQ(FitScale(1000, 200, 3000, 2000), 0.1);
    EXPECT_DOUBLE_EQ(FitScale(100, 100, 0, 0), 1.0);
    EXPECT_EQ(TruncatedSide(3000, 0.25), 750);
    EXPECT_EQ(TruncatedSide(5, 0.99), 4);
    EXPECT_EQ(RoundedSide(5, 0.9), 4);  // 4.5 to even
    EXPECT_EQ(RoundedSide(7, 0.5), 4);  // 3.5 to even
    EXPECT_EQ(RoundedSide(2000, 0.25), 500);
}

TEST(ViewScaling, TrueSizeFollowsTheDisplayAndTheDrawingsResolution) {
    const double dpi = ScreenDpi(1920, 508);
    EXPECT_DOUBLE_EQ(dpi, 96.0);
    EXPECT_DOUBLE_EQ(DeviceScale(dpi, 400.0f), 0.24);
    EXPECT_DOUBLE_EQ(DeviceScale(dpi, 400.0f, 2.0), 0.48);
    // A display that does not tell its size, and a picture without a resolution, count
    // as 96 dpi: never a division by zero.
    EXPECT_DOUBLE_EQ(ScreenDpi(1920, 0), 96.0);
    EXPECT_DOUBLE_EQ(DeviceScale(96.0, 0.0f), 1.0);
    EXPECT_DOUBLE_EQ(DeviceScale(120.0, 0.0f, 2.0), 2.5);
}

TEST(ViewScaling, WheelStepsAndTheirLimits) {
    EXPECT_DOUBLE_EQ(*WheelZoomScale(1.0, 120), 1.1);
    EXPECT_DOUBLE_EQ(*WheelZoomScale(1.0, -120), 0.9);
    EXPECT_DOUBLE_EQ(*WheelZoomScale(1.0, 0), 1.0);
    EXPECT_DOUBLE_EQ(*WheelZoomScale(1.0, 1), 1.1);  // one event, one step, any delta
    const double top = *WheelZoomScale(3.0, 120);
    EXPECT_NEAR(top, 3.3, 1e-12);
    EXPECT_FALSE(WheelZoomScale(top, 120));
    const double bottom = *WheelZoomScale(0.1, -120);
    EXPECT_NEAR(bottom, 0.09, 1e-12);
    EXPECT_FALSE(WheelZoomScale(bottom, -120));
}

TEST(ViewerTexts, StatusLineInBothModes) {
    EXPECT_EQ(ImageInfoText(1, "Tiff", "BlackWhite", 400),
              "　ImageType：Tiff（PixelFormat：BlackWhite  Resolution：400dpi）");
    EXPECT_EQ(ImageInfoText(2, "Tiff", "1bit", 400),
              "　ImageType：Bitmap（PixelFormat：1bit  Resolution： 400dpi）");
    EXPECT_EQ(ImageInfoText(1, "Png", "24bppBGR", 72),
              "　ImageType：Png（PixelFormat：24bppBGR  Resolution：72dpi）");
    EXPECT_EQ(ImageInfoText(2, "Png", "32bit", 72),
              "　ImageType：Bitmap（PixelFormat：32bit  Resolution：不明");
    EXPECT_EQ(ImageInfoText(1, "Tiff", "8bppGray", 0),
              "　ImageType：Tiff（PixelFormat：8bppGray  Resolution：不明");
    EXPECT_EQ(ImageInfoText(1, "Jpeg", "24bppBGR", 96.5f),
              "　ImageType：Jpeg（PixelFormat：24bppBGR  Resolution：96.5dpi）");
}

TEST(ViewerTexts, CaptionAndMessages) {
    EXPECT_EQ(ViewerCaption("", "", false), "Pelmora Ｖiew 【 No picture！】");
    EXPECT_EQ(ViewerCaption("/d/図面/a.tif", "", false), "Pelmora Ｖiew 【 a.tif】");
    EXPECT_EQ(ViewerCaption("/tmp/tmp.tif", "/d/plan.pdf", true),
              "Pelmora Ｖiew 【plan.pdf】(Pdf-Conv)");
    EXPECT_EQ(TooManyDroppedText(3),
              "ドロップは、１ファイルずつでお願いします。(dropped：3 files)");
    EXPECT_EQ(MissingFileText("/d/x.tif"), "/d/x.tif\nファイルがありません。");
}

std::array<ToolPanelState, kToolPanelCount> Panels(std::array<bool, kToolPanelCount> expanded) {
    std::array<ToolPanelState, kToolPanelCount> p{};
    const int heights[] = {150, 350, 170, 170, 150};
    for (int i = 0; i < kToolPanelCount; ++i) p[i] = {heights[i], 24, expanded[i]};
    return p;
}

TEST(ArrangePanels, CollapsesInItsOrderUntilTheColumnFits) {
    // Expanding 減色編集 (1) beside 表示 and ファイル: ファイル goes first; in 500 pixels
    // 表示 must go too (画像切出 and 印刷 are collapsed already).
    PanelArrangement a = ArrangePanels(600, Panels({true, true, false, false, true}), 1);
    EXPECT_EQ(a.expanded, (std::array<bool, 5>{true, true, false, false, false}));
    EXPECT_FALSE(a.scrollBarVisible);
    a = ArrangePanels(500, Panels({true, true, false, false, true}), 1);
    EXPECT_EQ(a.expanded, (std::array<bool, 5>{false, true, false, false, false}));
    EXPECT_FALSE(a.scrollBarVisible);
    // The expanded panel stays even when it alone does not fit; the column then scrolls.
    a = ArrangePanels(300, Panels({true, true, true, true, true}), 1);
    EXPECT_EQ(a.expanded, (std::array<bool, 5>{false, true, false, false, false}));
    EXPECT_TRUE(a.scrollBarVisible);
    // Everything fits: nothing changes.
    a = ArrangePanels(2000, Panels({true, true, true, true, true}), 4);
    EXPECT_EQ(a.expanded, (std::array<bool, 5>{true, true, true, true, true}));
    EXPECT_FALSE(a.scrollBarVisible);
}

}  // namespace
}  // namespace vellumo

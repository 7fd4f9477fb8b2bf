// The crop frame's geometry without a window: the default frame, the screen mapping, the
// presets with their half-to-even rounding, the cut-out rectangle, and the tracker's handle
// and resize arithmetic (its moves are tried in the window).

#include <gtest/gtest.h>

#include <limits>

#include "crop/CropFrame.h"
#include "crop/FrameTracking.h"

namespace vellumo {
namespace {

float PerMm(double dpi) { return float(dpi / 25.4); }

FrameBounds Preset(int n, FrameBounds f, double s = 1.0, double dpi = 400) {
    return ApplyFramePreset(n, f, s, PerMm(dpi), PerMm(dpi));
}

TEST(CropFrame, RoundingIsHalfToEvenAndSaturates) {
    EXPECT_EQ(RoundHalfEvenToInt(2.5), 2);
    EXPECT_EQ(RoundHalfEvenToInt(3.5), 4);
    EXPECT_EQ(RoundHalfEvenToInt(-2.5), -2);
    EXPECT_EQ(RoundHalfEvenToInt(-0.5), 0);
    EXPECT_EQ(RoundHalfEvenToInt(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(RoundHalfEvenToInt(1e300), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(RoundHalfEvenToInt(-1e300), std::numeric_limits<int32_t>::min());
}

TEST(CropFrame, DefaultFrameIsHalfThePictureIn4To3) {
    EXPECT_EQ(InitCropRect(3000, 2000), (CropRect{834, 500, 2167, 1500}));
    EXPECT_EQ(InitCropRect(2000, 3000), (CropRect{500, 834, 1500, 2167}));
    // A square turns portrait; a centring difference of 33 rounds 16.5 to 16.
    EXPECT_EQ(InitCropRect(100, 100), (CropRect{25, 16, 75, 83}));
    EXPECT_EQ(InitCropRect(0, 0), CropRect{});
}

TEST(CropFrame, ScreenMappingFollowsScaleAndScroll) {
    const CropRect r{834, 500, 2167, 1500};
    EXPECT_EQ(PlaceCropFrame(r, 1.0, 0, 0), (FrameBounds{834, 500, 1333, 1000}));
    // 834 × 0.25 = 208.5 and 1333 × 0.25 = 333.25.
    EXPECT_EQ(PlaceCropFrame(r, 0.25, 0, 0), (FrameBounds{208, 125, 333, 250}));
    EXPECT_EQ(PlaceCropFrame(r, 2.0, 100, 300), (FrameBounds{1568, 700, 2666, 2000}));
    EXPECT_EQ(ReadCropFrame({1568, 700, 2666, 2000}, 2.0, 100, 300), r);
    EXPECT_EQ(ReadCropFrame({208, 125, 333, 250}, 0.25, 0, 0), (CropRect{832, 500, 2164, 1500}));
    EXPECT_EQ(ReadCropFrame({10, 10, 10, 10}, 0.0, 0, 0), CropRect{});
    // Far beyond what a screen shows, the frame stops short of overflowing.
    const FrameBounds huge = PlaceCropFrame({0, 0, 2'000'000'000, 1}, 1000.0, 0, 0);
    EXPECT_EQ(huge.width, kMaxFrameExtent);
}

TEST(CropFrame, PaperPresetsAtEachResolution) {
    struct Case {
        double dpi;
        FrameBounds l, b6, a4;
    };
    for (const Case& c : {Case{400, {0, 0, 2000, 1402}, {0, 0, 2866, 2016}, {0, 0, 3307, 4677}},
                          Case{300, {0, 0, 1500, 1051}, {0, 0, 2150, 1512}, {0, 0, 2480, 3508}},
                          Case{200, {0, 0, 1000, 701}, {0, 0, 1433, 1008}, {0, 0, 1654, 2339}}}) {
        SCOPED_TRACE(c.dpi);
        auto size = [&](int n) {
            const FrameBounds f = Preset(n, {0, 0, 0, 0}, 1.0, c.dpi);
            return FrameBounds{0, 0, f.width, f.height};
        };
        EXPECT_EQ(size(kPresetL), c.l);
        EXPECT_EQ(size(kPresetB6), c.b6);
        EXPECT_EQ(size(kPresetA4), c.a4);
    }
    // The scale applies; a resolution of 0 counts as 96 dpi (127 mm is 480 pixels).
    EXPECT_EQ(Preset(kPresetL, {0, 0, 0, 0}, 0.5).width, 1000);
    EXPECT_EQ(ApplyFramePreset(kPresetL, {0, 0, 0, 0}, 1.0, 0.0f, 0.0f).width, 480);
    // The centre stays: a 100 × 100 frame at (1000, 1000) becomes 2000 × 1402 around it.
    EXPECT_EQ(Preset(kPresetL, {1000, 1000, 100, 100}), (FrameBounds{50, 349, 2000, 1402}));
}

TEST(CropFrame, RatioPresetsKeepTheLongerSideAndRecentreHalfToEven) {
    // 10 × 7: height Round(7.5) = 8, the top edge moves by Round(−0.5) = 0.
    EXPECT_EQ(Preset(kPresetRatio4x3, {0, 0, 10, 7}), (FrameBounds{0, 0, 10, 8}));
    EXPECT_EQ(Preset(kPresetRatio4x3, {0, 0, 6, 4}), (FrameBounds{0, 0, 6, 4}));  // Round(4.5)
    EXPECT_EQ(Preset(kPresetRatio16x9, {0, 0, 8, 5}), (FrameBounds{0, 0, 8, 4}));
    // Portrait and square frames keep the height and turn (or stay) portrait.
    EXPECT_EQ(Preset(kPresetRatio4x3, {0, 0, 7, 10}), (FrameBounds{0, 0, 8, 10}));
    EXPECT_EQ(Preset(kPresetRatio4x3, {0, 0, 12, 12}), (FrameBounds{2, 0, 9, 12}));  // 1.5 → 2
    // A difference of 3 moves the edge by Round(1.5) = 2: 80 % of 15 is 12.
    EXPECT_EQ(Preset(kPresetShrink, {100, 100, 15, 10}), (FrameBounds{102, 101, 12, 8}));
}

TEST(CropFrame, SwapTwiceReturnsAndShrinkThenEnlargeNeedNot) {
    for (FrameBounds f : {FrameBounds{50, 60, 10, 7}, FrameBounds{-3, 8, 13, 4},
                          FrameBounds{0, 0, 1333, 1000}, FrameBounds{5, 5, 9, 9}}) {
        const FrameBounds once = Preset(kPresetSwap, f);
        EXPECT_EQ(once.width, f.height);
        EXPECT_EQ(once.height, f.width);
        EXPECT_EQ(Preset(kPresetSwap, once), f);
    }
    auto back = [](int32_t side) {
        return Preset(kPresetEnlarge, Preset(kPresetShrink, {0, 0, side, side})).width;
    };
    EXPECT_EQ(back(10), 10);  // 8 → 10
    EXPECT_EQ(back(7), 7);    // 6 → 7
    EXPECT_EQ(back(13), 12);  // 10 → 12
    // Enlarging again and again stops at the pixel limit (24,494² ≤ 600 million); a frame
    // already beyond it stays; unknown presets change nothing.
    FrameBounds f{0, 0, 1000, 1000};
    for (int i = 0; i < 200; ++i) f = Preset(kPresetEnlarge, f);
    EXPECT_EQ(f.width, 24494);
    f = {0, 0, 1000, 1000};
    EXPECT_EQ(Preset(kPresetEnlarge, f, 0.0001), f);
    EXPECT_EQ(Preset(8, {1, 2, 3, 4}), (FrameBounds{1, 2, 3, 4}));
    EXPECT_EQ(Preset(kPresetCancel, {1, 2, 3, 4}), (FrameBounds{1, 2, 3, 4}));
}

// Twelve times 120 % from the default frame of a B4 scan, at the fitted and at the largest
// and smallest scales: the frame grows up to the decoders' pixel limit and then stays.
TEST(CropFrame, EnlargingStopsAtThePixelLimit) {
    for (double s : {0.133, 3.3, 0.09}) {
        SCOPED_TRACE(s);
        FrameBounds f = PlaceCropFrame(InitCropRect(5732, 4047), s, 0, 0);
        int64_t area = 0;
        bool stopped = false;
        for (int i = 0; i < 20; ++i) {
            const FrameBounds g = Preset(6, f, s);
            const CutOutArea a = CutOutFromFrame(g, s, 0, 0);
            ASSERT_TRUE(CutOutWithinLimit(a.w, a.h)) << i;
            const int64_t next = int64_t(a.w) * a.h;
            EXPECT_GE(next, area);
            if (next == area) stopped = true;
            area = next;
            f = g;
        }
        EXPECT_TRUE(stopped);
        EXPECT_GT(area, 590'000'000);  // it got close to the limit on the way
    }
}

TEST(CropFrame, CutOutTakesItsSizeFromTheFrame) {
    EXPECT_EQ(CutOutFromFrame({208, 125, 333, 250}, 0.25, 0, 0),
              (CutOutArea{832, 500, 1332, 1000}));
    // At scale 2 a frame at 1, 2 wide: x = Round(0.5) = 0, w = 1, where the rounded edges
    // 0 and Round(1.5) = 2 would give 2.
    EXPECT_EQ(CutOutFromFrame({1, 0, 2, 2}, 2.0, 0, 0), (CutOutArea{0, 0, 1, 1}));
    EXPECT_EQ(CutOutFromFrame({-20, -10, 40, 30}, 1.0, 10, 0), (CutOutArea{-10, -10, 40, 30}));
    // Less than half a picture pixel maps to nothing, which the cut-out refuses.
    EXPECT_EQ(CutOutFromFrame({0, 0, 1, 1}, 4.0, 0, 0).w, 0);
    EXPECT_EQ(CutOutFromFrame({0, 0, 10, 10}, 0.0, 0, 0), CutOutArea{});
}

TEST(FrameTracking, HandlesSitOnTheCornersAndMiddles) {
    const auto h = HandlePlacement({10, 20, 201, 100});
    const int32_t expected[kHandleCount][2] = {{6, 16},    {106, 16},  {207, 16}, {207, 66},
                                               {207, 116}, {106, 116}, {6, 116},  {6, 66}};
    for (int i = 0; i < kHandleCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(h[size_t(i)], (FrameBounds{expected[i][0], expected[i][1], 8, 8}));
        EXPECT_EQ(HandleShown(i), i % 2 == 0);
    }
}

TEST(FrameTracking, CornerResizeWithRatioAndTurningOver) {
    const FrameBounds f{100, 100, 200, 100};
    const double ratio = ResizeRatio(200, 100);
    EXPECT_EQ(TrackResize(4, f, 50, 0, true, ratio), (FrameBounds{100, 100, 250, 125}));
    EXPECT_EQ(TrackResize(4, f, 50, 30, false, ratio), (FrameBounds{100, 100, 250, 130}));
    // Top corners keep the bottom edge with Shift; left corners keep the right edge.
    EXPECT_EQ(TrackResize(0, f, -50, 0, true, ratio), (FrameBounds{50, 75, 250, 125}));
    EXPECT_EQ(TrackResize(2, f, 0, 10, false, ratio), (FrameBounds{100, 110, 200, 90}));
    EXPECT_EQ(TrackResize(6, f, 10, 5, false, ratio), (FrameBounds{110, 100, 190, 105}));
    EXPECT_EQ(TrackResize(3, f, 10, 5, false, ratio), f);
    // Handle 4 dragged past the left edge: the frame extends to the left of it.
    const FrameBounds turned = TrackResize(4, f, -250, 0, false, ratio);
    EXPECT_EQ(turned, (FrameBounds{100, 100, -50, 100}));
    EXPECT_EQ(Normalised(turned), (FrameBounds{50, 100, 50, 100}));
    EXPECT_EQ(HandleCursor(4, turned, true), TrackerCursor::NorthEastSouthWest);
    EXPECT_EQ(HandleCursor(4, {0, 0, -5, -5}, true), TrackerCursor::NorthWestSouthEast);
    // Released, a frame is never 0 wide or high.
    EXPECT_EQ(ReleasedBounds(TrackResize(4, f, -200, -100, false, ratio)),
              (FrameBounds{100, 100, 1, 1}));
    EXPECT_DOUBLE_EQ(ResizeRatio(0, 7), 7.0);
}

}  // namespace
}  // namespace vellumo

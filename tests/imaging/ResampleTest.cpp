// Resampling: true scale from every usual resolution in each format, thin one-bit lines,
// the averages and interpolations themselves, alpha over white, and a part computed alone.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "PixelTestUtil.h"
#include "document/DrawingPage.h"
#include "imaging/Resample.h"
#include "imaging/Threshold.h"
#include "platform/Error.h"

namespace vellumo {
namespace {

/// A white picture of the format, its one-bit colour table [black, white].
Bitmap White(uint32_t w, uint32_t h, PixelFormat f) {
    if (f != PixelFormat::Bit32) return WhitePage(w, h, f);
    Bitmap b(w, h, f);
    b.Fill(0xFF);
    return b;
}

void Ink(Bitmap& b, uint32_t x0, uint32_t y0, uint32_t w, uint32_t h) {
    for (uint32_t y = y0; y < y0 + h; ++y)
        for (uint32_t x = x0; x < x0 + w; ++x) {
            if (b.Format() == PixelFormat::Bit1 || b.Format() == PixelFormat::Bit8) {
                b.SetPixelIndex(x, y, b.Format() == PixelFormat::Bit1 ? 0 : 255);
            } else {
                const int n = b.Bits() / 8;
                for (int c = 0; c < 3; ++c) b.Row(y)[x * n + c] = 20;
            }
        }
}

/// The longest run of black pixels along any row (or column) of the picture thresholded at
/// 128, in pixels.
uint32_t LongestRun(const Bitmap& picture, bool alongRows) {
    const Bitmap mono =
        picture.Format() == PixelFormat::Bit1 ? picture : ThresholdToMono(picture, 255 - 128);
    const uint32_t lines = alongRows ? mono.Height() : mono.Width();
    const uint32_t length = alongRows ? mono.Width() : mono.Height();
    uint32_t best = 0;
    for (uint32_t a = 0; a < lines; ++a) {
        uint32_t run = 0;
        for (uint32_t b = 0; b < length; ++b) {
            const bool black = (alongRows ? mono.PixelIndex(b, a) : mono.PixelIndex(a, b)) == 0;
            run = black ? run + 1 : 0;
            best = std::max(best, run);
        }
    }
    return best;
}

Bitmap ToDpi(const Bitmap& b, double dpiX, double dpiY, ResampleColour colour) {
    const double sx = 400 / dpiX, sy = 400 / dpiY;
    return ResampleArea(b, sx, sy,
                        PixelArea{0, 0, ScaledExtent(b.Width(), sx), ScaledExtent(b.Height(), sy)},
                        colour);
}

// A 100 mm line across and one down, half a millimetre thick, each measure 100 mm ± 0.3 mm at
// 400 dpi from each resolution (both axes at their own), in every kind of picture.
TEST(Resample, KeepsTrueScale) {
    struct Case {
        double dpiX, dpiY;
    };
    const Case cases[] = {{200, 200}, {300, 300}, {600, 600}, {1200, 1200}, {300, 600}};
    for (const Case& c : cases) {
        for (PixelFormat f :
             {PixelFormat::Bit1, PixelFormat::Bit8, PixelFormat::Bit24, PixelFormat::Bit32}) {
            for (ResampleColour colour : {ResampleColour::Keep, ResampleColour::Gray}) {
                SCOPED_TRACE(std::to_string(c.dpiX) + "x" + std::to_string(c.dpiY) + " " +
                             BitmapFormatName(f) + (colour == ResampleColour::Gray ? " gray" : ""));
                auto px = [](double mm, double dpi) {
                    return uint32_t(std::lround(mm / 25.4 * dpi));
                };
                Bitmap across = White(px(110, c.dpiX), px(3, c.dpiY), f);
                Ink(across, px(5, c.dpiX), px(1, c.dpiY), px(100, c.dpiX), px(0.5, c.dpiY));
                Bitmap down = White(px(3, c.dpiX), px(110, c.dpiY), f);
                Ink(down, px(1, c.dpiX), px(5, c.dpiY), px(0.5, c.dpiX), px(100, c.dpiY));
                const Bitmap r = ToDpi(across, c.dpiX, c.dpiY, colour);
                EXPECT_NEAR(LongestRun(r, true) * 25.4 / 400, 100.0, 0.3);
                EXPECT_NEAR(LongestRun(ToDpi(down, c.dpiX, c.dpiY, colour), false) * 25.4 / 400,
                            100.0, 0.3);
                const PixelFormat expected =
                    f == PixelFormat::Bit1                                     ? PixelFormat::Bit1
                    : f == PixelFormat::Bit8 || colour == ResampleColour::Gray ? PixelFormat::Bit8
                                                                               : PixelFormat::Bit24;
                EXPECT_EQ(r.Format(), expected);
            }
        }
    }
}

// A one-bit line one source pixel wide, at any offset, keeps at least one black pixel in
// every column, however far it is shrunk, and is not thickened beyond two.
TEST(Resample, KeepsThinOneBitLines) {
    for (double dpi : {500.0, 600.0, 800.0, 1200.0, 2400.0}) {
        for (uint32_t y = 40; y < 46; ++y) {
            SCOPED_TRACE(std::to_string(dpi) + " dpi, line at row " + std::to_string(y));
            Bitmap b = White(300, 90, PixelFormat::Bit1);
            Ink(b, 0, y, 300, 1);
            const Bitmap r = ToDpi(b, dpi, dpi, ResampleColour::Keep);
            for (uint32_t x = 0; x < r.Width(); ++x) {
                int black = 0;
                for (uint32_t yy = 0; yy < r.Height(); ++yy) black += r.PixelIndex(x, yy) == 0;
                ASSERT_GE(black, 1) << "column " << x;
                ASSERT_LE(black, 2) << "column " << x;
            }
        }
    }
}

TEST(Resample, AveragesWhenShrinkingAndInterpolatesWhenGrowing) {
    Bitmap gray = White(4, 2, PixelFormat::Bit8);
    const uint8_t values[2][4] = {{0, 100, 200, 255}, {40, 60, 0, 1}};
    for (uint32_t y = 0; y < 2; ++y) std::memcpy(gray.Row(y), values[y], 4);
    // Halved: each output pixel the mean of its 2 × 2 block, rounded.
    const Bitmap half = Resample(gray, 2, 1);
    EXPECT_EQ(half.Row(0)[0], 50);   // (0 + 100 + 40 + 60) / 4
    EXPECT_EQ(half.Row(0)[1], 114);  // (200 + 255 + 0 + 1) / 4
    // Three to two: the middle source pixel is shared half and half.
    Bitmap three = White(3, 1, PixelFormat::Bit8);
    std::memcpy(three.Row(0), "\x00\x60\xF0", 3);
    const Bitmap two = Resample(three, 2, 1);
    EXPECT_EQ(two.Row(0)[0], 32);   // (2 × 0 + 96) / 3
    EXPECT_EQ(two.Row(0)[1], 192);  // (96 + 2 × 240) / 3
    // Doubled: between the centres, the border pixels repeated outward.
    Bitmap edge = White(2, 1, PixelFormat::Bit8);
    std::memcpy(edge.Row(0), "\x00\xFF", 2);
    const Bitmap doubled = Resample(edge, 4, 1);
    const uint8_t want[4] = {0, 64, 191, 255};
    EXPECT_EQ(0, std::memcmp(doubled.Row(0), want, 4));
}

TEST(Resample, LaysAlphaOverWhite) {
    Bitmap b(2, 1, PixelFormat::Bit32);
    const uint8_t pixels[8] = {0, 0, 0, 0, 0, 0, 0, 255};  // transparent black, black
    std::memcpy(b.Row(0), pixels, 8);
    b.SetHasAlpha(true);
    const Bitmap colour = Resample(b, 2, 1);
    EXPECT_EQ(colour.PixelColor(0, 0), (RgbQuad{255, 255, 255, 0}));
    EXPECT_EQ(colour.PixelColor(1, 0), (RgbQuad{0, 0, 0, 0}));
    const Bitmap gray = Resample(b, 2, 1, ResampleColour::Gray);
    EXPECT_EQ(gray.Row(0)[0], 0);
    EXPECT_EQ(gray.Row(0)[1], 255);
}

// Any part computed alone is that part of the whole result.
TEST(Resample, AreaIsThePartOfTheWhole) {
    for (PixelFormat f : {PixelFormat::Bit1, PixelFormat::Bit4, PixelFormat::Bit24}) {
        for (double scale : {0.37, 1.0, 2.6}) {
            SCOPED_TRACE(BitmapFormatName(f) + std::string(" × ") + std::to_string(scale));
            const Bitmap b = test::RandomBitmap(97, 61, f, 7);
            const uint32_t w = ScaledExtent(97, scale), h = ScaledExtent(61, scale);
            const Bitmap whole = ResampleArea(b, scale, scale, PixelArea{0, 0, w, h});
            const PixelArea part{w / 3, h / 4, w / 2, h / 2};
            const Bitmap alone = ResampleArea(b, scale, scale, part);
            Bitmap cut(part.width, part.height, whole.Format());
            cut.Palette() = whole.Palette();
            for (uint32_t y = 0; y < part.height; ++y)
                for (uint32_t x = 0; x < part.width; ++x) {
                    if (whole.Bits() <= 8)
                        cut.SetPixelIndex(x, y, whole.PixelIndex(part.x + x, part.y + y));
                    else
                        std::memcpy(cut.Row(y) + 3 * x, whole.Row(part.y + y) + 3 * (part.x + x),
                                    3);
                }
            EXPECT_TRUE(test::SamePixels(cut, alone));
        }
    }
}

TEST(Resample, RefusesBadFactorsAndAreas) {
    const Bitmap b = White(10, 10, PixelFormat::Bit24);
    for (double bad : {0.0, -1.0, std::nan(""), double(INFINITY)}) {
        EXPECT_THROW(ResampleArea(b, bad, 1, PixelArea{0, 0, 1, 1}), Error);
    }
    EXPECT_THROW(ResampleArea(b, 2, 2, PixelArea{15, 0, 6, 1}), Error);  // past 20 columns
    EXPECT_THROW(ResampleArea(b, 2, 2, PixelArea{0, 0, 0, 1}), Error);
    EXPECT_THROW(Resample(Bitmap(), 4, 4), Error);
}

}  // namespace
}  // namespace vellumo

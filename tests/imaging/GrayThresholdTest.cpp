// The gray format and the threshold to one bit: palette, darkness values, the limit's
// edges, every source format, and the ink colour table.

#include <gtest/gtest.h>

#include "imaging/Gray.h"
#include "imaging/PixelTestUtil.h"
#include "imaging/ReductionMessages.h"
#include "imaging/Threshold.h"
#include "platform/Error.h"

namespace vellumo {
namespace {

using test::AllFormats;
using test::RandomBitmap;

Bitmap Solid24(uint8_t r, uint8_t g, uint8_t b, uint32_t w = 3, uint32_t h = 2) {
    Bitmap p(w, h, PixelFormat::Bit24);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            p.Row(y)[3 * x] = b;
            p.Row(y)[3 * x + 1] = g;
            p.Row(y)[3 * x + 2] = r;
        }
    return p;
}

Bitmap Mono(RgbQuad ink) {
    Bitmap m(10, 1, PixelFormat::Bit1);
    m.Palette() = {ink, RgbQuad{255, 255, 255, 0}};
    for (uint32_t x = 0; x < 10; x += 2) m.SetPixelIndex(x, 0, 1);
    return m;
}

TEST(Gray, PaletteRunsFromWhiteToBlack) {
    const auto p = CreateGrayPalette();
    ASSERT_EQ(p.size(), 256u);
    for (unsigned k = 0; k < 256; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(p[k], (RgbQuad{uint8_t(255 - k), uint8_t(255 - k), uint8_t(255 - k), 0}));
    }
}

TEST(Gray, StoresDarknessOfTheTruncatedChannelAverage) {
    Bitmap colour = Solid24(10, 20, 30);
    EXPECT_EQ(GrayOf(colour).Row(0)[0], 235);  // gray 20
    EXPECT_EQ(GrayOf(Solid24(0, 0, 0)).Row(1)[2], 255);
    EXPECT_EQ(GrayOf(Solid24(255, 255, 255)).Row(1)[2], 0);
    EXPECT_EQ(GrayOf(Solid24(1, 1, 0)).Row(0)[0], 255);  // 2 div 3 = 0
    // One-bit pictures go through their colour table: black ink gives 255, red ink 170.
    const Bitmap black = GrayOf(Mono(RgbQuad{0, 0, 0, 0}));
    const Bitmap red = GrayOf(Mono(RgbQuad{0, 0, 255, 0}));
    EXPECT_EQ(black.Row(0)[0], 0);
    EXPECT_EQ(black.Row(0)[1], 255);
    EXPECT_EQ(red.Row(0)[1], 170);
    EXPECT_EQ(red.Palette(), CreateGrayPalette());
}

TEST(Gray, EveryFormatMatchesItsTwentyFourBitLookAndTheSourceTurnsTwentyFourBit) {
    uint32_t seed = 1;
    for (PixelFormat f : AllFormats()) {
        SCOPED_TRACE(test::FormatName(f));
        Bitmap source = RandomBitmap(19, 7, f, seed++);
        const Bitmap before = source;
        const Bitmap rgb = ConvertTo24(source);
        const Bitmap gray = ConvertToGray8(source);
        EXPECT_EQ(source.Format(), PixelFormat::Bit24);
        EXPECT_TRUE(test::SameLook(before, source));
        ASSERT_EQ(gray.Format(), PixelFormat::Bit8);
        for (uint32_t y = 0; y < 7; ++y)
            for (uint32_t x = 0; x < 19; ++x) {
                const uint8_t* p = rgb.Row(y) + 3 * x;
                ASSERT_EQ(gray.Row(y)[x], 255 - (p[0] + p[1] + p[2]) / 3) << x << "," << y;
            }
        EXPECT_TRUE(test::SamePixels(gray, GrayOf(before)));
    }
}

// Index 1 (white) or 0 (ink) of every pixel of a one-bit picture.
std::vector<int> Bits(const Bitmap& m) {
    std::vector<int> out;
    for (uint32_t y = 0; y < m.Height(); ++y)
        for (uint32_t x = 0; x < m.Width(); ++x) out.push_back(m.PixelIndex(x, y));
    return out;
}

TEST(Threshold, AverageAtTheLimitStaysWhiteAndBelowTurnsBlack) {
    // Sums 383 (average 127), 384 and 386 (128), 381 (127).
    Bitmap p(4, 1, PixelFormat::Bit24);
    const uint8_t px[4][3] = {{127, 128, 128}, {128, 128, 128}, {130, 128, 128}, {127, 127, 127}};
    for (int x = 0; x < 4; ++x)
        for (int c = 0; c < 3; ++c) p.Row(0)[3 * x + c] = px[x][c];
    const int t = 128;
    EXPECT_EQ(Bits(ThresholdToMono(p, 255 - t)), (std::vector<int>{0, 1, 1, 0}));
}

TEST(Threshold, ExtremeLimits) {
    Bitmap p(3, 1, PixelFormat::Bit24);
    const uint8_t px[3] = {0, 254, 255};
    for (int x = 0; x < 3; ++x)
        for (int c = 0; c < 3; ++c) p.Row(0)[3 * x + c] = px[x];
    EXPECT_EQ(Bits(ThresholdToMono(p, 255 - 0)), (std::vector<int>{1, 1, 1}));    // t 0: white
    EXPECT_EQ(Bits(ThresholdToMono(p, 255 - 255)), (std::vector<int>{0, 0, 1}));  // only white
    EXPECT_EQ(Bits(ThresholdToMono(p, 255 - 256)), (std::vector<int>{0, 0, 0}));  // typed 256
    EXPECT_EQ(Bits(ThresholdToMono(p, 255 - 1000)), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(Bits(ThresholdToMono(p, 255 + 1)), (std::vector<int>{1, 1, 1}));  // typed −1
    EXPECT_EQ(Bits(ThresholdToMono(p, INT32_MAX)), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(Bits(ThresholdToMono(p, INT32_MIN)), (std::vector<int>{0, 0, 0}));
}

TEST(Threshold, EveryFormatAgreesWithItsGrayPictureAndPacksRowsExactly) {
    uint32_t seed = 50;
    for (PixelFormat f : AllFormats()) {
        for (uint32_t w : {1u, 8u, 13u, 64u, 71u}) {
            SCOPED_TRACE(test::FormatName(f) + " width " + std::to_string(w));
            const Bitmap source = RandomBitmap(w, 5, f, seed++);
            const Bitmap gray = GrayOf(source);
            for (int t : {0, 1, 100, 128, 200, 255}) {
                const Bitmap mono = ThresholdToMono(source, 255 - t);
                ASSERT_EQ(mono.Format(), PixelFormat::Bit1);
                ASSERT_EQ(mono.Palette(), (std::vector<RgbQuad>{{0, 0, 0, 0}, {255, 255, 255, 0}}));
                for (uint32_t y = 0; y < 5; ++y) {
                    for (uint32_t x = 0; x < w; ++x)
                        ASSERT_EQ(mono.PixelIndex(x, y), gray.Row(y)[x] > 255 - t ? 0 : 1)
                            << "t " << t << " at " << x << "," << y;
                    for (size_t i = (w + 7) / 8; i < mono.Stride(); ++i)
                        ASSERT_EQ(mono.Row(y)[i], 0);
                    if (w % 8) {
                        ASSERT_EQ(mono.Row(y)[w / 8] & (0xFF >> (w % 8)), 0);
                    }
                }
                // The real-time preview thresholds the gray copy: same result.
                EXPECT_TRUE(test::SamePixels(mono, ThresholdToMono(gray, 255 - t)));
            }
        }
    }
}

TEST(Threshold, RefusalsAndInkColourTable) {
    Bitmap mono = Mono(RgbQuad{0, 0, 0, 0});
    const Bitmap colour = Solid24(1, 2, 3);
    EXPECT_EQ(ThresholdRefusal(mono), kAlreadyMonoText);
    EXPECT_FALSE(ThresholdRefusal(colour));
    EXPECT_EQ(InkColorRefusal(colour), kMonoOnlyText);
    EXPECT_FALSE(InkColorRefusal(mono));

    const Bitmap before = mono;
    SetMonoColorTable(mono, RgbQuad{0, 0, 255, 77});  // red; the reserved byte is written 0
    EXPECT_EQ(mono.Palette(), (std::vector<RgbQuad>{{0, 0, 255, 0}, {255, 255, 255, 0}}));
    EXPECT_EQ(Bits(mono), Bits(before));
    SetMonoColorTable(mono, RgbQuad{0, 0, 0, 0});
    EXPECT_EQ(mono.Palette(), before.Palette());

    Bitmap notMono = colour;
    try {
        SetMonoColorTable(notMono, RgbQuad{});
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.what(), std::string(kMonoOnlyText));
    }
}

}  // namespace
}  // namespace vellumo

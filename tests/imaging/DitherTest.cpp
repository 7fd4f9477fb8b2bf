// The dither of the viewer: white and black counts of flat grays, the order of the pass,
// agreement with the diffusion written step by step, and the formats it reads.

#include <gtest/gtest.h>

#include <vector>

#include "imaging/Dither.h"
#include "imaging/PixelTestUtil.h"
#include "imaging/ReductionMessages.h"
#include "platform/Error.h"

namespace vellumo {
namespace {

using test::RandomBitmap;

// The diffusion as the viewer describes it: a bottom-up copy, two error rows of W + 2
// entries copied (not swapped) at each row, sixteen-bit entries.
Bitmap Reference(const Bitmap& source) {
    const Bitmap rgb = ConvertTo24(source);
    const int w = int(rgb.Width()), h = int(rgb.Height());
    Bitmap out(rgb.Width(), rgb.Height(), PixelFormat::Bit1);
    out.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
    std::vector<int16_t> cur(size_t(w + 2) * 3, 0), prev(size_t(w + 2) * 3, 0);
    for (int r = 0; r < h; ++r) {
        prev = cur;
        const int y = h - 1 - r;
        int run[3] = {0, 0, 0};
        for (int i = 0; i < w; ++i) {
            const int x = r % 2 == 0 ? i : w - 1 - i;
            const int d = r % 2 == 0 ? x - 1 : x + 1;
            const uint8_t* p = rgb.Row(uint32_t(y)) + 3 * x;
            const int channel[3] = {p[2], p[1], p[0]};  // red, green, blue
            int corrected[3];
            for (int c = 0; c < 3; ++c) {
                const int e = 12 * prev[size_t(x + 1) * 3 + c] + 12 * run[c] +
                              5 * prev[size_t(d + 1) * 3 + c];
                corrected[c] = channel[c] - e / 32;
            }
            const bool white = corrected[0] + corrected[1] + corrected[2] >= 384;
            for (int c = 0; c < 3; ++c) {
                run[c] = (white ? 255 : 0) - corrected[c];
                cur[size_t(x + 1) * 3 + c] = int16_t(run[c]);
            }
            out.SetPixelIndex(uint32_t(x), uint32_t(y), white ? 1 : 0);
        }
    }
    return out;
}

Bitmap Flat(uint8_t level, uint32_t w = 64, uint32_t h = 64) {
    Bitmap b(w, h, PixelFormat::Bit24);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t i = 0; i < 3 * w; ++i) b.Row(y)[i] = level;
    return b;
}

int WhiteCount(const Bitmap& m) {
    int n = 0;
    for (uint32_t y = 0; y < m.Height(); ++y)
        for (uint32_t x = 0; x < m.Width(); ++x) n += m.PixelIndex(x, y);
    return n;
}

TEST(Dither, FlatGraysGiveTheKnownWhiteCounts) {
    EXPECT_EQ(WhiteCount(DitherToMono(Flat(128))), 2048);
    EXPECT_EQ(WhiteCount(DitherToMono(Flat(64))), 962);  // 3/32 of each error is dropped
    EXPECT_EQ(WhiteCount(DitherToMono(Flat(255))), 64 * 64);
    EXPECT_EQ(WhiteCount(DitherToMono(Flat(0))), 0);
}

TEST(Dither, TheBottomLeftPixelIsDecidedFirst) {
    // With no error yet, sum 384 is white and 381 black.
    EXPECT_EQ(DitherToMono(Flat(128, 5, 4)).PixelIndex(0, 3), 1);
    EXPECT_EQ(DitherToMono(Flat(127, 5, 4)).PixelIndex(0, 3), 0);
    // A picture whose bottom row is gray 128 and the rest white: the error of the bottom
    // row's first (white) pixel is negative, so its right neighbour turns black.
    Bitmap b = Flat(255, 4, 2);
    for (uint32_t i = 0; i < 12; ++i) b.Row(1)[i] = 128;
    const Bitmap m = DitherToMono(b);
    EXPECT_EQ(m.PixelIndex(0, 1), 1);
    EXPECT_EQ(m.PixelIndex(1, 1), 0);
}

TEST(Dither, MatchesTheStepByStepDiffusion) {
    uint32_t seed = 9;
    for (PixelFormat f : {PixelFormat::Bit4, PixelFormat::Bit8, PixelFormat::Bit15,
                          PixelFormat::Bit16, PixelFormat::Bit24, PixelFormat::Bit32}) {
        for (auto [w, h] :
             {std::pair{1u, 1u}, {1u, 9u}, {9u, 1u}, {8u, 8u}, {37u, 23u}, {64u, 65u}}) {
            SCOPED_TRACE(test::FormatName(f) + " " + std::to_string(w) + "×" + std::to_string(h));
            const Bitmap s = RandomBitmap(w, h, f, seed++);
            const Bitmap m = DitherToMono(s);
            EXPECT_TRUE(test::SamePixels(Reference(s), m));
            for (uint32_t y = 0; y < h; ++y)
                for (size_t i = (w + 7) / 8; i < m.Stride(); ++i) ASSERT_EQ(m.Row(y)[i], 0);
        }
    }
    // Smooth gradients push the errors around more than noise does.
    Bitmap ramp(300, 40, PixelFormat::Bit24);
    for (uint32_t y = 0; y < 40; ++y)
        for (uint32_t x = 0; x < 300; ++x)
            for (int c = 0; c < 3; ++c)
                ramp.Row(y)[3 * x + c] = uint8_t((x * (c + 1) + y * 3) % 256);
    EXPECT_TRUE(test::SamePixels(Reference(ramp), DitherToMono(ramp)));
}

TEST(Dither, ThirtyTwoBitsIgnoreTheFourthByteAndOneBitIsRefused) {
    Bitmap rgba = RandomBitmap(20, 10, PixelFormat::Bit32, 3);
    const Bitmap first = DitherToMono(rgba);
    for (uint32_t y = 0; y < 10; ++y)
        for (uint32_t x = 0; x < 20; ++x) rgba.Row(y)[4 * x + 3] ^= 0x5A;
    EXPECT_TRUE(test::SamePixels(first, DitherToMono(rgba)));

    const Bitmap mono(8, 8, PixelFormat::Bit1);
    EXPECT_EQ(DitherRefusal(mono), kAlreadyMonoText);
    EXPECT_FALSE(DitherRefusal(rgba));
    EXPECT_THROW(DitherToMono(mono), Error);
}

}  // namespace
}  // namespace vellumo

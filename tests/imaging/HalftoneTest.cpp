// The halftone palette and the nearest-colour mapping onto it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

#include "imaging/Halftone.h"
#include "platform/Error.h"

namespace vellumo {
namespace {

int BruteNearest(int r, int g, int b) {
    const auto& p = HalftonePalette();
    int best = 0, bestDistance = 1 << 30;
    for (int i = 0; i < 256; ++i) {
        const int d =
            (p[i].r - r) * (p[i].r - r) + (p[i].g - g) * (p[i].g - g) + (p[i].b - b) * (p[i].b - b);
        if (d < bestDistance) best = i, bestDistance = d;
    }
    return best;
}

TEST(Halftone, NearestEntryAgreesWithTheFullSearch) {
    for (int v = 0; v < 256; ++v)
        ASSERT_EQ(NearestHalftoneIndex(v, v, v), BruteNearest(v, v, v)) << v;
    std::mt19937 rng(5);
    for (int i = 0; i < 20000; ++i) {
        const int r = int(rng() % 256), g = int(rng() % 256), b = int(rng() % 256);
        ASSERT_EQ(NearestHalftoneIndex(r, g, b), BruteNearest(r, g, b))
            << r << "," << g << "," << b;
    }
    // Every entry maps to itself or to an earlier entry of the same colour; each gray of an
    // 8-bit gray picture finds an entry within 7 levels in every channel.
    const auto& p = HalftonePalette();
    ASSERT_EQ(p.size(), 256u);
    for (int v = 0; v < 256; ++v) {
        const RgbQuad c = p[NearestHalftoneIndex(v, v, v)];
        EXPECT_LE(std::max({std::abs(c.r - v), std::abs(c.g - v), std::abs(c.b - v)}), 7) << v;
    }
    for (int i = 0; i < 256; ++i) {
        const int j = NearestHalftoneIndex(p[i].r, p[i].g, p[i].b);
        EXPECT_LE(j, i);
        EXPECT_EQ(p[j], p[i]);
    }
}

TEST(Halftone, ConversionMapsEveryPixelAndRefusesOtherFormats) {
    Bitmap b(300, 2, PixelFormat::Bit24);
    std::mt19937 rng(8);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t i = 0; i < 900; ++i) b.Row(y)[i] = uint8_t(rng());
    const Bitmap out = ConvertToHalftone8(b);
    ASSERT_EQ(out.Format(), PixelFormat::Bit8);
    EXPECT_EQ(out.Palette(), HalftonePalette());
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 300; ++x) {
            const uint8_t* p = b.Row(y) + 3 * x;
            ASSERT_EQ(out.Row(y)[x], BruteNearest(p[2], p[1], p[0])) << x;
        }
    EXPECT_THROW(ConvertToHalftone8(Bitmap(2, 2, PixelFormat::Bit32)), Error);
}

}  // namespace
}  // namespace vellumo

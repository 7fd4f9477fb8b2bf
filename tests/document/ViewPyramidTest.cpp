// The viewer's smaller copies of a picture: level sizes at odd sizes, every fast path
// against the mean taken pixel by pixel, opacity, and the level chosen for a scale.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <utility>

#include "document/ViewPyramid.h"

namespace vellumo {
namespace {

std::pair<uint32_t, uint32_t> SizeOf(const Bitmap& b) { return {b.Width(), b.Height()}; }

// Level 1 pixel (x, y) from its definition: the rounded mean of the 2 × 2 pixels it covers,
// an odd last row or column counted twice (the mean of the pixels that exist).
RgbQuad MeanOfFour(const Bitmap& s, uint32_t x, uint32_t y) {
    unsigned sum[3] = {};
    for (uint32_t dy = 0; dy < 2; ++dy)
        for (uint32_t dx = 0; dx < 2; ++dx) {
            const RgbQuad c = s.PixelColor(std::min(2 * x + dx, s.Width() - 1),
                                           std::min(2 * y + dy, s.Height() - 1));
            sum[0] += c.b, sum[1] += c.g, sum[2] += c.r;
        }
    return RgbQuad{uint8_t((sum[0] + 2) / 4), uint8_t((sum[1] + 2) / 4), uint8_t((sum[2] + 2) / 4),
                   255};
}

TEST(ViewPyramid, LevelsHalveRoundingUpUntilTheSmallestSide) {
    ViewPyramid p;
    const Bitmap odd(2051, 1025, PixelFormat::Bit1);
    p.Build(odd);
    ASSERT_EQ(p.LevelCount(), 3);
    EXPECT_EQ(&p.Level(0), &odd);  // the picture itself, not a copy
    EXPECT_EQ(SizeOf(p.Level(1)), std::make_pair(1026u, 513u));
    EXPECT_EQ(SizeOf(p.Level(2)), std::make_pair(513u, 257u));
    EXPECT_EQ(p.Level(2).Format(), PixelFormat::Bit32);
    EXPECT_DOUBLE_EQ(p.ScaleX(1), 1026.0 / 2051.0);
    EXPECT_DOUBLE_EQ(p.ScaleY(2), 257.0 / 1025.0);

    const Bitmap thin(1, 3000, PixelFormat::Bit8);  // a side of one stays one
    p.Build(thin);
    ASSERT_EQ(p.LevelCount(), 3);
    EXPECT_EQ(SizeOf(p.Level(2)), std::make_pair(1u, 750u));

    for (uint32_t side : {1u, ViewPyramid::kSmallestSide}) {
        const Bitmap small(side, side, PixelFormat::Bit24);
        p.Build(small);
        EXPECT_EQ(p.LevelCount(), 1);
        EXPECT_EQ(p.LevelFor(0.001), 0);
        EXPECT_TRUE(p.PictureOpaque());
    }
    p.Build(Bitmap());
    EXPECT_TRUE(p.Empty());
    EXPECT_EQ(p.LevelCount(), 0);
    EXPECT_EQ(p.LevelFor(0.1), 0);
}

TEST(ViewPyramid, EveryFormatGivesThePixelByPixelMean) {
    // Odd sizes with a partial last byte, so that one-bit padding and the lone last column
    // and row are exercised; short palettes, so that indices past the end show black.
    std::mt19937 rng(7);
    for (PixelFormat f :
         {PixelFormat::Bit1, PixelFormat::Bit4, PixelFormat::Bit8, PixelFormat::Bit15,
          PixelFormat::Bit16, PixelFormat::Bit24, PixelFormat::Bit32}) {
        SCOPED_TRACE(BitmapFormatName(f));
        Bitmap s(2059, 5, f);
        for (uint32_t y = 0; y < s.Height(); ++y)
            for (size_t i = 0; i < s.Stride(); ++i) s.Row(y)[i] = uint8_t(rng());
        if (s.Bits() <= 8)
            for (int i = 0; i < (1 << s.Bits()) - (s.Bits() > 1 ? 3 : 0); ++i)
                s.Palette().push_back(RgbQuad{uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 0});
        ViewPyramid p;
        p.Build(s);
        ASSERT_EQ(p.LevelCount(), 3);
        const Bitmap& l = p.Level(1);
        EXPECT_FALSE(l.HasAlpha());
        for (uint32_t y = 0; y < l.Height(); ++y)
            for (uint32_t x = 0; x < l.Width(); ++x)
                if (!(l.PixelColor(x, y) == MeanOfFour(s, x, y)))
                    FAIL() << "first wrong pixel at " << x << ", " << y;
    }
}

TEST(ViewPyramid, OneBitCheckerboardIsMidGrayAtEveryLevel) {
    // An odd width: the lone last column still holds one black and one white pixel per pair
    // of rows.
    Bitmap s(2051, 1032, PixelFormat::Bit1);
    s.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
    for (uint32_t y = 0; y < s.Height(); ++y)
        for (uint32_t x = 0; x < s.Width(); ++x) s.SetPixelIndex(x, y, (x + y) & 1);
    ViewPyramid p;
    p.Build(s);
    ASSERT_EQ(p.LevelCount(), 3);
    for (int k = 1; k < 3; ++k)
        for (uint32_t y = 0; y < p.Level(k).Height(); ++y)
            for (uint32_t x = 0; x < p.Level(k).Width(); ++x)
                if (!(p.Level(k).PixelColor(x, y) == RgbQuad{128, 128, 128, 255}))
                    FAIL() << "level " << k << " pixel " << x << ", " << y;
}

TEST(ViewPyramid, OpacityIsKeptOnlyWhereThePictureHasIt) {
    // Opaque red beside transparent black: the level is red at half opacity, not dark red.
    Bitmap s(2048, 2, PixelFormat::Bit32);
    s.SetHasAlpha(true);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < s.Width(); x += 2) s.Row(y)[4 * x + 2] = s.Row(y)[4 * x + 3] = 255;
    ViewPyramid p;
    p.Build(s);
    EXPECT_FALSE(p.PictureOpaque());
    EXPECT_TRUE(p.Level(1).HasAlpha());
    EXPECT_EQ(p.Level(1).PixelColor(5, 0), (RgbQuad{0, 0, 255, 128}));

    // Alpha flagged but 255 everywhere, as every decoded opaque file: no blending needed.
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < s.Width(); ++x) s.Row(y)[4 * x + 3] = 255;
    p.Build(s);
    EXPECT_TRUE(p.PictureOpaque());
    EXPECT_FALSE(p.Level(1).HasAlpha());
    // No alpha: the fourth byte is ignored and the levels are opaque. (The same sizes again:
    // the levels are made anew in the memory they had.)
    s.Fill(0);
    s.SetHasAlpha(false);
    p.Build(s);
    EXPECT_TRUE(p.PictureOpaque());
    EXPECT_EQ(p.Level(1).PixelColor(0, 0), (RgbQuad{0, 0, 0, 255}));
}

TEST(ViewPyramid, LevelForTakesTheSmallestLevelNotBelowTheScale) {
    const Bitmap s(9000, 10, PixelFormat::Bit1);  // levels 4500, 2250, 1125, 563 wide
    ViewPyramid p;
    p.Build(s);
    ASSERT_EQ(p.LevelCount(), 5);
    const std::pair<double, int> cases[] = {
        {3.3, 0},   {1.0, 0},    {0.75, 0}, {0.5, 1},  {0.4999, 1}, {0.25, 2},    {0.126, 2},
        {0.125, 3}, {0.0001, 4}, {0.0, 4},  {-1.0, 4}, {NAN, 0},    {INFINITY, 0}};
    for (const auto& [scale, level] : cases) EXPECT_EQ(p.LevelFor(scale), level) << scale;
    EXPECT_EQ(ViewPyramid::NominalScale(3), 0.125);
}

}  // namespace
}  // namespace vellumo

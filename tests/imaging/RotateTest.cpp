// Quarter turns of every pixel format: the exact layout, agreement with a pixel-by-pixel
// turn, and four turns back to the start.

#include <gtest/gtest.h>

#include "imaging/PixelTestUtil.h"
#include "imaging/Rotate.h"

namespace vellumo {
namespace {

using test::AllFormats;
using test::RandomBitmap;
using test::SamePixels;

// The turn written pixel by pixel from its definition, through the slow accessors.
Bitmap NaiveTurn(const Bitmap& s, bool left) {
    const uint32_t w = s.Width(), h = s.Height();
    Bitmap t(h, w, s.Format());
    t.Palette() = s.Palette();
    const size_t bytes = size_t(s.Bits() / 8);
    for (uint32_t ty = 0; ty < w; ++ty)
        for (uint32_t tx = 0; tx < h; ++tx) {
            const uint32_t sx = left ? w - 1 - ty : ty;
            const uint32_t sy = left ? tx : h - 1 - tx;
            if (s.Bits() <= 8)
                t.SetPixelIndex(tx, ty, s.PixelIndex(sx, sy));
            else
                for (size_t i = 0; i < bytes; ++i)
                    t.Row(ty)[tx * bytes + i] = s.Row(sy)[sx * bytes + i];
        }
    return t;
}

TEST(Rotate, ThreeByTwoGivesTheExactLayout) {
    // a b c        left: c f    right: d a
    // d e f              b e           e b
    //                    a d           f c
    for (PixelFormat f : AllFormats()) {
        SCOPED_TRACE(test::FormatName(f));
        Bitmap s(3, 2, f);
        if (s.Bits() <= 8) s.Palette().resize(size_t(1) << s.Bits());
        const uint8_t v[2][3] = {{1, 0, 1}, {0, 0, 1}};  // one-bit friendly values a..f
        // Distinct values where the format has room for them.
        const uint8_t wide[2][3] = {{1, 2, 3}, {4, 5, 6}};
        for (uint32_t y = 0; y < 2; ++y)
            for (uint32_t x = 0; x < 3; ++x) {
                const uint8_t value = s.Bits() == 1 ? v[y][x] : wide[y][x];
                if (s.Bits() <= 8)
                    s.SetPixelIndex(x, y, value);
                else
                    for (int i = 0; i < s.Bits() / 8; ++i)
                        s.Row(y)[x * (s.Bits() / 8) + i] = uint8_t(value * 10 + i);
            }
        auto at = [&](const Bitmap& b, uint32_t x, uint32_t y) {
            return b.Bits() <= 8 ? b.PixelIndex(x, y) : b.Row(y)[x * (b.Bits() / 8)];
        };
        auto src = [&](uint32_t x, uint32_t y) { return at(s, x, y); };
        const Bitmap l = RotateLeft(s), r = RotateRight(s);
        ASSERT_EQ(l.Width(), 2u);
        ASSERT_EQ(l.Height(), 3u);
        EXPECT_EQ(l.Format(), f);
        const uint32_t layoutL[3][2][2] = {{{2, 0}, {2, 1}}, {{1, 0}, {1, 1}}, {{0, 0}, {0, 1}}};
        const uint32_t layoutR[3][2][2] = {{{0, 1}, {0, 0}}, {{1, 1}, {1, 0}}, {{2, 1}, {2, 0}}};
        for (uint32_t ty = 0; ty < 3; ++ty)
            for (uint32_t tx = 0; tx < 2; ++tx) {
                EXPECT_EQ(at(l, tx, ty), src(layoutL[ty][tx][0], layoutL[ty][tx][1]))
                    << tx << "," << ty;
                EXPECT_EQ(at(r, tx, ty), src(layoutR[ty][tx][0], layoutR[ty][tx][1]))
                    << tx << "," << ty;
            }
    }
}

TEST(Rotate, AgreesWithThePixelByPixelTurnAndKeepsPaddingZero) {
    uint32_t seed = 1;
    for (PixelFormat f : AllFormats()) {
        for (auto [w, h] : {std::pair{1u, 1u},
                            {8u, 8u},
                            {9u, 17u},
                            {64u, 3u},
                            {3u, 64u},
                            {100u, 37u},
                            {33u, 70u}}) {
            SCOPED_TRACE(test::FormatName(f) + " " + std::to_string(w) + "×" + std::to_string(h));
            const Bitmap s = RandomBitmap(w, h, f, seed++);
            const Bitmap l = RotateLeft(s), r = RotateRight(s);
            EXPECT_TRUE(SamePixels(NaiveTurn(s, true), l));
            EXPECT_TRUE(SamePixels(NaiveTurn(s, false), r));
            // Padding bits and bytes after the last pixel of each row are zero.
            for (const Bitmap* t : {&l, &r}) {
                const size_t used = (size_t(t->Width()) * t->Bits() + 7) / 8;
                for (uint32_t y = 0; y < t->Height(); ++y) {
                    for (size_t i = used; i < t->Stride(); ++i) ASSERT_EQ(t->Row(y)[i], 0) << y;
                    if (t->Bits() < 8 && t->Width() * t->Bits() % 8) {
                        const unsigned spare = 8 - t->Width() * t->Bits() % 8;
                        ASSERT_EQ(t->Row(y)[used - 1] & ((1u << spare) - 1), 0u) << y;
                    }
                }
            }
        }
    }
}

TEST(Rotate, FourTurnsGiveTheStartAndOppositeTurnsCancel) {
    uint32_t seed = 100;
    for (PixelFormat f : AllFormats()) {
        for (auto [w, h] : {std::pair{13u, 5u}, {7u, 31u}, {57u, 41u}, {1u, 9u}}) {
            SCOPED_TRACE(test::FormatName(f) + " " + std::to_string(w) + "×" + std::to_string(h));
            const Bitmap s = RandomBitmap(w, h, f, seed++);
            EXPECT_TRUE(SamePixels(s, RotateLeft(RotateLeft(RotateLeft(RotateLeft(s))))));
            EXPECT_TRUE(SamePixels(s, RotateRight(RotateRight(RotateRight(RotateRight(s))))));
            EXPECT_TRUE(SamePixels(s, RotateRight(RotateLeft(s))));
            EXPECT_TRUE(SamePixels(RotateLeft(RotateLeft(s)), RotateRight(RotateRight(s))));
        }
    }
}

TEST(Rotate, CopiesThePaletteAndMarksThirtyTwoBitsAsAlpha) {
    Bitmap s = RandomBitmap(5, 3, PixelFormat::Bit8, 7);
    s.Palette().resize(17);  // a short palette stays short
    EXPECT_EQ(RotateLeft(s).Palette(), s.Palette());
    EXPECT_FALSE(RotateLeft(s).HasAlpha());
    Bitmap rgba = RandomBitmap(5, 3, PixelFormat::Bit32, 8);
    rgba.Row(2)[4 * 4 + 3] = 0;
    EXPECT_TRUE(RotateLeft(rgba).HasAlpha());
    EXPECT_TRUE(RotateRight(rgba).HasAlpha());
    EXPECT_EQ(RotateRight(rgba).PixelColor(0, 4).reserved, 0);
    // Without alpha the fourth byte is no opacity yet; the turned picture, drawn with it as
    // opacity, gets opaque pixels.
    rgba.SetHasAlpha(false);
    const Bitmap opaque = RotateRight(rgba);
    EXPECT_EQ(opaque.PixelColor(0, 4).reserved, 255);
    EXPECT_EQ(opaque.PixelColor(0, 4).b, rgba.PixelColor(4, 2).b);
    EXPECT_TRUE(RotateLeft(Bitmap()).Empty());
}

}  // namespace
}  // namespace vellumo

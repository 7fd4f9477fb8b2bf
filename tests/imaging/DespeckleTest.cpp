// The despeckle filter: the neighbourhood rules of the viewer's drawings, the strength
// rule, the formats it returns, the progress calls, and bit-exact agreement with the
// selection written plainly.

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <stdexcept>
#include <vector>

#include "imaging/Despeckle.h"
#include "imaging/Halftone.h"
#include "imaging/PixelTestUtil.h"

namespace vellumo {
namespace {

using test::RandomBitmap;

// The filter written plainly from its description: 24-bit working copy, window in
// reading order, the partial selection, the comparison with the threshold.
Bitmap Reference24(const Bitmap& source, int strength) {
    const Bitmap s = ConvertTo24(source);
    const int w = int(s.Width()), h = int(s.Height());
    const int t = ((100 - strength) * 255) / 100;
    Bitmap out(s.Width(), s.Height(), PixelFormat::Bit24);
    struct Entry {
        uint8_t c[3];
        int sum;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* c = s.Row(uint32_t(y)) + 3 * x;
            const int sc = c[0] + c[1] + c[2];
            Entry e[9];
            int n = 0;
            for (int yy = y - 1; yy <= y + 1; ++yy)
                for (int xx = x - 1; xx <= x + 1; ++xx)
                    if (yy >= 0 && yy < h && xx >= 0 && xx < w) {
                        const uint8_t* p = s.Row(uint32_t(yy)) + 3 * xx;
                        e[n++] = Entry{{p[0], p[1], p[2]}, p[0] + p[1] + p[2]};
                    }
            const int m = n / 2;
            for (int i = 0; i <= m; ++i)
                for (int j = i + 1; j < n; ++j)
                    if (e[i].sum > e[j].sum) std::swap(e[i], e[j]);
            const uint8_t* pick = std::abs(sc - e[m].sum) >= t ? e[m].c : c;
            for (int k = 0; k < 3; ++k) out.Row(uint32_t(y))[3 * x + k] = pick[k];
        }
    return out;
}

// A one-bit picture from rows of '#' (black) and '.' (white).
Bitmap Drawing(const std::vector<std::string>& rows) {
    Bitmap b(uint32_t(rows[0].size()), uint32_t(rows.size()), PixelFormat::Bit1);
    b.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
    for (uint32_t y = 0; y < b.Height(); ++y)
        for (uint32_t x = 0; x < b.Width(); ++x) b.SetPixelIndex(x, y, rows[y][x] == '#' ? 0 : 1);
    return b;
}

// The result as '#' for black, '.' for white, '?' for anything else.
std::vector<std::string> Look(const Bitmap& b) {
    std::vector<std::string> rows;
    for (uint32_t y = 0; y < b.Height(); ++y) {
        std::string row;
        for (uint32_t x = 0; x < b.Width(); ++x) {
            const RgbQuad c = b.PixelColor(x, y);
            const int s = c.r + c.g + c.b;
            row += s == 0 ? '#' : s == 765 ? '.' : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(Despeckle, StrengthRule) {
    EXPECT_EQ(DespeckleThreshold(10), 229);
    EXPECT_EQ(DespeckleThreshold(0), 255);
    EXPECT_EQ(DespeckleThreshold(100), 0);
    EXPECT_EQ(DespeckleThreshold(33), 170);  // 67 × 255 = 17085, div 100
    EXPECT_EQ(DespeckleThreshold(101), -2);  // truncation toward zero: −255 div 100
}

TEST(Despeckle, LoneSpecksGoAndSolidShapesStay) {
    const Bitmap specks = Drawing({".....", ".#...", ".....", "...#.", "....."});
    EXPECT_EQ(Look(DespeckleBitmap(specks, 10)),
              (std::vector<std::string>{".....", ".....", ".....", ".....", "....."}));
    // Centre with four black neighbours: five black of nine stays black.
    const Bitmap five = Drawing({"#.#..", ".#...", "#.#..", ".....", "....."});
    EXPECT_EQ(Look(DespeckleBitmap(five, 10))[1][1], '#');
    const Bitmap four = Drawing({"#.#..", ".#...", "#....", ".....", "....."});
    EXPECT_EQ(Look(DespeckleBitmap(four, 10))[1][1], '.');
    // A white speck in black turns black.
    const Bitmap hole = Drawing({"#####", "#####", "##.##", "#####", "#####"});
    EXPECT_EQ(Look(DespeckleBitmap(hole, 10))[2][2], '#');
}

TEST(Despeckle, EdgeAndCornerWindows) {
    // Top edge, window of six around (2, 0): four black of six → black; three → white.
    EXPECT_EQ(Look(DespeckleBitmap(Drawing({".##..", "..##.", "....."}), 10))[0][2], '#');
    EXPECT_EQ(Look(DespeckleBitmap(Drawing({"..#..", ".#.#.", "....."}), 10))[0][2], '.');
    // A white pixel on the edge with three black of six stays white; with four turns black.
    EXPECT_EQ(Look(DespeckleBitmap(Drawing({"#.#..", "#....", "....."}), 10))[0][1], '.');
    EXPECT_EQ(Look(DespeckleBitmap(Drawing({"#.#..", "##...", "....."}), 10))[0][1], '#');
    // Corner, window of four: three black turn the corner black, two leave it white.
    EXPECT_EQ(Look(DespeckleBitmap(Drawing({".#..", "##..", "...."}), 10))[0][0], '#');
    EXPECT_EQ(Look(DespeckleBitmap(Drawing({".#..", "#...", "...."}), 10))[0][0], '.');
    // A lone black corner pixel goes.
    EXPECT_EQ(Look(DespeckleBitmap(Drawing({"....", "....", "...#"}), 10))[2][3], '.');
}

TEST(Despeckle, GrayDifferenceOf228StaysAnd229IsReplaced) {
    // Sums: surround 3 × 100 = 300; centre 528 (difference 228) or 529 (229).
    for (int centre : {528, 529}) {
        SCOPED_TRACE(centre);
        Bitmap b(3, 3, PixelFormat::Bit24);
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t i = 0; i < 9; ++i) b.Row(y)[i] = 100;
        b.Row(1)[3] = 176, b.Row(1)[4] = 176, b.Row(1)[5] = uint8_t(centre - 352);
        const Bitmap out = DespeckleBitmap(b, 10);
        EXPECT_EQ(out.Row(1)[5], centre == 528 ? 176 : 100);
    }
}

TEST(Despeckle, FormatsItReturns) {
    const Bitmap one = Drawing({"...", ".#.", "..."});
    const Bitmap fromOne = DespeckleBitmap(one, 10);
    EXPECT_EQ(fromOne.Format(), PixelFormat::Bit24);
    EXPECT_EQ(Look(fromOne), (std::vector<std::string>{"...", "...", "..."}));

    Bitmap gray(4, 4, PixelFormat::Bit8);
    for (unsigned k = 0; k < 256; ++k)
        gray.Palette().push_back(RgbQuad{uint8_t(255 - k), uint8_t(255 - k), uint8_t(255 - k), 0});
    gray.Row(1)[1] = 255;  // a black speck on white
    const Bitmap fromGray = DespeckleBitmap(gray, 10);
    EXPECT_EQ(fromGray.Format(), PixelFormat::Bit8);
    EXPECT_EQ(fromGray.Palette(), HalftonePalette());
    EXPECT_EQ(Look(fromGray), (std::vector<std::string>{"....", "....", "....", "...."}));

    Bitmap rgba = RandomBitmap(6, 5, PixelFormat::Bit32, 4);
    const Bitmap fromRgba = DespeckleBitmap(rgba, 10);
    EXPECT_EQ(fromRgba.Format(), PixelFormat::Bit32);
    EXPECT_FALSE(fromRgba.HasAlpha());
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 6; ++x) ASSERT_EQ(fromRgba.Row(y)[4 * x + 3], 255);
    EXPECT_TRUE(test::SameLook(Reference24(rgba, 10), fromRgba));

    for (PixelFormat f :
         {PixelFormat::Bit4, PixelFormat::Bit15, PixelFormat::Bit16, PixelFormat::Bit24}) {
        SCOPED_TRACE(test::FormatName(f));
        const Bitmap s = RandomBitmap(7, 6, f, 11);
        const Bitmap out = DespeckleBitmap(s, 10);
        EXPECT_EQ(out.Format(), PixelFormat::Bit24);
        EXPECT_EQ(out.Palette(), s.Palette());
    }
    const Bitmap single = RandomBitmap(1, 1, PixelFormat::Bit24, 5);
    EXPECT_TRUE(test::SamePixels(single, DespeckleBitmap(single, 10)));
}

// Pictures whose colours come from a few groups of equal sums, so that the windows are
// full of ties and the selection's exchange order decides the colour taken.
Bitmap TiedPicture(uint32_t w, uint32_t h, PixelFormat f, uint32_t seed) {
    static const uint8_t colours[][3] = {
        {0, 0, 0},     {255, 0, 0},     {0, 255, 0},     {0, 0, 255},  {85, 85, 85}, {255, 255, 0},
        {0, 255, 255}, {170, 170, 170}, {255, 255, 255}, {200, 55, 0}, {1, 2, 252}};
    std::mt19937 rng(seed);
    Bitmap b24(w, h, PixelFormat::Bit24);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const auto& c = colours[rng() % std::size(colours)];
            for (int k = 0; k < 3; ++k) b24.Row(y)[3 * x + k] = c[k];
        }
    if (f == PixelFormat::Bit24) return b24;
    if (f == PixelFormat::Bit32) {
        Bitmap b = ConvertTo32(b24);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) b.Row(y)[4 * x + 3] = uint8_t(rng());
        return b;
    }
    // Palette formats: the same colours through a palette.
    Bitmap b(w, h, f);
    for (const auto& c : colours) b.Palette().push_back(RgbQuad{c[0], c[1], c[2], 0});
    if (f == PixelFormat::Bit4) b.Palette().resize(16);
    std::mt19937 again(seed);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            b.SetPixelIndex(x, y, uint8_t(again() % std::size(colours)));
    return b;
}

TEST(Despeckle, AgreesBitForBitWithThePlainSelection) {
    uint32_t seed = 1;
    for (PixelFormat f :
         {PixelFormat::Bit4, PixelFormat::Bit8, PixelFormat::Bit24, PixelFormat::Bit32}) {
        for (auto [w, h] : {std::pair{1u, 1u},
                            {2u, 2u},
                            {1u, 7u},
                            {7u, 1u},
                            {2u, 9u},
                            {9u, 2u},
                            {3u, 3u},
                            {10u, 10u},
                            {17u, 5u},
                            {40u, 31u},
                            {67u, 12u}}) {
            for (int strength : {10, 60, 100}) {
                SCOPED_TRACE(test::FormatName(f) + " " + std::to_string(w) + "×" +
                             std::to_string(h) + " strength " + std::to_string(strength));
                const Bitmap s = TiedPicture(w, h, f, seed++);
                const Bitmap want = Reference24(s, strength);
                const Bitmap got = DespeckleBitmap(s, strength);
                if (f == PixelFormat::Bit8) {
                    EXPECT_TRUE(test::SamePixels(ConvertToHalftone8(want), got));
                } else {
                    EXPECT_TRUE(test::SameLook(want, got));
                }
            }
        }
    }
    // Plain noise as well, where almost nothing is replaced at strength 10.
    for (PixelFormat f : {PixelFormat::Bit15, PixelFormat::Bit24, PixelFormat::Bit32}) {
        SCOPED_TRACE(test::FormatName(f));
        const Bitmap s = RandomBitmap(53, 29, f, seed++);
        for (int strength : {10, 70})
            EXPECT_TRUE(test::SameLook(Reference24(s, strength), DespeckleBitmap(s, strength)));
    }
}

TEST(Despeckle, ReportsEveryRowAndLetsMessagesRunAfterEach) {
    EXPECT_FALSE(DespeckleShowsProgress(2000));
    EXPECT_TRUE(DespeckleShowsProgress(2001));
    EXPECT_FALSE(DespeckleShowsProgress(1));
    EXPECT_EQ(kDespeckleProgressText, "　ゴミ取り中 ．．． ");

    const Bitmap b = RandomBitmap(3, 2001, PixelFormat::Bit24, 2);
    std::vector<std::string> calls;
    DespeckleBitmap(
        b, 10, [&](uint32_t y) { calls.push_back("row " + std::to_string(y)); },
        [&] { calls.push_back("run"); });
    ASSERT_EQ(calls.size(), 2u * 2001);
    for (uint32_t y = 0; y < 2001; ++y) {
        ASSERT_EQ(calls[2 * y], "row " + std::to_string(y));
        ASSERT_EQ(calls[2 * y + 1], "run");
    }
    // Callbacks that throw end the filter there.
    int rows = 0;
    EXPECT_THROW(DespeckleBitmap(b, 10,
                                 [&](uint32_t y) {
                                     ++rows;
                                     if (y == 5) throw std::runtime_error("stop");
                                 }),
                 std::runtime_error);
    EXPECT_EQ(rows, 6);
}

}  // namespace
}  // namespace vellumo

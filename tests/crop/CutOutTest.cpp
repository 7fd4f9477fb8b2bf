// The cut-out: the framed pixels of every format, white beyond the picture, the colour
// table it carries, the fourth byte, and the refusal of a frame below one pixel.

#include <gtest/gtest.h>

#include "crop/CutOut.h"
#include "imaging/PixelTestUtil.h"
#include "platform/Error.h"

namespace vellumo {
namespace {

using test::AllFormats;
using test::RandomBitmap;

bool IsWhite(RgbQuad c) { return c.r == 255 && c.g == 255 && c.b == 255; }

// Checks every pixel of a cut-out at (x, y) against the source, white outside it.
testing::AssertionResult FramedLikeSource(const Bitmap& source, const Bitmap& cut, int x, int y) {
    for (uint32_t cy = 0; cy < cut.Height(); ++cy)
        for (uint32_t cx = 0; cx < cut.Width(); ++cx) {
            const int64_t sx = int64_t(x) + cx, sy = int64_t(y) + cy;
            RgbQuad got = cut.PixelColor(cx, cy);
            const bool on = sx >= 0 && sy >= 0 && sx < source.Width() && sy < source.Height();
            RgbQuad want =
                on ? source.PixelColor(uint32_t(sx), uint32_t(sy)) : RgbQuad{255, 255, 255, 0};
            if (cut.Format() == PixelFormat::Bit32 && !on) want.reserved = 255;
            if (!(got == want))
                return testing::AssertionFailure()
                       << "first different pixel (" << cx << ", " << cy << "): got bgra "
                       << int(got.b) << "," << int(got.g) << "," << int(got.r) << ","
                       << int(got.reserved) << ", expected " << int(want.b) << "," << int(want.g)
                       << "," << int(want.r) << "," << int(want.reserved);
        }
    return testing::AssertionSuccess();
}

TEST(CutOut, CopiesTheFrameAndFillsWhiteBeyondThePicture) {
    uint32_t seed = 1;
    for (PixelFormat f : AllFormats()) {
        Bitmap source = RandomBitmap(23, 11, f, seed++);
        source.SetHasAlpha(true);
        if (source.Bits() <= 8) source.Palette()[1] = RgbQuad{255, 255, 255, 0};  // white exists
        for (auto [x, y, w, h] : {std::tuple{0, 0, 23, 11},
                                  {3, 2, 9, 5},
                                  {5, 1, 1, 1},
                                  {-4, -3, 10, 8},
                                  {15, 6, 20, 9},
                                  {-2, -2, 30, 16},
                                  {40, 40, 3, 3},
                                  {-10, 0, 5, 5}}) {
            SCOPED_TRACE(test::FormatName(f) + " frame " + std::to_string(x) + "," +
                         std::to_string(y) + " " + std::to_string(w) + "×" + std::to_string(h));
            const Bitmap cut = CutOut(source, x, y, w, h);
            ASSERT_EQ(cut.Format(), f);
            ASSERT_EQ(cut.Width(), uint32_t(w));
            ASSERT_EQ(cut.Height(), uint32_t(h));
            EXPECT_TRUE(cut.HasAlpha());
            EXPECT_EQ(cut.Palette(), source.Palette());
            EXPECT_TRUE(FramedLikeSource(source, cut, x, y));
            for (uint32_t cy = 0; cy < cut.Height(); ++cy)
                for (size_t i = (size_t(w) * cut.Bits() + 7) / 8; i < cut.Stride(); ++i)
                    ASSERT_EQ(cut.Row(cy)[i], 0);
        }
    }
}

TEST(CutOut, ThirtyTwoBitsKeepTheFourthByteOnlyWhereTheSourceCarriesAlpha) {
    Bitmap source = RandomBitmap(6, 4, PixelFormat::Bit32, 3);
    source.Row(1)[4 * 2 + 3] = 0;
    source.SetHasAlpha(false);
    EXPECT_EQ(CutOut(source, 0, 0, 6, 4).PixelColor(2, 1).reserved, 255);
    source.SetHasAlpha(true);
    EXPECT_EQ(CutOut(source, 0, 0, 6, 4).PixelColor(2, 1).reserved, 0);
}

TEST(CutOut, ColourTableGainsWhiteWithoutChangingAFramedColour) {
    auto eight = [](size_t entries) {
        Bitmap b(4, 4, PixelFormat::Bit8);
        for (size_t i = 0; i < entries; ++i) b.Palette().push_back(RgbQuad{uint8_t(i), 0, 0, 0});
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 4; ++x) b.SetPixelIndex(x, y, uint8_t((y * 4 + x) % entries));
        return b;
    };
    {
        SCOPED_TRACE("room in the table: white is added");
        const Bitmap s = eight(16);
        const Bitmap cut = CutOut(s, -1, 0, 5, 4);
        ASSERT_EQ(cut.Palette().size(), 17u);
        EXPECT_TRUE(IsWhite(cut.Palette()[16]));
        EXPECT_TRUE(FramedLikeSource(s, cut, -1, 0));
    }
    {
        SCOPED_TRACE("full table: an entry the frame does not use becomes white");
        Bitmap s = eight(256);
        const Bitmap cut = CutOut(s, 2, 2, 4, 4);  // uses indices 10, 11, 14, 15
        EXPECT_TRUE(IsWhite(cut.Palette()[0]));
        EXPECT_TRUE(FramedLikeSource(s, cut, 2, 2));
    }
    {
        SCOPED_TRACE("every entry framed: the entry nearest to white fills");
        Bitmap s(2, 1, PixelFormat::Bit1);
        s.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{200, 210, 220, 0}};
        s.SetPixelIndex(1, 0, 1);
        const Bitmap cut = CutOut(s, 0, 0, 3, 1);
        EXPECT_EQ(cut.Palette(), s.Palette());
        EXPECT_EQ(cut.PixelIndex(2, 0), 1);
        EXPECT_EQ(cut.PixelIndex(0, 0), 0);
    }
    {
        SCOPED_TRACE("indices past a short table show black and keep showing black");
        Bitmap s(3, 1, PixelFormat::Bit4);
        s.Palette() = {RgbQuad{1, 2, 3, 0}};
        s.SetPixelIndex(1, 0, 1);
        s.SetPixelIndex(2, 0, 2);
        const Bitmap cut = CutOut(s, 0, 0, 4, 1);
        EXPECT_EQ(cut.PixelColor(1, 0), (RgbQuad{0, 0, 0, 0}));
        EXPECT_EQ(cut.PixelColor(2, 0), (RgbQuad{0, 0, 0, 0}));
        EXPECT_TRUE(IsWhite(cut.PixelColor(3, 0)));
    }
}

TEST(CutOut, FrameBelowOnePixelIsRefused) {
    const Bitmap s = RandomBitmap(5, 5, PixelFormat::Bit24, 1);
    for (auto [w, h] : {std::pair{0, 3}, {3, 0}, {-1, 4}, {0, 0}}) {
        SCOPED_TRACE(std::to_string(w) + "×" + std::to_string(h));
        EXPECT_EQ(CutOutRefusal(w, h), kCutOutFailedText);
        try {
            CutOut(s, 0, 0, w, h);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(e.what(), std::string("枠座標切出失敗"));
        }
    }
    EXPECT_FALSE(CutOutRefusal(1, 1));
    // Beyond the decoders' pixel limit: refused with its own message, before allocating.
    EXPECT_FALSE(CutOutRefusal(24000, 25000));  // exactly the limit
    for (auto [w, h] : {std::pair{24000, 25001}, {100001, 1}, {1, 100001}}) {
        EXPECT_EQ(CutOutRefusal(w, h), kCutOutTooLargeText);
        EXPECT_THROW(CutOut(s, 0, 0, w, h), Error);
    }
}

}  // namespace
}  // namespace vellumo

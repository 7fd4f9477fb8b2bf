// The one-bit copy for Group 3 and Group 4: set where the picture is black.

#include <gtest/gtest.h>

#include "SaveTestSupport.h"
#include "save/FaxBitmap.h"

namespace vellumo {
namespace {

/// Whether the fax copy's bit at (x, y) is set.
bool Set(const Bitmap& fax, uint32_t x, uint32_t y) { return fax.PixelIndex(x, y) == 1; }

/// The expected bit: the picture's colour is darker than the middle (ReduceToMono black).
bool Dark(const Bitmap& picture, uint32_t x, uint32_t y) {
    const RgbQuad c = picture.PixelColor(x, y);
    return 299u * c.r + 587u * c.g + 114u * c.b < 128000u;
}

TEST(MakeFaxBitmap, SetsTheBitWherePictureIsBlackInEveryFormat) {
    for (const PixelFormat f :
         {PixelFormat::Bit1, PixelFormat::Bit4, PixelFormat::Bit8, PixelFormat::Bit15,
          PixelFormat::Bit16, PixelFormat::Bit24, PixelFormat::Bit32}) {
        SCOPED_TRACE(BitmapFormatName(f));
        const Bitmap picture = test::Pattern(f, 37, 11, 5);
        const Bitmap fax = MakeFaxBitmap(picture);
        ASSERT_EQ(fax.Format(), PixelFormat::Bit1);
        ASSERT_EQ(fax.Width(), 37u);
        ASSERT_EQ(fax.Height(), 11u);
        EXPECT_EQ(fax.Palette(), (std::vector<RgbQuad>{{0, 0, 0, 0}, {255, 255, 255, 0}}));
        for (uint32_t y = 0; y < 11; ++y) {
            for (uint32_t x = 0; x < 37; ++x)
                ASSERT_EQ(Set(fax, x, y), Dark(picture, x, y)) << x << "," << y;
            // Bits past the width and the row padding are clear.
            EXPECT_EQ(fax.Row(y)[4] & 0x07, 0);
            for (size_t i = 5; i < fax.Stride(); ++i) EXPECT_EQ(fax.Row(y)[i], 0);
        }
    }
}

TEST(MakeFaxBitmap, FollowsTheColourTableOfAOneBitPicture) {
    Bitmap mono(10, 1, PixelFormat::Bit1);
    mono.Row(0)[0] = 0b1010'0000;
    mono.Row(0)[1] = 0b1100'0000;
    const RgbQuad black{0, 0, 0, 0}, white{255, 255, 255, 0}, red{0, 0, 255, 0};
    struct Case {
        std::vector<RgbQuad> palette;
        uint8_t first, second;
    } cases[] = {
        {{black, white}, 0b0101'1111, 0b0000'0000},  // the inverse
        {{white, black}, 0b1010'0000, 0b1100'0000},  // as stored
        {{white, white}, 0, 0},
        {{black, black}, 0xFF, 0b1100'0000},
        {{white, red}, 0b1010'0000, 0b1100'0000},  // red (luminance 76) counts as black
        {{white}, 0b1010'0000, 0b1100'0000},       // index 1 past the table: black
    };
    for (const Case& c : cases) {
        mono.Palette() = c.palette;
        const Bitmap fax = MakeFaxBitmap(mono);
        EXPECT_EQ(fax.Row(0)[0], c.first);
        EXPECT_EQ(fax.Row(0)[1], c.second);
    }
}

TEST(MakeFaxBitmap, PutsTheMiddleGrayOnTheWhiteSide) {
    Bitmap gray(3, 1, PixelFormat::Bit24);
    const uint8_t values[] = {127, 128, 255};
    for (int x = 0; x < 3; ++x) std::fill_n(gray.Row(0) + 3 * x, 3, values[x]);
    EXPECT_EQ(MakeFaxBitmap(gray).Row(0)[0], 0b1000'0000);
}

}  // namespace
}  // namespace vellumo

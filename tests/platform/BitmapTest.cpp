// The bitmap model: storage and stride, packed pixel access, copies, and the format changes
// every other part relies on.

#include <gtest/gtest.h>

#include <cstring>

#include "DecoderTestFiles.h"
#include "platform/Bitmap.h"
#include "platform/Error.h"

namespace vellumo {
namespace {

using test::Argb;
using test::SamePixels;

const PixelFormat kAll[] = {PixelFormat::Bit1,  PixelFormat::Bit4,  PixelFormat::Bit8,
                            PixelFormat::Bit15, PixelFormat::Bit16, PixelFormat::Bit24,
                            PixelFormat::Bit32};

/// A bitmap of `format` whose pixel (x, y) has a colour that depends on x and y; palettes
/// hold distinct colours.
Bitmap Sample(PixelFormat format, uint32_t w = 13, uint32_t h = 5) {
    Bitmap b(w, h, format);
    const int bits = b.Bits();
    if (bits <= 8) {
        for (int i = 0; i < (1 << bits); ++i)
            b.Palette().push_back(RgbQuad{uint8_t(i * 5), uint8_t(255 - i), uint8_t(i * 3 + 1), 0});
    }
    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* row = b.Row(y);
        for (uint32_t x = 0; x < w; ++x) {
            const unsigned v = x * 7 + y * 31;
            switch (format) {
                case PixelFormat::Bit1:
                case PixelFormat::Bit4:
                case PixelFormat::Bit8:
                    b.SetPixelIndex(x, y, uint8_t(v % (1u << bits)));
                    break;
                case PixelFormat::Bit15:
                case PixelFormat::Bit16:
                    row[2 * x] = uint8_t(v), row[2 * x + 1] = uint8_t(v * 3);
                    break;
                case PixelFormat::Bit24:
                    row[3 * x] = uint8_t(v), row[3 * x + 1] = uint8_t(v + 1),
                            row[3 * x + 2] = uint8_t(v + 2);
                    break;
                default:
                    row[4 * x] = uint8_t(v), row[4 * x + 1] = uint8_t(v + 1),
                            row[4 * x + 2] = uint8_t(v + 2), row[4 * x + 3] = uint8_t(v + 3);
                    break;
            }
        }
    }
    return b;
}

uint32_t Opaque(const RgbQuad& c) { return Argb(c.r, c.g, c.b); }

TEST(Bitmap, StrideIsPaddedToFourBytesAndStartsZero) {
    EXPECT_EQ(StrideFor(1, 1), 4u);
    EXPECT_EQ(StrideFor(33, 1), 8u);
    EXPECT_EQ(StrideFor(7, 4), 4u);
    EXPECT_EQ(StrideFor(9, 4), 8u);
    EXPECT_EQ(StrideFor(5, 8), 8u);
    EXPECT_EQ(StrideFor(3, 16), 8u);
    EXPECT_EQ(StrideFor(5, 24), 16u);
    EXPECT_EQ(StrideFor(5732, 32), 22928u);
    const Bitmap b(5, 3, PixelFormat::Bit24);
    EXPECT_EQ(b.Stride(), 16u);
    EXPECT_EQ(b.ByteSize(), 48u);
    EXPECT_EQ(b.Row(2) - b.Row(0), 32);
    for (size_t i = 0; i < b.ByteSize(); ++i) ASSERT_EQ(b.Data()[i], 0);
    EXPECT_THROW(Bitmap(kMaxSide + 1, 1, PixelFormat::Bit1), Error);
    EXPECT_THROW(Bitmap(30000, 30000, PixelFormat::Bit1), Error);  // over kMaxPixels
    EXPECT_THROW(Bitmap(1, 1, PixelFormat::Custom), Error);
}

TEST(Bitmap, PackedPixelsAreMostSignificantFirst) {
    Bitmap one(10, 1, PixelFormat::Bit1);
    one.SetPixelIndex(0, 0, 1);
    one.SetPixelIndex(9, 0, 1);
    EXPECT_EQ(one.Row(0)[0], 0x80);
    EXPECT_EQ(one.Row(0)[1], 0x40);
    EXPECT_EQ(one.PixelIndex(9, 0), 1);
    one.SetPixelIndex(0, 0, 0);
    EXPECT_EQ(one.Row(0)[0], 0x00);

    Bitmap four(3, 1, PixelFormat::Bit4);
    four.SetPixelIndex(0, 0, 0xA);
    four.SetPixelIndex(1, 0, 0x5);
    four.SetPixelIndex(2, 0, 0xF);
    EXPECT_EQ(four.Row(0)[0], 0xA5);
    EXPECT_EQ(four.Row(0)[1], 0xF0);
    EXPECT_EQ(four.PixelIndex(1, 0), 5);
    four.Palette() = {RgbQuad{1, 2, 3, 0}};
    EXPECT_EQ(four.PixelColor(1, 0), (RgbQuad{}));  // past the palette: black
}

TEST(Bitmap, CopiesAreDeepAndMovesEmptyTheSource) {
    Bitmap a = Sample(PixelFormat::Bit8);
    a.SetHasAlpha(true);
    Bitmap b = a;
    b.Row(0)[0] ^= 0xFF;
    EXPECT_NE(a.Row(0)[0], b.Row(0)[0]);
    EXPECT_EQ(b.Palette(), a.Palette());
    EXPECT_TRUE(b.HasAlpha());
    Bitmap c = std::move(b);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.ByteSize(), 0u);
    EXPECT_EQ(c.Width(), 13u);
    c = a;
    EXPECT_EQ(0, std::memcmp(c.Data(), a.Data(), a.ByteSize()));
}

TEST(Bitmap, ConvertTo24ExpandsEveryDepth) {
    for (PixelFormat format : kAll) {
        SCOPED_TRACE(BitmapFormatName(format));
        const Bitmap source = Sample(format);
        const Bitmap rgb = ConvertTo24(source);
        ASSERT_EQ(rgb.Format(), PixelFormat::Bit24);
        for (uint32_t y = 0; y < source.Height(); ++y)
            for (uint32_t x = 0; x < source.Width(); ++x) {
                RgbQuad want = source.PixelColor(x, y);
                want.reserved = 0;
                ASSERT_EQ(rgb.PixelColor(x, y), want) << x << ", " << y;
            }
    }
    // 15 and 16 bits widen their channels by repeating the top bits.
    Bitmap five(1, 1, PixelFormat::Bit16);
    five.Row(0)[0] = 0x1F, five.Row(0)[1] = 0xF8;  // b = 31, g = 0, r = 31
    EXPECT_EQ(ConvertTo24(five).PixelColor(0, 0), (RgbQuad{255, 0, 255, 0}));
    five.Row(0)[0] = 0x20, five.Row(0)[1] = 0x00;  // g = 1 of 63
    EXPECT_EQ(ConvertTo24(five).PixelColor(0, 0), (RgbQuad{0, 4, 0, 0}));
}

TEST(Bitmap, ConvertTo32IsOpaqueButKeepsA32BitSource) {
    for (PixelFormat format : kAll) {
        SCOPED_TRACE(BitmapFormatName(format));
        const Bitmap source = Sample(format);
        const Bitmap argb = ConvertTo32(source);
        ASSERT_EQ(argb.Format(), PixelFormat::Bit32);
        if (format == PixelFormat::Bit32) {
            EXPECT_EQ(0, std::memcmp(argb.Data(), source.Data(), source.ByteSize()));
            continue;
        }
        EXPECT_FALSE(argb.HasAlpha());
        EXPECT_TRUE(SamePixels(
            argb, [&](uint32_t x, uint32_t y) { return Opaque(source.PixelColor(x, y)); }));
    }
}

TEST(Bitmap, ReduceToMonoKeepsBlackAndWhite) {
    for (PixelFormat format : kAll) {
        SCOPED_TRACE(BitmapFormatName(format));
        const Bitmap source = Sample(format, 21, 3);
        const Bitmap mono = ReduceToMono(source);
        ASSERT_EQ(mono.Format(), PixelFormat::Bit1);
        ASSERT_EQ(mono.Palette().size(), 2u);
        EXPECT_EQ(mono.Palette()[0], (RgbQuad{0, 0, 0, 0}));
        EXPECT_EQ(mono.Palette()[1], (RgbQuad{255, 255, 255, 0}));
        for (uint32_t y = 0; y < source.Height(); ++y) {
            for (uint32_t x = 0; x < source.Width(); ++x) {
                const RgbQuad c = source.PixelColor(x, y);
                const bool white = 0.299 * c.r + 0.587 * c.g + 0.114 * c.b >= 128 - 1e-9;
                ASSERT_EQ(mono.PixelIndex(x, y), white ? 1 : 0) << x << ", " << y;
            }
            EXPECT_EQ(mono.Row(y)[2] & 0x07, 0);  // padding bits stay zero
        }
    }
    // A black-and-white picture in any palette order keeps its look.
    Bitmap inverted(9, 1, PixelFormat::Bit1);
    inverted.Palette() = {RgbQuad{255, 255, 255, 0}, RgbQuad{0, 0, 0, 0}};
    inverted.SetPixelIndex(3, 0, 1);
    const Bitmap mono = ReduceToMono(inverted);
    EXPECT_EQ(mono.Row(0)[0], 0xEF);
    EXPECT_EQ(mono.Row(0)[1], 0x80);
    // Two light colours are both white; two dark ones both black.
    Bitmap light(9, 1, PixelFormat::Bit1);
    light.Palette() = {RgbQuad{200, 200, 200, 0}, RgbQuad{255, 255, 255, 0}};
    light.SetPixelIndex(3, 0, 1);
    EXPECT_EQ(ReduceToMono(light).Row(0)[0], 0xFF);
    EXPECT_EQ(ReduceToMono(light).Row(0)[1], 0x80);
    light.Palette() = {RgbQuad{20, 20, 20, 0}, RgbQuad{0, 0, 90, 0}};
    EXPECT_EQ(ReduceToMono(light).Row(0)[0], 0x00);
}

}  // namespace
}  // namespace vellumo

namespace vellumo {
namespace {

// Large pictures live in mappings of their own: zeroed, copied, moved and freed like the rest.
TEST(Bitmap, LargePicturesBehaveLikeSmallOnes) {
    Bitmap big(2000, 1500, PixelFormat::Bit32);  // 12 MB
    for (uint32_t y : {0u, 749u, 1499u})
        for (size_t i = 0; i < big.Stride(); i += 997) ASSERT_EQ(big.Row(y)[i], 0);
    big.Row(1499)[big.Stride() - 1] = 7;
    big.Row(0)[0] = 9;
    const Bitmap copy(big);
    EXPECT_EQ(copy.Row(1499)[copy.Stride() - 1], 7);
    EXPECT_EQ(copy.Row(0)[0], 9);
    Bitmap moved(std::move(big));
    EXPECT_EQ(moved.Row(0)[0], 9);
    EXPECT_TRUE(big.Empty());
    moved = Bitmap(3, 3, PixelFormat::Bit8);  // the mapping goes, a heap picture comes
    EXPECT_EQ(moved.Width(), 3u);
    moved = copy;
    EXPECT_EQ(moved.Row(1499)[moved.Stride() - 1], 7);
}

}  // namespace
}  // namespace vellumo

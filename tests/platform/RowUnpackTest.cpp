#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/RowUnpack.h"

namespace vellumo {
namespace {

// Every depth against the per-pixel colour (PixelColor), in every byte order: an odd width
// reaches the last, partial byte of the 1- and 4-bit rows, and a palette of three entries
// leaves indices that must come out black.
TEST(RowUnpacker, EveryDepthGivesThePixelColourInEveryOrder) {
    constexpr uint32_t kWidth = 13, kHeight = 3;
    for (PixelFormat format :
         {PixelFormat::Bit1, PixelFormat::Bit4, PixelFormat::Bit8, PixelFormat::Bit15,
          PixelFormat::Bit16, PixelFormat::Bit24, PixelFormat::Bit32}) {
        SCOPED_TRACE(static_cast<int>(format));
        Bitmap picture(kWidth, kHeight, format);
        picture.Palette() = {RgbQuad{10, 20, 30, 0}, RgbQuad{200, 150, 100, 0},
                             RgbQuad{1, 2, 3, 0}};
        for (uint32_t y = 0; y < kHeight; ++y) {
            uint8_t* row = picture.Row(y);
            for (size_t i = 0; i < picture.Stride(); ++i) row[i] = uint8_t(i * 37 + y * 101 + 5);
        }
        const RowUnpacker bgr(picture, ChannelOrder::Bgr);
        const RowUnpacker rgb(picture, ChannelOrder::Rgb);
        const RowUnpacker bgra(picture, ChannelOrder::Bgra);
        std::vector<uint8_t> b(kWidth * 3), r(kWidth * 3), a(kWidth * 4), scratch(kWidth * 3);
        for (uint32_t y = 0; y < kHeight; ++y) {
            bgr.Unpack(y, b.data());
            rgb.Unpack(y, r.data());
            bgra.Unpack(y, a.data());
            for (uint32_t x = 0; x < kWidth; ++x) {
                const RgbQuad c = picture.PixelColor(x, y);
                const uint8_t want[3] = {c.b, c.g, c.r};
                ASSERT_EQ(0, std::memcmp(&b[3 * x], want, 3)) << x << "," << y;
                EXPECT_EQ(r[3 * x], c.r);
                EXPECT_EQ(r[3 * x + 1], c.g);
                EXPECT_EQ(r[3 * x + 2], c.b);
                const uint8_t opaque[4] = {c.b, c.g, c.r, 255};
                EXPECT_EQ(0, std::memcmp(&a[4 * x], opaque, 4)) << x << "," << y;
            }
            // Row() hands out the bitmap's own row only where it already is blue-first 24 bits.
            const uint8_t* row = bgr.Row(y, scratch.data());
            EXPECT_EQ(row == picture.Row(y), format == PixelFormat::Bit24);
            EXPECT_EQ(0, std::memcmp(row, b.data(), b.size()));
        }
    }
}

}  // namespace
}  // namespace vellumo

// The BMP writer: headers byte for byte for each format, rows bottom up as in memory.

#include <gtest/gtest.h>

#include "SaveTestSupport.h"
#include "platform/Error.h"
#include "save/BmpWriter.h"
#include "support/FileBuilders.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

using test::Bytes;

/// File header and BITMAPINFOHEADER as the writer should lay them out.
Bytes ExpectedHeaders(uint32_t width, uint32_t height, uint16_t bits, uint32_t compression,
                      uint32_t tableBytes, uint32_t imageBytes) {
    Bytes b(54, 0);
    b[0] = 'B', b[1] = 'M';
    test::PutLe32(b, 2, 54 + tableBytes + imageBytes);
    test::PutLe32(b, 10, 54 + tableBytes);
    test::PutLe32(b, 14, 40);
    test::PutLe32(b, 18, width);
    test::PutLe32(b, 22, height);
    test::PutLe16(b, 26, 1);
    test::PutLe16(b, 28, bits);
    test::PutLe32(b, 30, compression);
    test::PutLe32(b, 34, imageBytes);
    return b;  // resolution, colours used and important stay 0
}

TEST(BmpHeaders, LaysOutOneBitWithItsTwoColours) {
    Bitmap mono(13, 3, PixelFormat::Bit1);
    mono.Palette() = {RgbQuad{10, 20, 30, 99}, RgbQuad{255, 254, 253, 0}};
    Bytes want = ExpectedHeaders(13, 3, 1, 0, 8, 12);
    want.insert(want.end(), {10, 20, 30, 0, 255, 254, 253, 0});
    EXPECT_EQ(BmpHeaders(mono), want);
}

TEST(BmpHeaders, LaysOutEightBitWithAFullTable) {
    Bitmap gray(5, 2, PixelFormat::Bit8);
    for (int i = 0; i < 256; ++i)
        gray.Palette().push_back(RgbQuad{uint8_t(255 - i), uint8_t(255 - i), uint8_t(255 - i), 0});
    Bytes want = ExpectedHeaders(5, 2, 8, 0, 1024, 16);
    for (int i = 0; i < 256; ++i)
        want.insert(want.end(), {uint8_t(255 - i), uint8_t(255 - i), uint8_t(255 - i), 0});
    EXPECT_EQ(BmpHeaders(gray), want);

    // A shorter table is lengthened with black.
    gray.Palette().resize(3);
    const Bytes shortTable = BmpHeaders(gray);
    ASSERT_EQ(shortTable.size(), 54u + 1024);
    EXPECT_EQ(shortTable[54 + 8], 253);
    EXPECT_EQ(Bytes(shortTable.begin() + 54 + 12, shortTable.end()), Bytes(1012, 0));
}

TEST(BmpHeaders, LaysOutDirectColourFormats) {
    EXPECT_EQ(BmpHeaders(Bitmap(5, 3, PixelFormat::Bit24)), ExpectedHeaders(5, 3, 24, 0, 0, 48));
    EXPECT_EQ(BmpHeaders(Bitmap(5, 3, PixelFormat::Bit32)), ExpectedHeaders(5, 3, 32, 0, 0, 60));
    EXPECT_EQ(BmpHeaders(Bitmap(5, 3, PixelFormat::Bit15)), ExpectedHeaders(5, 3, 16, 0, 0, 36));
    Bytes masks = ExpectedHeaders(5, 3, 16, 3, 12, 36);
    masks.insert(masks.end(), {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0});
    EXPECT_EQ(BmpHeaders(Bitmap(5, 3, PixelFormat::Bit16)), masks);
    Bitmap four(3, 1, PixelFormat::Bit4);
    EXPECT_EQ(BmpHeaders(four).size(), 54u + 64);
}

TEST(WriteBmp, WritesTheRowsBottomUpAfterTheHeaders) {
    test::TempDir dir;
    for (const PixelFormat f :
         {PixelFormat::Bit1, PixelFormat::Bit8, PixelFormat::Bit24, PixelFormat::Bit32}) {
        SCOPED_TRACE(BitmapFormatName(f));
        const Bitmap picture = test::Pattern(f, 19, 4, 3);
        const std::string path = dir.File("p.bmp");
        WriteBmp(picture, path);
        Bytes want = BmpHeaders(picture);
        for (uint32_t y = 4; y-- > 0;)
            want.insert(want.end(), picture.Row(y), picture.Row(y) + picture.Stride());
        EXPECT_EQ(test::ReadAll(path), want);
    }
    EXPECT_THROW(WriteBmp(Bitmap(), dir.File("e.bmp")), Error);
}

}  // namespace
}  // namespace vellumo

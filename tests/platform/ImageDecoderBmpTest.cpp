// The BMP reader: every header, depth and compression it accepts, the names the status line
// gets for them, and the refusals of broken files.

#include <gtest/gtest.h>

#include "DecoderTestFiles.h"
#include "platform/ImageDecoder.h"

namespace vellumo {
namespace {

using test::Argb;
using test::BmpFile;
using test::BmpSpec;
using test::FileBytes;
using test::SamePixels;

DecodedImage Decode(const FileBytes& bytes) { return DecodeImage(bytes, "a.bmp"); }

/// A palette of `n` distinct colours as b, g, r triples: entry i is (r=i*7, g=255-i, b=i*3).
std::vector<uint8_t> Palette(int n) {
    std::vector<uint8_t> p;
    for (int i = 0; i < n; ++i) {
        p.push_back(uint8_t(i * 3));
        p.push_back(uint8_t(255 - i));
        p.push_back(uint8_t(i * 7));
    }
    return p;
}
uint32_t PaletteArgb(unsigned i) { return Argb(uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 3)); }

/// The index of pixel x in a packed row of `bits` bits.
unsigned IndexAt(const uint8_t* row, uint32_t x, int bits) {
    const unsigned bit = x * unsigned(bits);
    return (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
}

TEST(BmpDecoder, PaletteDepthsBottomUpAndTopDown) {
    for (int bits : {1, 4, 8}) {
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, top-down " << topDown);
            const uint32_t w = 13, h = 5;
            const size_t stride = ((w * bits + 31) / 32) * 4;
            std::vector<uint8_t> data = test::PatternRows(uint32_t(stride), h, uint32_t(bits));
            BmpSpec shape;
            shape.width = int32_t(w);
            shape.height = topDown ? -int32_t(h) : int32_t(h);
            shape.bits = uint16_t(bits);
            shape.palette = Palette(1 << bits);
            const DecodedImage image = Decode(BmpFile(shape, data));
            EXPECT_EQ(image.imageTypeName, "Bitmap");
            EXPECT_EQ(image.pixelFormatName, std::to_string(bits) + "bppIndexed");
            EXPECT_TRUE(image.picture.HasAlpha());
            EXPECT_TRUE(SamePixels(image.picture, [&](uint32_t x, uint32_t y) {
                const uint32_t fileRow = topDown ? y : h - 1 - y;
                return PaletteArgb(IndexAt(data.data() + fileRow * stride, x, bits));
            }));
        }
    }
}

TEST(BmpDecoder, ShortPaletteShowsBlackPastItsEnd) {
    BmpSpec shape;
    shape.width = 4, shape.height = 1, shape.bits = 8, shape.colorsUsed = 2;
    shape.palette = Palette(2);
    const DecodedImage image = Decode(BmpFile(shape, {0, 1, 2, 200}));
    EXPECT_TRUE(SamePixels(image.picture, [](uint32_t x, uint32_t) {
        return x < 2 ? PaletteArgb(x) : Argb(0, 0, 0);
    }));
}

TEST(BmpDecoder, CoreHeaderWithColourTriples) {
    BmpSpec shape;
    shape.headerSize = 12;
    shape.width = 3, shape.height = 2, shape.bits = 8;
    shape.palette = Palette(256);
    const DecodedImage image = Decode(BmpFile(shape, {5, 6, 7, 0, 8, 9, 10, 0}));
    EXPECT_EQ(image.pixelFormatName, "8bppIndexed");
    EXPECT_TRUE(SamePixels(
        image.picture, [](uint32_t x, uint32_t y) { return PaletteArgb(y == 1 ? 5 + x : 8 + x); }));
}

TEST(BmpDecoder, DirectColourDepthsAndTheirNames) {
    struct Case {
        const char* name;
        uint16_t bits;
        uint32_t compression;
        uint32_t headerSize;
        std::vector<uint32_t> masks;
        std::vector<uint8_t> pixel;  // one pixel as stored
        uint32_t argb;
    };
    const Case cases[] = {
        {"16bppBGR555", 16, 0, 40, {}, {0x1F, 0x7C}, Argb(255, 0, 255)},  // r=31, g=0, b=31
        {"16bppBGR555", 16, 3, 40, {0x7C00, 0x03E0, 0x001F}, {0xE0, 0x03}, Argb(0, 255, 0)},
        {"16bppBGR565", 16, 3, 40, {0xF800, 0x07E0, 0x001F}, {0x20, 0x00}, Argb(0, 4, 0)},
        {"16bppBGRA55",
         16,
         3,
         124,
         {0x7C00, 0x03E0, 0x001F, 0x8000},
         {0x1F, 0x00},
         Argb(0, 0, 255, 0)},
        {"32bppBGR", 16, 3, 40, {0x0F00, 0x00F0, 0x000F}, {0x21, 0x0F}, Argb(255, 34, 17)},
        {"24bppBGR", 24, 0, 40, {}, {1, 2, 3}, Argb(3, 2, 1)},
        {"32bppBGR", 32, 0, 40, {}, {1, 2, 3, 4}, Argb(3, 2, 1)},
        {"32bppBGR", 32, 3, 40, {0xFF0000, 0xFF00, 0xFF}, {1, 2, 3, 4}, Argb(3, 2, 1)},
        {"32bppBGRA",
         32,
         3,
         124,
         {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
         {1, 2, 3, 4},
         Argb(3, 2, 1, 4)},
        {"32bppBGRA",
         32,
         3,
         108,
         {0xFF, 0xFF00, 0xFF0000, 0xFF000000},
         {1, 2, 3, 4},
         Argb(1, 2, 3, 4)},
        {"32bppBGR",
         32,
         3,
         40,
         {0x3FF00000, 0x000FFC00, 0x000003FF},
         {0, 0, 0xF0, 0x3F},
         Argb(255, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.name << " masks " << c.masks.size() << " header " << c.headerSize);
        BmpSpec shape;
        shape.width = 1, shape.height = 1, shape.bits = c.bits, shape.compression = c.compression;
        shape.headerSize = c.headerSize;
        shape.masks = c.masks;
        std::vector<uint8_t> data = c.pixel;
        data.resize(4, 0);
        const DecodedImage image = Decode(BmpFile(shape, data));
        EXPECT_EQ(image.pixelFormatName, c.name);
        EXPECT_TRUE(SamePixels(image.picture, [&](uint32_t, uint32_t) { return c.argb; }));
    }
}

TEST(BmpDecoder, RunLengthStreamsWithLineEndsDeltasAndLiterals) {
    BmpSpec shape;
    shape.width = 6, shape.height = 3, shape.bits = 8, shape.compression = 1;
    shape.palette = Palette(256);
    // Bottom row: run of 3 × index 9, literal 1 2 3; then end of line; second row: delta
    // (2, 0) then run of 2 × 4; end of line; top row: end of picture at once.
    const std::vector<uint8_t> rle8 = {3, 9, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 0, 2, 4, 0, 0, 0, 1};
    const DecodedImage image = Decode(BmpFile(shape, rle8));
    EXPECT_EQ(image.pixelFormatName, "32bppBGR");
    const unsigned expected[3][6] = {{0, 0, 0, 0, 0, 0}, {0, 0, 4, 4, 0, 0}, {9, 9, 9, 1, 2, 3}};
    EXPECT_TRUE(SamePixels(image.picture,
                           [&](uint32_t x, uint32_t y) { return PaletteArgb(expected[y][x]); }));

    shape.bits = 4, shape.compression = 2, shape.height = 1;
    shape.palette = Palette(16);
    // Run of 5 alternating 1 and 2, literal of 3 nibbles 7 8 9 (2 bytes, padded to 2).
    const DecodedImage four = Decode(BmpFile(shape, {5, 0x12, 0, 3, 0x78, 0x90, 0, 1}));
    const unsigned row[6] = {1, 2, 1, 2, 1, 7};
    EXPECT_TRUE(
        SamePixels(four.picture, [&](uint32_t x, uint32_t) { return PaletteArgb(row[x]); }));
}

TEST(BmpDecoder, BrokenFilesGiveTheDecodeError) {
    BmpSpec shape;
    shape.width = 8, shape.height = 4, shape.bits = 24;
    const FileBytes good = BmpFile(shape, std::vector<uint8_t>(96, 7));
    ASSERT_NO_THROW(Decode(good));

    FileBytes cut(good.begin(), good.end() - 30);
    FileBytes badHeader = good;
    badHeader[14] = 41;
    FileBytes badBits = good;
    badBits[28] = 7;
    FileBytes rleCut = BmpFile(BmpSpec{8, 4, 8, 1, 40, {}, Palette(256), 0}, {2, 1, 0, 0});
    FileBytes badOffset = good;
    badOffset[10] = 0xFF, badOffset[11] = 0xFF;
    for (const FileBytes* bytes :
         std::initializer_list<const FileBytes*>{&cut, &badHeader, &badBits, &rleCut, &badOffset}) {
        try {
            Decode(*bytes);
            ADD_FAILURE() << "decoded a broken file";
        } catch (const DecodeError& e) {
            EXPECT_EQ(std::string(e.what()), DecodeErrorText("a.bmp"));
        }
    }
}

TEST(BmpDecoder, GiantHeaderIsRefusedBeforeAnyPixelIsAllocated) {
    BmpSpec shape;
    shape.width = 200000, shape.height = 200000, shape.bits = 1;
    shape.palette = Palette(2);
    try {
        Decode(BmpFile(shape, std::vector<uint8_t>(64)));
        ADD_FAILURE() << "decoded a giant";
    } catch (const DecodeError& e) {
        EXPECT_NE(e.Reason().find("大きすぎます"), std::string::npos) << e.Reason();
    }
}

TEST(BmpDecoder, OneBitFileLoadsInItsOwnFormat) {
    BmpSpec shape;
    shape.width = 11, shape.height = 2, shape.bits = 1;
    shape.palette = {0, 0, 255, 255, 255, 255};  // red, white
    // Stored bottom-up; the last byte of each row carries stray bits past the width.
    const std::vector<uint8_t> data = {0xA5, 0xFF, 0, 0, 0x0F, 0x00, 0, 0};
    const Bitmap mono = LoadOneBitIndexed(BmpFile(shape, data), "a.bmp");
    ASSERT_EQ(mono.Format(), PixelFormat::Bit1);
    EXPECT_FALSE(mono.HasAlpha());
    ASSERT_EQ(mono.Palette().size(), 2u);
    EXPECT_EQ(mono.Palette()[0], (RgbQuad{0, 0, 255, 0}));
    EXPECT_EQ(mono.Row(0)[0], 0x0F);
    EXPECT_EQ(mono.Row(1)[0], 0xA5);
    EXPECT_EQ(mono.Row(1)[1], 0xE0);  // padding bits cleared
    EXPECT_EQ(mono.Row(1)[2], 0);

    shape.bits = 8;
    shape.palette = Palette(256);
    EXPECT_THROW(LoadOneBitIndexed(BmpFile(shape, std::vector<uint8_t>(24)), "a.bmp"), DecodeError);
}

}  // namespace
}  // namespace vellumo

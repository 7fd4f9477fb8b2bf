// PNG files written by libpng in every colour type and depth: the names, the pixels, the
// transparency, and the refusals.

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include "DecoderTestFiles.h"
#include "platform/ImageDecoder.h"

namespace vellumo {
namespace {

using test::Argb;
using test::FileBytes;
using test::PngFile;
using test::PngSpec;
using test::SamePixels;

DecodedImage Decode(const FileBytes& bytes) { return DecodeImage(bytes, "a.png"); }

size_t RowBytes(const PngSpec& s) {
    const int channels = s.colorType == 2 ? 3 : s.colorType == 4 ? 2 : s.colorType == 6 ? 4 : 1;
    return (size_t(s.width) * channels * s.depth + 7) / 8;
}

/// Sample `i` of a packed PNG row, scaled to 8 bits the way the decoder keeps it.
unsigned Sample8(const uint8_t* row, size_t i, int depth) {
    if (depth == 16) return row[2 * i];  // the high byte
    if (depth == 8) return row[i];
    const unsigned bit = unsigned(i) * unsigned(depth);
    const unsigned v = (row[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
    return v * 255 / ((1u << depth) - 1);
}

TEST(PngDecoder, GrayDepths) {
    const std::pair<int, const char*> depths[] = {
        {1, "BlackWhite"}, {2, "2bppGray"}, {4, "4bppGray"}, {8, "8bppGray"}, {16, "16bppGray"}};
    for (const auto& [depth, name] : depths) {
        for (bool interlace : {false, true}) {
            SCOPED_TRACE(testing::Message() << depth << " bits, interlace " << interlace);
            PngSpec s;
            s.width = 19, s.height = 11, s.colorType = PNG_COLOR_TYPE_GRAY, s.depth = depth;
            s.interlace = interlace;
            const std::vector<uint8_t> rows = test::PatternRows(uint32_t(RowBytes(s)), s.height);
            const DecodedImage image = Decode(PngFile(s, rows));
            EXPECT_EQ(image.imageTypeName, "Png");
            EXPECT_EQ(image.pixelFormatName, name);
            EXPECT_TRUE(SamePixels(image.picture, [&](uint32_t x, uint32_t y) {
                const uint8_t v = uint8_t(Sample8(rows.data() + y * RowBytes(s), x, depth));
                return Argb(v, v, v);
            }));
        }
    }
}

TEST(PngDecoder, GrayWithTransparentLevelIsAPaletteImage) {
    PngSpec s;
    s.width = 4, s.height = 1, s.colorType = PNG_COLOR_TYPE_GRAY, s.depth = 8;
    s.trns = {0, 77};
    const DecodedImage image = Decode(PngFile(s, {0, 77, 78, 255}));
    EXPECT_EQ(image.pixelFormatName, "8bppIndexed");
    const uint32_t expected[] = {Argb(0, 0, 0), Argb(77, 77, 77, 0), Argb(78, 78, 78),
                                 Argb(255, 255, 255)};
    EXPECT_TRUE(SamePixels(image.picture, [&](uint32_t x, uint32_t) { return expected[x]; }));

    s.depth = 16;
    s.trns = {1, 2};
    EXPECT_EQ(Decode(PngFile(s, std::vector<uint8_t>(8, 1))).pixelFormatName, "64bppRGBA");
}

TEST(PngDecoder, PaletteDepthsWithTransparency) {
    for (int depth : {1, 2, 4, 8}) {
        SCOPED_TRACE(depth);
        PngSpec s;
        s.width = 13, s.height = 3, s.colorType = PNG_COLOR_TYPE_PALETTE, s.depth = depth;
        const int n = 1 << depth;
        for (int i = 0; i < n; ++i)
            s.palette.insert(s.palette.end(), {uint8_t(i), uint8_t(2 * i), uint8_t(255 - i)});
        s.trns = {10, 20};  // entries 0 and 1; the others opaque
        const std::vector<uint8_t> rows =
            test::PatternRows(uint32_t(RowBytes(s)), s.height, uint32_t(depth));
        const DecodedImage image = Decode(PngFile(s, rows));
        EXPECT_EQ(image.pixelFormatName, std::to_string(depth) + "bppIndexed");
        EXPECT_TRUE(SamePixels(image.picture, [&](uint32_t x, uint32_t y) {
            const uint8_t* row = rows.data() + y * RowBytes(s);
            const unsigned bit = x * unsigned(depth);
            const unsigned i = (row[bit / 8] >> (8 - depth - bit % 8)) & unsigned(n - 1);
            const uint8_t a = i == 0 ? 10 : i == 1 ? 20 : 255;
            return Argb(uint8_t(i), uint8_t(2 * i), uint8_t(255 - i), a);
        }));
    }
}

TEST(PngDecoder, ColourTypesAndDepths) {
    struct Case {
        int colorType, depth;
        std::vector<uint8_t> trns;
        const char* name;
    };
    const Case cases[] = {
        {PNG_COLOR_TYPE_RGB, 8, {}, "24bppBGR"},
        {PNG_COLOR_TYPE_RGB, 16, {}, "48bppRGB"},
        {PNG_COLOR_TYPE_RGB, 8, {0, 1, 0, 2, 0, 3}, "32bppBGRA"},
        {PNG_COLOR_TYPE_RGB_ALPHA, 8, {}, "32bppBGRA"},
        {PNG_COLOR_TYPE_RGB_ALPHA, 16, {}, "64bppRGBA"},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 8, {}, "32bppBGRA"},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 16, {}, "64bppRGBA"},
    };
    for (const Case& c : cases) {
        for (bool interlace : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.name << " type " << c.colorType << " depth "
                                            << c.depth << " interlace " << interlace);
            PngSpec s;
            s.width = 10, s.height = 9, s.colorType = c.colorType, s.depth = c.depth,
            s.trns = c.trns;
            s.interlace = interlace;
            std::vector<uint8_t> rows = test::PatternRows(uint32_t(RowBytes(s)), s.height);
            if (!c.trns.empty()) rows[0] = 1, rows[1] = 2, rows[2] = 3;  // the transparent colour
            const DecodedImage image = Decode(PngFile(s, rows));
            EXPECT_EQ(image.pixelFormatName, c.name);
            const int step = c.depth / 8;
            EXPECT_TRUE(SamePixels(image.picture, [&](uint32_t x, uint32_t y) {
                const uint8_t* row = rows.data() + y * RowBytes(s);
                const int ch = c.colorType == 2 ? 3 : c.colorType == 4 ? 2 : 4;
                const uint8_t* p = row + size_t(x) * ch * step;
                if (c.colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
                    return Argb(p[0], p[0], p[0], p[step]);
                uint8_t a = ch == 4 ? p[3 * step] : 255;
                if (!c.trns.empty() && p[0] == 1 && p[1] == 2 && p[2] == 3) a = 0;
                return Argb(p[0], p[step], p[2 * step], a);
            }));
        }
    }
}

/// Rewrites the IHDR width and height of a PNG, with a valid CRC.
FileBytes WithSize(FileBytes png, uint32_t w, uint32_t h) {
    for (int i = 0; i < 4; ++i)
        png[16 + i] = uint8_t(w >> (24 - 8 * i)), png[20 + i] = uint8_t(h >> (24 - 8 * i));
    const uLong crc = crc32(0, png.data() + 12, 17);
    for (int i = 0; i < 4; ++i) png[29 + i] = uint8_t(crc >> (24 - 8 * i));
    return png;
}

TEST(PngDecoder, BrokenFilesGiveTheDecodeError) {
    PngSpec s;
    s.width = 40, s.height = 30, s.colorType = PNG_COLOR_TYPE_RGB;
    const FileBytes good = PngFile(s, test::PatternRows(120, 30));
    ASSERT_NO_THROW(Decode(good));
    const FileBytes cut(good.begin(), good.begin() + long(good.size() / 2));
    FileBytes badCrc = good;
    badCrc[45] ^= 0x55;  // inside the first IDAT
    FileBytes badHeader = good;
    badHeader[24] = 3;  // depth 3
    const FileBytes giant = WithSize(good, 200000, 200000);
    for (const FileBytes* bytes :
         std::initializer_list<const FileBytes*>{&cut, &badCrc, &badHeader, &giant}) {
        try {
            Decode(*bytes);
            ADD_FAILURE() << "decoded a broken file";
        } catch (const DecodeError& e) {
            EXPECT_EQ(std::string(e.what()), DecodeErrorText("a.png"));
            if (bytes == &giant) {
                EXPECT_NE(e.Reason().find("大きすぎます"), std::string::npos) << e.Reason();
            }
        }
    }
}

TEST(PngDecoder, OneBitPaletteLoadsInItsOwnFormat) {
    PngSpec s;
    s.width = 10, s.height = 2, s.colorType = PNG_COLOR_TYPE_PALETTE, s.depth = 1;
    s.palette = {255, 0, 0, 0, 0, 255};
    const FileBytes file = PngFile(s, {0xF0, 0xFF, 0x0F, 0x00});
    EXPECT_EQ(Decode(file).pixelFormatName, "1bppIndexed");
    const Bitmap mono = LoadOneBitIndexed(file, "a.png");
    ASSERT_EQ(mono.Format(), PixelFormat::Bit1);
    ASSERT_EQ(mono.Palette().size(), 2u);
    EXPECT_EQ(mono.Palette()[0], (RgbQuad{0, 0, 255, 0}));
    EXPECT_EQ(mono.Palette()[1], (RgbQuad{255, 0, 0, 0}));
    EXPECT_EQ(mono.Row(0)[0], 0xF0);
    EXPECT_EQ(mono.Row(0)[1], 0xC0);  // bits past the width cleared
    EXPECT_EQ(mono.Row(1)[0], 0x0F);

    // One-bit gray is "BlackWhite", not for this load; with a transparent level it is.
    PngSpec gray;
    gray.width = 8, gray.height = 1, gray.colorType = PNG_COLOR_TYPE_GRAY, gray.depth = 1;
    EXPECT_THROW(LoadOneBitIndexed(PngFile(gray, {0x55}), "a.png"), DecodeError);
    gray.trns = {0, 1};
    const Bitmap keyed = LoadOneBitIndexed(PngFile(gray, {0x55}), "a.png");
    EXPECT_EQ(keyed.Row(0)[0], 0x55);
    EXPECT_EQ(keyed.Palette()[1], (RgbQuad{255, 255, 255, 0}));
}

}  // namespace
}  // namespace vellumo

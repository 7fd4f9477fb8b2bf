// TIFF files written by libtiff in the layouts drawings and scans come in: names, pixels,
// codecs, strips and tiles, the RGBA fallback, the one-bit palette load and refusals.

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstring>

#include "DecoderTestFiles.h"
#include "platform/ImageDecoder.h"
#include "support/FileBuilders.h"

namespace vellumo {
namespace {

using test::Argb;
using test::FileBytes;
using test::SamePixels;
using test::TiffFile;
using test::TiffSpec;

DecodedImage Decode(const FileBytes& bytes) { return DecodeImage(bytes, "a.tif"); }

size_t RowBytes(const TiffSpec& s) { return (size_t(s.width) * s.bits * s.samples + 7) / 8; }

unsigned PackedAt(const uint8_t* row, uint32_t x, int bits) {
    const unsigned bit = x * unsigned(bits);
    return (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
}

TEST(TiffDecoder, BilevelInEveryCodecStripAndTile) {
    const uint16_t codecs[] = {COMPRESSION_NONE, COMPRESSION_CCITTFAX3,     COMPRESSION_CCITTFAX4,
                               COMPRESSION_LZW,  COMPRESSION_ADOBE_DEFLATE, COMPRESSION_PACKBITS};
    for (uint16_t photometric : {PHOTOMETRIC_MINISWHITE, PHOTOMETRIC_MINISBLACK}) {
        for (uint16_t codec : codecs) {
            for (uint32_t tile : {0u, 16u}) {
                SCOPED_TRACE(testing::Message() << "photometric " << photometric << " codec "
                                                << codec << " tile " << tile);
                TiffSpec s;
                s.width = 37, s.height = 21, s.bits = 1, s.photometric = photometric;
                s.compression = codec, s.rowsPerStrip = 4, s.tileSize = tile;
                if (tile != 0 && (codec == COMPRESSION_CCITTFAX3 || codec == COMPRESSION_CCITTFAX4))
                    continue;
                const std::vector<uint8_t> rows =
                    test::PatternRows(uint32_t(RowBytes(s)), s.height, codec);
                const DecodedImage image = Decode(TiffFile(s, rows));
                EXPECT_EQ(image.imageTypeName, "Tiff");
                EXPECT_EQ(image.pixelFormatName, "BlackWhite");
                EXPECT_TRUE(SamePixels(image.picture, [&](uint32_t x, uint32_t y) {
                    const bool one = PackedAt(rows.data() + y * RowBytes(s), x, 1) != 0;
                    const bool white = one == (photometric == PHOTOMETRIC_MINISBLACK);
                    return white ? Argb(255, 255, 255) : Argb(0, 0, 0);
                }));
            }
        }
    }
}

TEST(TiffDecoder, GrayDepths) {
    const std::pair<uint16_t, const char*> depths[] = {
        {2, "2bppGray"}, {4, "4bppGray"}, {8, "8bppGray"}, {16, "16bppGray"}};
    for (const auto& [bits, name] : depths) {
        for (uint16_t photometric : {PHOTOMETRIC_MINISBLACK, PHOTOMETRIC_MINISWHITE}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, photometric " << photometric);
            TiffSpec s;
            s.width = 11, s.height = 5, s.bits = bits, s.photometric = photometric;
            s.compression = COMPRESSION_LZW;
            const std::vector<uint8_t> rows =
                test::PatternRows(uint32_t(RowBytes(s)), s.height, bits);
            const DecodedImage image = Decode(TiffFile(s, rows));
            EXPECT_EQ(image.pixelFormatName, name);
            EXPECT_TRUE(SamePixels(image.picture, [&](uint32_t x, uint32_t y) {
                const uint8_t* row = rows.data() + y * RowBytes(s);
                unsigned v;
                if (bits == 16) {
                    uint16_t word;
                    std::memcpy(&word, row + 2 * x, 2);  // libtiff wrote native order
                    v = word >> 8;
                } else {
                    v = bits == 8 ? row[x] : PackedAt(row, x, bits) * 255 / ((1u << bits) - 1);
                }
                if (photometric == PHOTOMETRIC_MINISWHITE) v = 255 - v;
                return Argb(uint8_t(v), uint8_t(v), uint8_t(v));
            }));
        }
    }
}

TEST(TiffDecoder, PaletteDepths) {
    for (uint16_t bits : {1, 2, 4, 8}) {
        SCOPED_TRACE(bits);
        TiffSpec s;
        s.width = 21, s.height = 3, s.bits = bits, s.photometric = PHOTOMETRIC_PALETTE;
        s.compression = COMPRESSION_PACKBITS;
        const size_t n = size_t(1) << bits;
        s.colorMap.resize(3 * n);
        for (size_t i = 0; i < n; ++i) {
            s.colorMap[i] = uint16_t(i * 257);
            s.colorMap[n + i] = uint16_t((255 - i) * 257);
            s.colorMap[2 * n + i] = uint16_t(0x8000);
        }
        const std::vector<uint8_t> rows = test::PatternRows(uint32_t(RowBytes(s)), s.height, bits);
        const DecodedImage image = Decode(TiffFile(s, rows));
        EXPECT_EQ(image.pixelFormatName, std::to_string(bits) + "bppIndexed");
        EXPECT_TRUE(SamePixels(image.picture, [&](uint32_t x, uint32_t y) {
            const unsigned i = PackedAt(rows.data() + y * RowBytes(s), x, bits);
            return Argb(uint8_t(i), uint8_t(255 - i), 0x80);
        }));
    }
}

TEST(TiffDecoder, ColourLayouts) {
    struct Case {
        uint16_t photometric, bits, samples;
        std::vector<uint16_t> extras;
        const char* name;
    };
    const Case cases[] = {
        {PHOTOMETRIC_RGB, 8, 3, {}, "24bppBGR"},
        {PHOTOMETRIC_RGB, 8, 4, {EXTRASAMPLE_UNASSALPHA}, "32bppBGRA"},
        {PHOTOMETRIC_RGB, 8, 4, {EXTRASAMPLE_ASSOCALPHA}, "32bppPBGRA"},
        {PHOTOMETRIC_RGB, 16, 3, {}, "48bppRGB"},
        {PHOTOMETRIC_RGB, 16, 4, {EXTRASAMPLE_UNASSALPHA}, "64bppRGBA"},
        {PHOTOMETRIC_MINISBLACK, 8, 2, {EXTRASAMPLE_UNASSALPHA}, "32bppBGRA"},
        {PHOTOMETRIC_SEPARATED, 8, 4, {}, "32bppCMYK"},
    };
    for (const Case& c : cases) {
        for (uint32_t tile : {0u, 16u}) {
            SCOPED_TRACE(testing::Message()
                         << c.name << " samples " << c.samples << " tile " << tile);
            TiffSpec s;
            s.width = 35, s.height = 18, s.bits = c.bits, s.samples = c.samples;
            s.photometric = c.photometric, s.extraSamples = c.extras;
            s.compression = COMPRESSION_ADOBE_DEFLATE, s.tileSize = tile, s.rowsPerStrip = 5;
            std::vector<uint8_t> rows = test::PatternRows(uint32_t(RowBytes(s)), s.height);
            const bool pre = !c.extras.empty() && c.extras[0] == EXTRASAMPLE_ASSOCALPHA;
            const int step = c.bits / 8;
            if (pre) {  // premultiplied: no channel above its opacity
                for (size_t p = 0; p + 3 < rows.size(); p += 4)
                    for (int k = 0; k < 3; ++k) rows[p + k] = std::min(rows[p + k], rows[p + 3]);
            }
            const DecodedImage image = Decode(TiffFile(s, rows));
            EXPECT_EQ(image.pixelFormatName, c.name);
            EXPECT_TRUE(SamePixels(image.picture, [&](uint32_t x, uint32_t y) {
                const uint8_t* p = rows.data() + y * RowBytes(s) + size_t(x) * c.samples * step;
                auto v = [&](int i) -> unsigned {
                    return step == 2 ? p[2 * i + 1] : p[i];
                };  // high byte (little-endian)
                if (c.photometric == PHOTOMETRIC_SEPARATED) {
                    auto ink = [&](int i) {
                        return uint8_t(((255 - v(i)) * (255 - v(3)) + 127) / 255);
                    };
                    return Argb(ink(0), ink(1), ink(2));
                }
                if (c.samples == 2)
                    return Argb(uint8_t(v(0)), uint8_t(v(0)), uint8_t(v(0)), uint8_t(v(1)));
                unsigned r = v(0), g = v(1), b = v(2), a = c.samples == 4 ? v(3) : 255;
                if (pre && a != 0 && a != 255) {
                    r = (r * 255 + a / 2) / a, g = (g * 255 + a / 2) / a, b = (b * 255 + a / 2) / a;
                } else if (pre && a == 0) {
                    r = g = b = 0;
                }
                return Argb(uint8_t(r), uint8_t(g), uint8_t(b), uint8_t(a));
            }));
        }
    }
}

TEST(TiffDecoder, SeparatePlanesGoThroughTheRgbaReader) {
    TiffSpec s;
    s.width = 9, s.height = 4, s.bits = 8, s.samples = 3, s.photometric = PHOTOMETRIC_RGB,
    s.separate = true;
    const std::vector<uint8_t> planes =
        test::PatternRows(9, 4 * 3);  // per row: r plane, g plane, b plane
    const DecodedImage image = Decode(TiffFile(s, planes));
    EXPECT_EQ(image.pixelFormatName, "24bppBGR");
    EXPECT_TRUE(SamePixels(image.picture, [&](uint32_t x, uint32_t y) {
        const uint8_t* row = planes.data() + size_t(y) * 27;
        return Argb(row[x], row[9 + x], row[18 + x]);
    }));
}

TEST(TiffDecoder, JpegCompressedYcbcr) {
    TiffSpec s;
    s.width = 32, s.height = 16, s.bits = 8, s.samples = 3, s.photometric = PHOTOMETRIC_YCBCR;
    s.compression = COMPRESSION_JPEG, s.rowsPerStrip = 16;
    std::vector<uint8_t> rows;
    for (uint32_t i = 0; i < s.width * s.height; ++i) rows.insert(rows.end(), {200, 100, 50});
    const DecodedImage image = Decode(TiffFile(s, rows));
    EXPECT_EQ(image.pixelFormatName, "24bppBGR");
    const RgbQuad c = image.picture.PixelColor(5, 5);
    EXPECT_NEAR(c.r, 200, 4);
    EXPECT_NEAR(c.g, 100, 4);
    EXPECT_NEAR(c.b, 50, 4);
    EXPECT_EQ(c.reserved, 255);
}

TEST(TiffDecoder, OneBitPaletteLoadsInItsOwnFormat) {
    TiffSpec s;
    s.width = 12, s.height = 2, s.bits = 1, s.photometric = PHOTOMETRIC_PALETTE;
    s.colorMap = {65535, 0, 0, 65535, 0, 0};  // red, green
    const FileBytes file = TiffFile(s, {0xAB, 0xFF, 0x12, 0x30});
    EXPECT_EQ(Decode(file).pixelFormatName, "1bppIndexed");
    const Bitmap mono = LoadOneBitIndexed(file, "a.tif");
    ASSERT_EQ(mono.Format(), PixelFormat::Bit1);
    ASSERT_EQ(mono.Palette().size(), 2u);
    EXPECT_EQ(mono.Palette()[0], (RgbQuad{0, 0, 255, 0}));
    EXPECT_EQ(mono.Palette()[1], (RgbQuad{0, 255, 0, 0}));
    EXPECT_EQ(mono.Row(0)[0], 0xAB);
    EXPECT_EQ(mono.Row(0)[1], 0xF0);
    EXPECT_EQ(mono.Row(1)[0], 0x12);

    TiffSpec bilevel;
    bilevel.bits = 1;
    EXPECT_THROW(LoadOneBitIndexed(TiffFile(bilevel, std::vector<uint8_t>(4)), "a.tif"),
                 DecodeError);
}

TEST(TiffDecoder, BrokenFilesGiveTheDecodeError) {
    TiffSpec s;
    s.width = 300, s.height = 200, s.bits = 1, s.compression = COMPRESSION_CCITTFAX4;
    const FileBytes good = TiffFile(s, test::PatternRows(38, 200));
    ASSERT_NO_THROW(Decode(good));
    // libtiff writes the strip first and the directory after it.
    const FileBytes cut(good.begin(), good.begin() + 100);
    FileBytes corrupt = good;
    for (size_t i = 8; i < 60; ++i) corrupt[i] = uint8_t(i * 37);
    test::TiffFields giantFields;
    giantFields.width = 200000, giantFields.height = 200000;
    const FileBytes giant = test::DrawingTiff(giantFields);
    test::TiffFields noStrip;
    noStrip.width = 64, noStrip.height = 64;
    const FileBytes missingData =
        test::DrawingTiff(noStrip);  // strip offsets point into the header
    const FileBytes notTiff = test::AsBytes("II*\0garbage");
    const std::pair<const char*, const FileBytes*> broken[] = {{"cut", &cut},
                                                               {"corrupt", &corrupt},
                                                               {"giant", &giant},
                                                               {"missing data", &missingData},
                                                               {"not TIFF", &notTiff}};
    for (const auto& [what, bytes] : broken) {
        try {
            Decode(*bytes);
            ADD_FAILURE() << "decoded the " << what << " file";
        } catch (const DecodeError& e) {
            EXPECT_EQ(std::string(e.what()), DecodeErrorText("a.tif"));
            if (bytes == &giant) {
                EXPECT_NE(e.Reason().find("大きすぎます"), std::string::npos) << e.Reason();
            }
        }
    }
}

}  // namespace
}  // namespace vellumo

// JPEG files written by libjpeg (gray, colour, CMYK, progressive) and GIF files written by
// giflib (transparency, interlace): names, pixels and refusals.

#include <gtest/gtest.h>

#include <cstdlib>

#include "DecoderTestFiles.h"
#include "platform/ImageDecoder.h"

namespace vellumo {
namespace {

using test::Argb;
using test::FileBytes;
using test::SamePixels;

/// Every pixel within `tolerance` of `expected` in each channel; alpha exactly 255.
::testing::AssertionResult NearPixels(const Bitmap& picture, int tolerance,
                                      const std::function<uint32_t(uint32_t, uint32_t)>& expected) {
    for (uint32_t y = 0; y < picture.Height(); ++y) {
        for (uint32_t x = 0; x < picture.Width(); ++x) {
            const RgbQuad c = picture.PixelColor(x, y);
            const uint32_t e = expected(x, y);
            const int dr = std::abs(int(c.r) - int((e >> 16) & 255));
            const int dg = std::abs(int(c.g) - int((e >> 8) & 255));
            const int db = std::abs(int(c.b) - int(e & 255));
            if (dr > tolerance || dg > tolerance || db > tolerance || c.reserved != 255) {
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is r" << int(c.r) << " g" << int(c.g)
                       << " b" << int(c.b) << " a" << int(c.reserved) << ", expected " << std::hex
                       << e;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

/// Four flat quadrants, so that a JPEG keeps its colours closely.
std::vector<uint8_t> Quadrants(uint32_t w, uint32_t h, int components,
                               const std::vector<std::vector<uint8_t>>& colors) {
    std::vector<uint8_t> out;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const auto& c = colors[(y >= h / 2) * 2 + (x >= w / 2)];
            out.insert(out.end(), c.begin(), c.begin() + components);
        }
    return out;
}

TEST(JpegDecoder, GrayColourAndProgressive) {
    const uint32_t w = 32, h = 32;
    const std::vector<std::vector<uint8_t>> colors = {
        {200, 30, 40}, {10, 220, 60}, {90, 90, 250}, {250, 250, 250}};
    auto expected = [&](int components) {
        return [=](uint32_t x, uint32_t y) {
            const auto& c = colors[(y >= h / 2) * 2 + (x >= w / 2)];
            return components == 1 ? Argb(c[0], c[0], c[0]) : Argb(c[0], c[1], c[2]);
        };
    };
    const DecodedImage gray =
        DecodeImage(test::JpegFile(w, h, 1, Quadrants(w, h, 1, colors)), "a.jpg");
    EXPECT_EQ(gray.imageTypeName, "Jpeg");
    EXPECT_EQ(gray.pixelFormatName, "8bppGray");
    EXPECT_TRUE(NearPixels(gray.picture, 3, expected(1)));
    for (bool progressive : {false, true}) {
        SCOPED_TRACE(progressive);
        const DecodedImage rgb = DecodeImage(
            test::JpegFile(w, h, 3, Quadrants(w, h, 3, colors), 100, progressive), "a.jpg");
        EXPECT_EQ(rgb.pixelFormatName, "24bppBGR");
        EXPECT_TRUE(NearPixels(rgb.picture, 6, expected(3)));
    }
}

TEST(JpegDecoder, AdobeCmykIsStoredInverted) {
    const uint32_t w = 16, h = 16;
    // Stored values as Adobe writes them (255 = no ink): red, white, black-ish, blue.
    const std::vector<std::vector<uint8_t>> inks = {
        {255, 0, 0, 255}, {255, 255, 255, 255}, {0, 0, 0, 0}, {0, 0, 255, 255}};
    const DecodedImage image =
        DecodeImage(test::JpegFile(w, h, 4, Quadrants(w, h, 4, inks)), "a.jpg");
    EXPECT_EQ(image.pixelFormatName, "32bppCMYK");
    const uint32_t expected[] = {Argb(255, 0, 0), Argb(255, 255, 255), Argb(0, 0, 0),
                                 Argb(0, 0, 255)};
    EXPECT_TRUE(NearPixels(image.picture, 6, [&](uint32_t x, uint32_t y) {
        return expected[(y >= h / 2) * 2 + (x >= w / 2)];
    }));
}

TEST(JpegDecoder, BrokenFilesGiveTheDecodeError) {
    const FileBytes good = test::JpegFile(64, 64, 3, test::PatternRows(64 * 3, 64), 90);
    ASSERT_NO_THROW(DecodeImage(good, "a.jpg"));
    const FileBytes cut(good.begin(), good.begin() + long(good.size() * 2 / 3));
    FileBytes garbage(good.begin(), good.begin() + 20);
    garbage.insert(garbage.end(), 500, 0x5A);
    // A frame header claiming 65000 × 65000 (over the pixel limit) before a tiny scan.
    FileBytes giant = good;
    for (size_t i = 2; i + 8 < giant.size(); ++i) {
        if (giant[i] == 0xFF && giant[i + 1] == 0xC0) {
            giant[i + 5] = 0xFD, giant[i + 6] = 0xE8, giant[i + 7] = 0xFD, giant[i + 8] = 0xE8;
            break;
        }
    }
    for (const FileBytes* bytes : std::initializer_list<const FileBytes*>{&cut, &garbage, &giant}) {
        try {
            DecodeImage(*bytes, "a.jpg");
            ADD_FAILURE() << "decoded a broken file";
        } catch (const DecodeError& e) {
            EXPECT_EQ(std::string(e.what()), DecodeErrorText("a.jpg"));
            if (bytes == &giant) {
                EXPECT_NE(e.Reason().find("大きすぎます"), std::string::npos) << e.Reason();
            }
        }
    }
    EXPECT_THROW(LoadOneBitIndexed(good, "a.jpg"), DecodeError);
}

std::vector<uint8_t> GifColours() {
    std::vector<uint8_t> map;
    for (int i = 0; i < 256; ++i)
        map.insert(map.end(), {uint8_t(i), uint8_t(i ^ 0x55), uint8_t(255 - i)});
    return map;
}
uint32_t GifArgb(unsigned i, uint8_t a = 255) {
    return Argb(uint8_t(i), uint8_t(i ^ 0x55), uint8_t(255 - i), a);
}

TEST(GifDecoder, FirstFrameWithTransparencyAndInterlace) {
    const uint32_t w = 7, h = 13;
    const std::vector<uint8_t> indices = test::PatternRows(w, h);
    for (bool interlace : {false, true}) {
        for (int transparent : {-1, int(indices[3])}) {
            SCOPED_TRACE(testing::Message()
                         << "interlace " << interlace << " transparent " << transparent);
            const DecodedImage image = DecodeImage(
                test::GifFile(w, h, indices, GifColours(), transparent, interlace), "a.gif");
            EXPECT_EQ(image.imageTypeName, "Gif");
            EXPECT_EQ(image.pixelFormatName, "8bppIndexed");
            EXPECT_TRUE(SamePixels(image.picture, [&](uint32_t x, uint32_t y) {
                const unsigned i = indices[y * w + x];
                return GifArgb(i, int(i) == transparent ? 0 : 255);
            }));
        }
    }
}

TEST(GifDecoder, BrokenFilesGiveTheDecodeError) {
    const FileBytes good = test::GifFile(40, 40, test::PatternRows(40, 40), GifColours());
    ASSERT_NO_THROW(DecodeImage(good, "a.gif"));
    const FileBytes cut(good.begin(), good.begin() + long(good.size() - 200));
    FileBytes noImage(good.begin(), good.begin() + 13 + 768);
    noImage.push_back(0x3B);  // the trailer right after the colour map
    for (const FileBytes* bytes : std::initializer_list<const FileBytes*>{&cut, &noImage}) {
        EXPECT_THROW(DecodeImage(*bytes, "a.gif"), DecodeError);
    }
    EXPECT_THROW(LoadOneBitIndexed(good, "a.gif"), DecodeError);
}

}  // namespace
}  // namespace vellumo

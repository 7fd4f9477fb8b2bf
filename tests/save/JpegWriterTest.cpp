// The JPEG writer, read back with libjpeg: components, quality (through the quantisation
// table it implies), header defaults and pixels.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "SaveTestSupport.h"
#include "platform/Error.h"
#include "save/JpegWriter.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

using test::TempDir;

/// libjpeg's luminance table for `quality`, as jpeg_set_quality scales the standard one.
std::vector<uint16_t> LumaTable(int quality) {
    static const uint16_t kStandard[64] = {
        16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
        14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
        18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
        49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
    const long scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    std::vector<uint16_t> table;
    for (uint16_t v : kStandard)
        table.push_back(uint16_t(std::clamp((v * scale + 50) / 100, 1L, 255L)));
    return table;
}

TEST(WriteJpeg, UsesTheQualityAndTheLibraryDefaults) {
    TempDir dir;
    const Bitmap picture = test::Pattern(PixelFormat::Bit24, 40, 24);
    for (const int quality : {100, 90, 80, 70, 60}) {
        SCOPED_TRACE(quality);
        const std::string path = dir.File("q.jpg");
        WriteJpeg(picture, path, quality, false);
        const test::JpegFile jpeg = test::ReadJpegFile(path);
        ASSERT_TRUE(jpeg.ok);
        EXPECT_EQ(jpeg.width, 40u);
        EXPECT_EQ(jpeg.height, 24u);
        EXPECT_EQ(jpeg.components, 3);
        EXPECT_EQ(jpeg.lumaTable, LumaTable(quality));
        EXPECT_FALSE(jpeg.progressive);
        EXPECT_TRUE(jpeg.jfif);
        EXPECT_EQ(jpeg.densityUnit, 0);  // aspect ratio only: no resolution stated
        EXPECT_EQ(jpeg.xDensity, 1);
        EXPECT_EQ(jpeg.yDensity, 1);
    }
}

/// Mean absolute difference between a decoded JPEG and the picture (as gray when the JPEG
/// has one component).
double MeanError(const test::JpegFile& jpeg, const Bitmap& picture) {
    double sum = 0;
    for (uint32_t y = 0; y < picture.Height(); ++y)
        for (uint32_t x = 0; x < picture.Width(); ++x) {
            const RgbQuad c = picture.PixelColor(x, y);
            const uint8_t* p = &jpeg.pixels[(size_t(y) * picture.Width() + x) * jpeg.components];
            if (jpeg.components == 1)
                sum += std::abs(p[0] - (0.299 * c.r + 0.587 * c.g + 0.114 * c.b));
            else
                sum += (std::abs(p[0] - c.r) + std::abs(p[1] - c.g) + std::abs(p[2] - c.b)) / 3.0;
        }
    return sum / (double(picture.Width()) * picture.Height());
}

/// A smooth colour picture of `format` (JPEG keeps smooth pictures close).
Bitmap Smooth(PixelFormat format) {
    Bitmap rgb(64, 48, PixelFormat::Bit24);
    for (uint32_t y = 0; y < 48; ++y)
        for (uint32_t x = 0; x < 64; ++x) {
            uint8_t* p = rgb.Row(y) + 3 * x;
            p[0] = uint8_t(x * 4), p[1] = uint8_t(y * 5), p[2] = uint8_t(200 - x - y);
        }
    return format == PixelFormat::Bit32 ? ConvertTo32(rgb) : rgb;
}

TEST(WriteJpeg, KeepsTheColoursOrWritesOneGrayComponent) {
    TempDir dir;
    for (const PixelFormat f : {PixelFormat::Bit24, PixelFormat::Bit32}) {
        SCOPED_TRACE(BitmapFormatName(f));
        const Bitmap picture = Smooth(f);
        const std::string path = dir.File("c.jpg");
        WriteJpeg(picture, path, 100, false);
        test::JpegFile jpeg = test::ReadJpegFile(path);
        ASSERT_TRUE(jpeg.ok);
        EXPECT_LT(MeanError(jpeg, picture), 2.0);  // red and blue in their places

        WriteJpeg(picture, path, 90, true);
        jpeg = test::ReadJpegFile(path);
        ASSERT_TRUE(jpeg.ok);
        EXPECT_EQ(jpeg.components, 1);
        EXPECT_LT(MeanError(jpeg, picture), 2.0);
    }
    // One-bit pictures go through their colour table.
    Bitmap mono(16, 8, PixelFormat::Bit1);
    mono.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
    for (uint32_t y = 0; y < 8; ++y) mono.Row(y)[0] = 0xFF;  // left half white
    WriteJpeg(mono, dir.File("m.jpg"), 100, false);
    const test::JpegFile jpeg = test::ReadJpegFile(dir.File("m.jpg"));
    ASSERT_TRUE(jpeg.ok);
    EXPECT_LT(MeanError(jpeg, mono), 6.0);
}

TEST(WriteJpeg, RefusesWhatItCannotWriteAndLeavesTheOldFile) {
    TempDir dir;
    const std::string path = dir.Write("old.jpg", std::string("old"));
    EXPECT_THROW(WriteJpeg(test::Pattern(PixelFormat::Bit24, 8, 8), path, 0, false), Error);
    EXPECT_THROW(WriteJpeg(Bitmap(), path, 80, false), Error);
    // Wider than JPEG can hold: libjpeg's own error, caught.
    const Bitmap wide(70000, 1, PixelFormat::Bit24);
    EXPECT_THROW(WriteJpeg(wide, path, 80, false), Error);
    EXPECT_EQ(test::ReadAll(path), std::vector<uint8_t>({'o', 'l', 'd'}));
    EXPECT_EQ(test::FolderEntries(dir.Path()), std::vector<std::string>{"old.jpg"});
}

}  // namespace
}  // namespace vellumo

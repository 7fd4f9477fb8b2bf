// The viewer's one-bit load of two-colour files must give exactly what the 32-bit decode
// followed by the viewer's reduction gives, for every layout those files come in.

#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>

#include <cstring>

#include "DecoderTestFiles.h"
#include "imaging/Threshold.h"
#include "platform/ImageDecoder.h"

namespace vellumo {
namespace {

using test::FileBytes;

/// The load as it was built first: the 32-bit picture, thresholded at the panel's 128 for a
/// "BlackWhite" file; the own-format load made black and white for a "1bppIndexed" one.
Bitmap ReducedTheLongWay(const FileBytes& file, const std::string& name) {
    const DecodedImage wide = DecodeImage(file, name);
    if (wide.pixelFormatName == "1bppIndexed") return ReduceToMono(LoadOneBitIndexed(file, name));
    return ThresholdToMono(wide.picture, 255 - 128);
}

void ExpectSameOneBit(const Bitmap& a, const Bitmap& b) {
    ASSERT_EQ(a.Format(), PixelFormat::Bit1);
    ASSERT_EQ(b.Format(), PixelFormat::Bit1);
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    EXPECT_EQ(a.Palette(), b.Palette());
    const size_t rowBytes = (size_t(a.Width()) + 7) / 8;
    for (uint32_t y = 0; y < a.Height(); ++y)
        ASSERT_EQ(std::memcmp(a.Row(y), b.Row(y), rowBytes), 0) << "row " << y;
}

void ExpectOneBitLoadAgrees(const FileBytes& file, const std::string& name,
                            const std::string& pixelFormatName) {
    const DecodedImage quick = DecodeTwoColourAsOneBit(file, name);
    EXPECT_EQ(quick.pixelFormatName, pixelFormatName);
    EXPECT_FALSE(quick.picture.HasAlpha());
    const Bitmap reduced =
        pixelFormatName == "1bppIndexed" ? ReduceToMono(quick.picture) : quick.picture;
    ExpectSameOneBit(reduced, ReducedTheLongWay(file, name));
}

TEST(TwoColourDecode, BilevelTiffInEveryCodecAndBothPhotometrics) {
    const uint16_t codecs[] = {COMPRESSION_NONE, COMPRESSION_CCITTFAX3, COMPRESSION_CCITTFAX4,
                               COMPRESSION_LZW, COMPRESSION_PACKBITS};
    for (uint16_t photometric : {PHOTOMETRIC_MINISWHITE, PHOTOMETRIC_MINISBLACK}) {
        for (uint16_t codec : codecs) {
            for (uint32_t width : {37u, 40u}) {
                SCOPED_TRACE(testing::Message() << "photometric " << photometric << " codec "
                                                << codec << " width " << width);
                test::TiffSpec s;
                s.width = width, s.height = 19, s.bits = 1, s.photometric = photometric;
                s.compression = codec, s.rowsPerStrip = 5;
                const auto rows = test::PatternRows((width + 7) / 8, s.height, codec + width);
                ExpectOneBitLoadAgrees(TiffFile(s, rows), "a.tif", "BlackWhite");
            }
        }
    }
}

TEST(TwoColourDecode, TiledBilevelTiffStaysTheWidePicture) {
    test::TiffSpec s;
    s.width = 37, s.height = 21, s.bits = 1, s.tileSize = 16;
    const FileBytes file = TiffFile(s, test::PatternRows(5, s.height));
    const DecodedImage quick = DecodeTwoColourAsOneBit(file, "a.tif");
    EXPECT_EQ(quick.picture.Format(), PixelFormat::Bit32);
    EXPECT_TRUE(quick.picture.HasAlpha());
    ExpectSameOneBit(ThresholdToMono(quick.picture, 127), ReducedTheLongWay(file, "a.tif"));
}

TEST(TwoColourDecode, OneBitPaletteFilesKeepTheirPalette) {
    test::TiffSpec tiff;
    tiff.width = 13, tiff.height = 3, tiff.bits = 1, tiff.photometric = PHOTOMETRIC_PALETTE;
    tiff.colorMap = {65535, 0, 65535, 65535, 0, 0};  // yellow, then blue
    ExpectOneBitLoadAgrees(TiffFile(tiff, test::PatternRows(2, 3)), "a.tif", "1bppIndexed");

    test::PngSpec png;
    png.width = 13, png.height = 3, png.colorType = PNG_COLOR_TYPE_PALETTE, png.depth = 1;
    png.palette = {250, 250, 250, 10, 10, 10};
    ExpectOneBitLoadAgrees(PngFile(png, test::PatternRows(2, 3)), "a.png", "1bppIndexed");

    test::BmpSpec bmp;
    bmp.width = 13, bmp.height = 3, bmp.bits = 1, bmp.palette = {0, 0, 0, 255, 255, 255};
    ExpectOneBitLoadAgrees(BmpFile(bmp, test::PatternRows(4, 3)), "a.bmp", "1bppIndexed");
}

TEST(TwoColourDecode, OneBitGrayPngAndOtherFormatsAsBefore) {
    test::PngSpec bw;
    bw.width = 21, bw.height = 4, bw.colorType = PNG_COLOR_TYPE_GRAY, bw.depth = 1;
    ExpectOneBitLoadAgrees(PngFile(bw, test::PatternRows(3, 4)), "a.png", "BlackWhite");

    // Everything else comes back as the 32-bit picture DecodeImage gives.
    test::TiffSpec gray;
    gray.width = 9, gray.height = 2;
    const FileBytes file = TiffFile(gray, test::PatternRows(9, 2));
    const DecodedImage quick = DecodeTwoColourAsOneBit(file, "a.tif");
    const DecodedImage wide = DecodeImage(file, "a.tif");
    EXPECT_EQ(quick.pixelFormatName, "8bppGray");
    ASSERT_EQ(quick.picture.Format(), PixelFormat::Bit32);
    for (uint32_t y = 0; y < 2; ++y)
        EXPECT_EQ(std::memcmp(quick.picture.Row(y), wide.picture.Row(y), 36), 0);
}

TEST(TwoColourDecode, BrokenFilesGiveTheSameDecodeError) {
    test::TiffSpec s;
    s.width = 64, s.height = 64, s.bits = 1, s.compression = COMPRESSION_CCITTFAX4;
    FileBytes file = TiffFile(s, test::PatternRows(8, 64));
    file.resize(file.size() / 2);
    EXPECT_THROW(DecodeTwoColourAsOneBit(file, "a.tif"), DecodeError);
    EXPECT_THROW(DecodeTwoColourAsOneBit(FileBytes{'I', 'I', 42, 0}, "a.tif"), DecodeError);
}

}  // namespace
}  // namespace vellumo

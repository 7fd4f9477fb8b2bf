// The TIFF writer: strip geometry, every tag as libtiff and tiffdump read it back, the
// pixels, and the refusals.

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "SaveTestSupport.h"
#include "platform/Error.h"
#include "save/FaxBitmap.h"
#include "save/TiffWriter.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

using test::TempDir;

struct TiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

TiffPtr OpenTiff(const std::string& path) { return TiffPtr(TIFFOpen(path.c_str(), "r")); }

std::string ThrownText(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

TEST(TiffStripLayout, FollowsTheQuarterMebibyteRule) {
    // A one-bit A4 at 600 dpi: 621 bytes a row, 422 rows a strip.
    const TiffStripGeometry mono = TiffStripLayout(4961, 3508, true);
    EXPECT_EQ(mono.bytesPerRow, 621u);
    EXPECT_EQ(mono.rowsPerStrip, 422u);
    EXPECT_EQ(TiffStripLayout(2000, 5000, false).rowsPerStrip, 43u);
    EXPECT_EQ(TiffStripLayout(2000, 5000, false).bytesPerRow, 6000u);
    EXPECT_EQ(TiffStripLayout(100, 10, false).rowsPerStrip, 10u);   // never above the height
    EXPECT_EQ(TiffStripLayout(100000, 3, false).rowsPerStrip, 1u);  // one row is longer
    EXPECT_EQ(TiffStripLayout(7, 1, true).bytesPerRow, 1u);
}

TEST(Bmp2Tif, WritesNineStripsTheLastOf132Rows) {
    TempDir dir;
    const std::string path = dir.File("a4.tif");
    Bitmap mono(4961, 3508, PixelFormat::Bit1);
    mono.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
    for (uint32_t y = 0; y < mono.Height(); y += 37) std::memset(mono.Row(y), 0xF0, 300);
    Bmp2Tif(mono, path, TiffCompression::G4, 600);

    TiffPtr tif = OpenTiff(path);
    ASSERT_TRUE(tif);
    uint32_t rows = 0;
    TIFFGetField(tif.get(), TIFFTAG_ROWSPERSTRIP, &rows);
    EXPECT_EQ(rows, 422u);
    ASSERT_EQ(TIFFNumberOfStrips(tif.get()), 9u);
    std::vector<uint8_t> strip(size_t(422) * 621);
    EXPECT_EQ(TIFFReadEncodedStrip(tif.get(), 8, strip.data(), tmsize_t(strip.size())),
              tmsize_t(132) * 621);
}

struct Tags {
    uint32_t width = 0, height = 0, rowsPerStrip = 0;
    uint16_t bits = 0, samples = 0, compression = 0, photometric = 0, fillOrder = 0, planar = 0,
             orientation = 0, unit = 0;
    float xres = 0, yres = 0;
    std::string software;
    bool hasPredictor = false, hasDateTime = false, hasDescription = false;
    bool bigEndian = true, bigTiff = true;
};

Tags ReadTags(const std::string& path) {
    Tags t;
    TiffPtr tif = OpenTiff(path);
    if (!tif) return t;
    TIFF* f = tif.get();
    TIFFGetField(f, TIFFTAG_IMAGEWIDTH, &t.width);
    TIFFGetField(f, TIFFTAG_IMAGELENGTH, &t.height);
    TIFFGetField(f, TIFFTAG_BITSPERSAMPLE, &t.bits);
    TIFFGetField(f, TIFFTAG_SAMPLESPERPIXEL, &t.samples);
    TIFFGetField(f, TIFFTAG_COMPRESSION, &t.compression);
    TIFFGetField(f, TIFFTAG_PHOTOMETRIC, &t.photometric);
    TIFFGetField(f, TIFFTAG_FILLORDER, &t.fillOrder);
    TIFFGetField(f, TIFFTAG_PLANARCONFIG, &t.planar);
    TIFFGetField(f, TIFFTAG_ORIENTATION, &t.orientation);
    TIFFGetField(f, TIFFTAG_XRESOLUTION, &t.xres);
    TIFFGetField(f, TIFFTAG_YRESOLUTION, &t.yres);
    TIFFGetField(f, TIFFTAG_RESOLUTIONUNIT, &t.unit);
    TIFFGetField(f, TIFFTAG_ROWSPERSTRIP, &t.rowsPerStrip);
    char* software = nullptr;
    if (TIFFGetField(f, TIFFTAG_SOFTWARE, &software) && software) t.software = software;
    uint16_t predictor = 0;
    char* text = nullptr;
    t.hasPredictor = TIFFGetField(f, TIFFTAG_PREDICTOR, &predictor) == 1;
    t.hasDateTime = TIFFGetField(f, TIFFTAG_DATETIME, &text) == 1;
    t.hasDescription = TIFFGetField(f, TIFFTAG_IMAGEDESCRIPTION, &text) == 1;
    t.bigEndian = TIFFIsBigEndian(f);
    t.bigTiff = TIFFIsBigTIFF(f);
    return t;
}

struct CompressionCase {
    TiffCompression code;
    uint16_t tag;
    bool fax;
};

constexpr CompressionCase kCompressions[] = {
    {TiffCompression::None, 1, false},    {TiffCompression::Lzw, 5, false},
    {TiffCompression::Zip, 32946, false}, {TiffCompression::G3, 3, true},
    {TiffCompression::G4, 4, true},
};

TEST(Bmp2Tif, WritesEveryTagForEachCompressionAndResolution) {
    TempDir dir;
    const Bitmap colour = test::Pattern(PixelFormat::Bit24, 37, 29);
    const Bitmap mono = test::Pattern(PixelFormat::Bit1, 37, 29);
    for (const CompressionCase& c : kCompressions) {
        for (const double dpi : {200.0, 300.0, 400.0, 600.0}) {
            SCOPED_TRACE("compression " + std::to_string(c.tag) + ", " + std::to_string(dpi));
            const std::string path = dir.File("t.tif");
            Bmp2Tif(c.fax ? mono : colour, path, c.code, dpi);
            const Tags t = ReadTags(path);
            EXPECT_EQ(t.width, 37u);
            EXPECT_EQ(t.height, 29u);
            EXPECT_EQ(t.bits, c.fax ? 1 : 8);
            EXPECT_EQ(t.samples, c.fax ? 1 : 3);
            EXPECT_EQ(t.compression, c.tag);
            EXPECT_EQ(t.photometric, c.fax ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_RGB);
            EXPECT_EQ(t.fillOrder, FILLORDER_MSB2LSB);
            EXPECT_EQ(t.planar, PLANARCONFIG_CONTIG);
            EXPECT_EQ(t.orientation, ORIENTATION_TOPLEFT);
            EXPECT_EQ(t.xres, float(dpi));
            EXPECT_EQ(t.yres, float(dpi));
            EXPECT_EQ(t.unit, RESUNIT_INCH);
            EXPECT_EQ(t.software, "Vellumo(LibTiff)");
            EXPECT_EQ(t.rowsPerStrip, 29u);
            EXPECT_FALSE(t.hasPredictor);
            EXPECT_FALSE(t.hasDateTime);
            EXPECT_FALSE(t.hasDescription);
            EXPECT_FALSE(t.bigEndian);
            EXPECT_FALSE(t.bigTiff);
        }
    }
}

TEST(Bmp2Tif, TiffdumpAndTiffinfoReadTheTags) {
    TempDir dir;
    const Bitmap mono = test::Pattern(PixelFormat::Bit1, 45, 20);
    const Bitmap colour = test::Pattern(PixelFormat::Bit24, 45, 20);
    for (const CompressionCase& c : kCompressions) {
        SCOPED_TRACE(c.tag);
        const std::string path = dir.File("d.tif");
        Bmp2Tif(c.fax ? mono : colour, path, c.code, 300);
        int status = 0;
        const std::string dump = test::RunCommand("tiffdump " + test::ShellQuoted(path), &status);
        ASSERT_EQ(status, 0) << dump;
        EXPECT_NE(dump.find("Magic: 0x4949 <little-endian> Version: 0x2a"), std::string::npos)
            << dump;
        EXPECT_NE(dump.find("Compression (259) SHORT (3) 1<" + std::to_string(c.tag) + ">"),
                  std::string::npos)
            << dump;
        EXPECT_NE(
            dump.find("Photometric (262) SHORT (3) 1<" + std::string(c.fax ? "0" : "2") + ">"),
            std::string::npos)
            << dump;
        EXPECT_NE(dump.find("XResolution (282) RATIONAL (5) 1<300>"), std::string::npos) << dump;
        EXPECT_NE(dump.find("YResolution (283) RATIONAL (5) 1<300>"), std::string::npos) << dump;
        EXPECT_NE(dump.find("ResolutionUnit (296) SHORT (3) 1<2>"), std::string::npos) << dump;
        EXPECT_NE(dump.find("Software (305) ASCII (2) 17<Vellumo(LibTiff)\\0>"), std::string::npos)
            << dump;
        EXPECT_NE(dump.find("RowsPerStrip (278)"), std::string::npos) << dump;
        EXPECT_EQ(dump.find("Predictor (317)"), std::string::npos) << dump;
        EXPECT_EQ(dump.find("DateTime (306)"), std::string::npos) << dump;
        EXPECT_EQ(dump.find("(292)"), std::string::npos) << dump;  // no Group3Options

        // tiffinfo -D decodes the whole image: no error and no warning on any compression.
        const std::string info = test::RunCommand(
            "tiffinfo -D " + test::ShellQuoted(path) + " 2>&1 >/dev/null", &status);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(info, "");
    }
}

/// The pixels of a strip-organised TIFF, rows packed without padding.
std::vector<uint8_t> ReadPixels(const std::string& path) {
    std::vector<uint8_t> out;
    TiffPtr tif = OpenTiff(path);
    if (!tif) return out;
    const tmsize_t stripSize = TIFFStripSize(tif.get());
    std::vector<uint8_t> strip(stripSize);
    for (uint32_t s = 0; s < TIFFNumberOfStrips(tif.get()); ++s) {
        const tmsize_t n = TIFFReadEncodedStrip(tif.get(), s, strip.data(), stripSize);
        if (n < 0) return {};
        out.insert(out.end(), strip.begin(), strip.begin() + n);
    }
    return out;
}

TEST(Bmp2Tif, StoresRgbInRedGreenBlueOrder) {
    TempDir dir;
    Bitmap red(3, 2, PixelFormat::Bit24);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 3; ++x) red.Row(y)[3 * x + 2] = 255;  // memory 0, 0, 255
    red.Row(1)[0] = 7, red.Row(1)[1] = 8;                              // pixel 0 of row 1
    for (const CompressionCase& c : kCompressions) {
        if (c.fax) continue;
        const std::string path = dir.File("red.tif");
        Bmp2Tif(red, path, c.code, 400);
        const std::vector<uint8_t> expected = {255, 0, 0, 255, 0, 0, 255, 0, 0,
                                               255, 8, 7, 255, 0, 0, 255, 0, 0};
        EXPECT_EQ(ReadPixels(path), expected) << c.tag;
    }
}

TEST(Bmp2Tif, StoresOneBitRowsAsTheyAreWithSetBitsBlack) {
    TempDir dir;
    // 13 pixels wide: the second byte of each row holds 5 pixels and 3 padding bits.
    Bitmap mono = test::Pattern(PixelFormat::Bit1, 13, 300, 7);
    for (uint32_t y = 0; y < mono.Height(); ++y) mono.Row(y)[1] &= 0xF8;
    for (const TiffCompression code : {TiffCompression::G3, TiffCompression::G4}) {
        const std::string path = dir.File("mono.tif");
        Bmp2Tif(mono, path, code, 400);
        const std::vector<uint8_t> pixels = ReadPixels(path);
        ASSERT_EQ(pixels.size(), size_t(2) * 300);
        for (uint32_t y = 0; y < 300; ++y) {
            ASSERT_EQ(pixels[2 * y], mono.Row(y)[0]) << "row " << y;
            ASSERT_EQ(pixels[2 * y + 1], mono.Row(y)[1]) << "row " << y;
        }
    }
}

TEST(Bmp2Tif, LongRowsGetOneRowAStrip) {
    TempDir dir;
    const std::string path = dir.File("wide.tif");
    const Bitmap wide = test::Pattern(PixelFormat::Bit24, 100000, 3);
    Bmp2Tif(wide, path, TiffCompression::Lzw, 200);
    TiffPtr tif = OpenTiff(path);
    ASSERT_TRUE(tif);
    EXPECT_EQ(TIFFNumberOfStrips(tif.get()), 3u);
    tif.reset();
    const std::vector<uint8_t> pixels = ReadPixels(path);
    ASSERT_EQ(pixels.size(), size_t(300000) * 3);
    EXPECT_EQ(pixels[300000 * 2 + 3 * 99999], wide.Row(2)[3 * 99999 + 2]);
}

TEST(Bmp2Tif, RefusesTheWrongFormatBeforeTouchingAFile) {
    TempDir dir;
    const std::string path = dir.Write("keep.tif", std::string("old"));
    const Bitmap colour = test::Pattern(PixelFormat::Bit24, 8, 8);
    const Bitmap mono = test::Pattern(PixelFormat::Bit1, 8, 8);
    const Bitmap gray = test::Pattern(PixelFormat::Bit8, 8, 8);
    EXPECT_EQ(ThrownText([&] { Bmp2Tif(colour, path, TiffCompression::G4, 400); }),
              "Ｇ３/Ｇ４ はモノクロ専用です。");
    EXPECT_EQ(ThrownText([&] { Bmp2Tif(gray, path, TiffCompression::G3, 400); }),
              "Ｇ３/Ｇ４ はモノクロ専用です。");
    EXPECT_EQ(ThrownText([&] { Bmp2Tif(mono, path, TiffCompression::Lzw, 400); }),
              "カラー画像専用");
    // An 8-bit picture has no RGB strips: refused as well.
    EXPECT_EQ(ThrownText([&] { Bmp2Tif(gray, path, TiffCompression::None, 400); }),
              "カラー画像専用");
    EXPECT_EQ(ThrownText([&] { Bmp2Tif(colour, path, TiffCompression::Zip, 0); }),
              "保存出来ませんでした。 'keep.tif'");
    EXPECT_EQ(ThrownText([&] { Bmp2Tif(Bitmap(), path, TiffCompression::Zip, 400); }),
              "保存出来ませんでした。 'keep.tif'");
    EXPECT_EQ(test::ReadAll(path), std::vector<uint8_t>({'o', 'l', 'd'}));
    EXPECT_EQ(test::FolderEntries(dir.Path()), std::vector<std::string>{"keep.tif"});
}

TEST(Bmp2Tif, NamesTheFileItCannotCreateOrWrite) {
    TempDir dir;
    const Bitmap colour = test::Pattern(PixelFormat::Bit24, 8, 8);
    const std::string missing = dir.File("no/such/folder/x.tif");
    EXPECT_EQ(ThrownText([&] { Bmp2Tif(colour, missing, TiffCompression::None, 400); }),
              "ファイルを作成できません。 '" + missing + "'");
    // A folder in the target's place: everything is written, the rename fails.
    const std::string folder = dir.File("folder.tif");
    std::filesystem::create_directory(folder);
    EXPECT_EQ(ThrownText([&] { Bmp2Tif(colour, folder, TiffCompression::None, 400); }),
              "保存出来ませんでした。 'folder.tif'");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(test::FolderEntries(dir.Path()), std::vector<std::string>{"folder.tif"});
}

TEST(WriteRgbTiff, WritesTheFileOfTheTwentyFourBitCopy) {
    TempDir dir;
    for (const PixelFormat f :
         {PixelFormat::Bit1, PixelFormat::Bit4, PixelFormat::Bit8, PixelFormat::Bit15,
          PixelFormat::Bit16, PixelFormat::Bit24, PixelFormat::Bit32}) {
        SCOPED_TRACE(BitmapFormatName(f));
        Bitmap picture = test::Pattern(f, 61, 17, 3);
        if (f == PixelFormat::Bit8) picture.Palette().resize(100);  // indices past it: black
        WriteRgbTiff(picture, dir.File("direct.tif"), TiffCompression::Lzw, 300);
        Bmp2Tif(ConvertTo24(picture), dir.File("copy.tif"), TiffCompression::Lzw, 300);
        EXPECT_EQ(test::ReadAll(dir.File("direct.tif")), test::ReadAll(dir.File("copy.tif")));
    }
    EXPECT_EQ(ThrownText([&] {
                  WriteRgbTiff(test::Pattern(PixelFormat::Bit1, 8, 8), dir.File("f.tif"),
                               TiffCompression::G4, 400);
              }),
              "カラー画像専用");
}

// The in-memory encoding is the file, byte for byte, so its size is the data size the
// checker judges once the file is saved.
TEST(EncodeTiff, GivesTheBytesOfTheFile) {
    TempDir dir;
    Bitmap mono(1203, 517, PixelFormat::Bit1);
    for (uint32_t y = 0; y < mono.Height(); y += 3) std::memset(mono.Row(y), 0x3C + y % 7, 90);
    const Bitmap colour = ConvertTo24(mono);
    for (TiffCompression code : {TiffCompression::G4, TiffCompression::G3, TiffCompression::Lzw}) {
        SCOPED_TRACE(int(code));
        const Bitmap& picture = IsFaxCompression(code) ? mono : colour;
        const std::string path = dir.File("a.tif");
        Bmp2Tif(picture, path, code, 400);
        EXPECT_EQ(EncodeTiff(picture, code, 400), test::ReadAll(path));
    }
    EXPECT_EQ(ThrownText([&] { EncodeTiff(colour, TiffCompression::G4, 400); }), kFaxNeedsMonoText);
}

}  // namespace
}  // namespace vellumo

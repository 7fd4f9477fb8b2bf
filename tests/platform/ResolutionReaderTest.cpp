// The resolution a file states about itself. TIFF, PNG and JPEG files are written by their
// own libraries, so the reader is held to what real writers produce; BMP and GIF are byte
// builders.

#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <tiffio.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSource.h"
#include "platform/JpegLib.h"
#include "platform/ResolutionReader.h"
#include "support/FileBuilders.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

using test::Bytes;
using test::TempDir;

constexpr float kTolerance = 0.01f;

void ExpectDpi(const FileResolution& r, float x, float y) {
    EXPECT_TRUE(r.decoded);
    EXPECT_NEAR(r.dpiX, x, kTolerance);
    EXPECT_NEAR(r.dpiY, y, kTolerance);
}

// ---------------------------------------------------------------------------------------
// Writers

struct TiffResolution {
    std::optional<float> x, y;
    std::optional<uint16_t> unit;
};

/// A 16 × 8 one-bit TIFF with the given resolution tags, written by libtiff.
std::string WriteTiff(const TempDir& dir, const std::string& name, const TiffResolution& res) {
    const std::string path = dir.File(name);
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (tif == nullptr) return path;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 16);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 8);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 8);
    if (res.x) TIFFSetField(tif, TIFFTAG_XRESOLUTION, *res.x);
    if (res.y) TIFFSetField(tif, TIFFTAG_YRESOLUTION, *res.y);
    if (res.unit) TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, *res.unit);
    unsigned char row[2] = {};
    for (uint32_t y = 0; y < 8; ++y) TIFFWriteScanline(tif, row, y, 0);
    TIFFClose(tif);
    return path;
}

/// A 4 × 4 gray PNG, with a pHYs chunk when `ppm` is given.
std::string WritePng(const TempDir& dir, const std::string& name,
                     std::optional<std::pair<png_uint_32, png_uint_32>> ppm,
                     int unit = PNG_RESOLUTION_METER) {
    const std::string path = dir.File(name);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return path;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return path;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, 4, 4, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (ppm) png_set_pHYs(png, info, ppm->first, ppm->second, unit);
    png_write_info(png, info);
    png_byte row[4] = {0, 64, 128, 255};
    for (int y = 0; y < 4; ++y) png_write_row(png, row);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return path;
}

struct JpegDensity {
    bool jfif = true;
    UINT8 unit = 0;
    UINT16 x = 1, y = 1;
    Bytes exif;  ///< the APP1 payload after "Exif\0\0", when not empty
};

/// An 8 × 8 gray JPEG written by libjpeg.
std::string WriteJpeg(const TempDir& dir, const std::string& name, const JpegDensity& d) {
    const std::string path = dir.File(name);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return path;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = 8;
    info.image_height = 8;
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    info.write_JFIF_header = d.jfif ? TRUE : FALSE;
    info.density_unit = d.unit;
    info.X_density = d.x;
    info.Y_density = d.y;
    jpeg_start_compress(&info, TRUE);
    if (!d.exif.empty()) {
        Bytes payload = test::AsBytes(std::string_view("Exif\0\0", 6));
        payload.insert(payload.end(), d.exif.begin(), d.exif.end());
        jpeg_write_marker(&info, JPEG_APP0 + 1, payload.data(),
                          static_cast<unsigned>(payload.size()));
    }
    JSAMPLE row[8] = {0, 32, 64, 96, 128, 160, 192, 255};
    JSAMPROW rows[1] = {row};
    for (int y = 0; y < 8; ++y) jpeg_write_scanlines(&info, rows, 1);
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
    return path;
}

/// An EXIF TIFF block (little endian) of one directory: XResolution and YResolution as
/// RATIONAL, and ResolutionUnit when `unit` is not 0.
Bytes ExifBlock(uint32_t xNum, uint32_t yNum, uint16_t unit, bool bigEndian = false) {
    const auto put16 = [&](Bytes& b, size_t at, uint16_t v) {
        bigEndian ? test::PutBe16(b, at, v) : test::PutLe16(b, at, v);
    };
    const auto put32 = [&](Bytes& b, size_t at, uint32_t v) {
        bigEndian ? test::PutBe32(b, at, v) : test::PutLe32(b, at, v);
    };
    const uint16_t entries = unit != 0 ? 3 : 2;
    const size_t data = 8 + 2 + entries * 12 + 4;
    Bytes b = test::AsBytes(bigEndian ? "MM" : "II");
    put16(b, 2, 42);
    put32(b, 4, 8);
    put16(b, 8, entries);
    size_t at = 10;
    const auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
        put16(b, at, tag);
        put16(b, at + 2, type);
        put32(b, at + 4, 1);
        if (type == 3)
            put16(b, at + 8, static_cast<uint16_t>(value));
        else
            put32(b, at + 8, value);
        at += 12;
    };
    entry(0x011A, 5, static_cast<uint32_t>(data));
    entry(0x011B, 5, static_cast<uint32_t>(data + 8));
    if (unit != 0) entry(0x0128, 3, unit);
    put32(b, at, 0);  // no next directory
    put32(b, data, xNum);
    put32(b, data + 4, 1);
    put32(b, data + 8, yNum);
    put32(b, data + 12, 1);
    return b;
}

// ---------------------------------------------------------------------------------------
// TIFF

TEST(ResolutionReader, TiffUnitsAndMissingTags) {
    TempDir dir;
    ExpectDpi(ReadFileResolution(WriteTiff(dir, "inch.tif", {400.0f, 400.0f, RESUNIT_INCH})), 400,
              400);
    ExpectDpi(ReadFileResolution(WriteTiff(dir, "aniso.tif", {300.0f, 600.0f, RESUNIT_INCH})), 300,
              600);
    // 157.48 dots per centimetre are 400 dots per inch.
    ExpectDpi(ReadFileResolution(WriteTiff(dir, "cm.tif", {157.48f, 78.74f, RESUNIT_CENTIMETER})),
              400, 200);
    // No unit: the numbers as they stand.
    ExpectDpi(ReadFileResolution(WriteTiff(dir, "none.tif", {72.0f, 72.0f, RESUNIT_NONE})), 72, 72);
    // Without the unit tag the TIFF default (inch) holds.
    ExpectDpi(ReadFileResolution(WriteTiff(dir, "nounit.tif", {200.0f, 200.0f, std::nullopt})), 200,
              200);
    ExpectDpi(ReadFileResolution(WriteTiff(dir, "nores.tif", {})), 96, 96);
}

TEST(ResolutionReader, BigEndianTiffFromBuilder) {
    TempDir dir;
    test::TiffFields fields;
    fields.xResolution = std::pair<uint32_t, uint32_t>{800, 2};
    fields.yResolution = std::pair<uint32_t, uint32_t>{1200, 3};
    const std::string path = dir.Write("mm.tif", test::DrawingTiff(fields, test::Endian::Big));
    ExpectDpi(ReadFileResolution(path), 400, 400);
}

// ---------------------------------------------------------------------------------------
// PNG

TEST(ResolutionReader, PngPhysChunk) {
    TempDir dir;
    // 15748 pixels per metre are 400.0 dpi (15748 × 0.0254 = 399.9992).
    ExpectDpi(ReadFileResolution(WritePng(dir, "400.png", std::pair{15748u, 15748u})), 399.9992f,
              399.9992f);
    ExpectDpi(ReadFileResolution(WritePng(dir, "mixed.png", std::pair{11811u, 3780u})), 299.9994f,
              96.012f);
    ExpectDpi(ReadFileResolution(WritePng(dir, "none.png", std::nullopt)), 96, 96);
    // A pHYs chunk with an unknown unit states an aspect ratio only.
    ExpectDpi(
        ReadFileResolution(WritePng(dir, "aspect.png", std::pair{2u, 1u}, PNG_RESOLUTION_UNKNOWN)),
        96, 96);
}

// ---------------------------------------------------------------------------------------
// JPEG

TEST(ResolutionReader, JpegJfifDensityAndExif) {
    TempDir dir;
    ExpectDpi(ReadFileResolution(WriteJpeg(dir, "dpi.jpg", {true, 1, 300, 300, {}})), 300, 300);
    ExpectDpi(ReadFileResolution(WriteJpeg(dir, "dpcm.jpg", {true, 2, 118, 59, {}})), 299.72f,
              149.86f);
    // Unit 0 is an aspect ratio: the EXIF resolution speaks instead.
    ExpectDpi(ReadFileResolution(WriteJpeg(dir, "exif.jpg", {true, 0, 1, 1, ExifBlock(72, 72, 2)})),
              72, 72);
    ExpectDpi(ReadFileResolution(
                  WriteJpeg(dir, "exifcm.jpg", {false, 0, 1, 1, ExifBlock(100, 50, 3, true)})),
              254, 127);
    // Without any unit tag the EXIF values are inches.
    ExpectDpi(ReadFileResolution(
                  WriteJpeg(dir, "exifnounit.jpg", {true, 0, 1, 1, ExifBlock(350, 350, 0)})),
              350, 350);
    ExpectDpi(ReadFileResolution(WriteJpeg(dir, "aspect.jpg", {true, 0, 1, 1, {}})), 96, 96);
    ExpectDpi(ReadFileResolution(WriteJpeg(dir, "bare.jpg", {false, 0, 0, 0, {}})), 96, 96);
}

TEST(ResolutionReader, JpegWithBrokenExifStillDecodes) {
    TempDir dir;
    Bytes exif = ExifBlock(72, 72, 2);
    test::PutLe32(exif, 4, 0xFFFFFF00u);  // directory offset far past the block
    ExpectDpi(ReadFileResolution(WriteJpeg(dir, "badexif.jpg", {true, 0, 1, 1, exif})), 96, 96);
    Bytes shortExif = Bytes(exif.begin(), exif.begin() + 12);
    test::PutLe32(shortExif, 4, 8);  // a directory that claims entries the block lacks
    ExpectDpi(ReadFileResolution(WriteJpeg(dir, "shortexif.jpg", {true, 0, 1, 1, shortExif})), 96,
              96);
}

// ---------------------------------------------------------------------------------------
// BMP and GIF

TEST(ResolutionReader, BmpPixelsPerMetre) {
    TempDir dir;
    Bytes info = test::BmpInfo(16, 16);
    ExpectDpi(ReadFileResolution(dir.Write("96.bmp", info)), 96.012f, 96.012f);
    test::PutLe32(info, 38, 15748);
    test::PutLe32(info, 42, 7874);
    ExpectDpi(ReadFileResolution(dir.Write("400.bmp", info)), 399.9992f, 199.9996f);
    // 0 states no resolution.
    test::PutLe32(info, 38, 0);
    test::PutLe32(info, 42, 0);
    ExpectDpi(ReadFileResolution(dir.Write("zero.bmp", info)), 96, 96);
    // A top-down bitmap (negative height) and a v5 header read the same fields.
    Bytes v5 = test::BmpInfo(16, -16, 124);
    test::PutLe32(v5, 38, 11811);
    test::PutLe32(v5, 42, 11811);
    ExpectDpi(ReadFileResolution(dir.Write("v5.bmp", v5)), 299.9994f, 299.9994f);
    ExpectDpi(ReadFileResolution(dir.Write("core.bmp", test::BmpCore(16, 16))), 96, 96);
}

TEST(ResolutionReader, BmpHeadersAnImageLibraryWouldRefuse) {
    TempDir dir;
    EXPECT_FALSE(
        ReadFileResolution(dir.Write("size.bmp", test::BmpWithHeaderSize(41, 60))).decoded);
    Bytes noPlanes = test::BmpInfo(16, 16);
    test::PutLe16(noPlanes, 26, 0);
    EXPECT_FALSE(ReadFileResolution(dir.Write("planes.bmp", noPlanes)).decoded);
    Bytes badBits = test::BmpInfo(16, 16);
    test::PutLe16(badBits, 28, 7);
    EXPECT_FALSE(ReadFileResolution(dir.Write("bits.bmp", badBits)).decoded);
    Bytes rleOn24 = test::BmpInfo(16, 16);
    test::PutLe32(rleOn24, 30, 1);
    EXPECT_FALSE(ReadFileResolution(dir.Write("rle.bmp", rleOn24)).decoded);
    Bytes cut = test::BmpInfo(16, 16);
    cut.resize(30);
    EXPECT_FALSE(ReadFileResolution(dir.Write("cut.bmp", cut)).decoded);
}

TEST(ResolutionReader, GifHoldsNoResolution) {
    TempDir dir;
    ExpectDpi(ReadFileResolution(dir.Write("a.gif", test::Gif("89a", 16, 16))), 96, 96);
}

// ---------------------------------------------------------------------------------------
// Files that are not decoded

TEST(ResolutionReader, RefusedFilesAreNotDecoded) {
    TempDir dir;
    const auto refused = [](const std::string& path) {
        const FileResolution r = ReadFileResolution(path);
        EXPECT_FALSE(r.decoded) << path;
        EXPECT_EQ(r.dpiX, 0.0f) << path;
        EXPECT_EQ(r.dpiY, 0.0f) << path;
    };
    refused(dir.File("missing.tif"));
    refused(dir.Path());
    refused(dir.Write("text.txt", std::string_view("not an image\n")));
    refused(dir.Write("empty.tif", Bytes{}));
    refused(dir.Write("psd.psd", test::Psd(1, 16, 16)));
    refused(dir.Write("wmf.wmf", test::PlaceableWmf(100, 100)));
    // Signatures followed by nothing usable.
    refused(dir.Write("cut.tif", test::AsBytes(std::string_view("II*\0", 4))));
    refused(dir.Write("cut.png", test::PngIhdr(4, 4)));  // IHDR only, CRC intact, then the end
    refused(dir.Write("cut.jpg", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00}));
    refused(dir.Write("cut.gif", test::AsBytes("GIF89a")));

    // A real file cut short keeps failing cleanly, wherever the cut falls.
    const std::string whole = WriteJpeg(dir, "whole.jpg", {true, 1, 300, 300, {}});
    FILE* f = std::fopen(whole.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    Bytes bytes(4096);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    ASSERT_GT(bytes.size(), 20u);
    for (size_t cut : {3u, 10u, 19u}) {
        refused(dir.Write("part.jpg", Bytes(bytes.begin(), bytes.begin() + cut)));
    }
}

TEST(ResolutionReader, OutOfRangeValuesComeOutAsZero) {
    TempDir dir;
    // A TIFF whose resolution does not fit a 32-bit count of dots: shown as "-" later.
    ExpectDpi(ReadFileResolution(WriteTiff(dir, "huge.tif", {3e9f, 400.0f, RESUNIT_INCH})), 0, 400);
    Bytes negative = test::BmpInfo(16, 16);
    test::PutLe32(negative, 38, static_cast<uint32_t>(-3780));
    ExpectDpi(ReadFileResolution(dir.Write("neg.bmp", negative)), 0, 96.012f);
}

// Readers that go through a stream of their own start at the beginning every time, however
// often the same open file is read.
TEST(ResolutionReader, OpenFileReadsAlikeEveryTime) {
    TempDir dir;
    const std::string files[] = {
        WritePng(dir, "a.png", std::pair{15748u, 15748u}),
        WriteJpeg(dir, "a.jpg", {true, 1, 300, 300, {}}),
        WriteTiff(dir, "a.tif", {400.0f, 400.0f, RESUNIT_INCH}),
        dir.Write("a.gif", test::Gif("89a", 16, 16)),
    };
    for (const std::string& path : files) {
        SCOPED_TRACE(path);
        const auto file = FileSource::Open(path);
        ASSERT_TRUE(file);
        const FileResolution first = ReadFileResolution(*file);
        const FileResolution second = ReadFileResolution(*file);
        EXPECT_TRUE(first.decoded);
        EXPECT_TRUE(second.decoded);
        EXPECT_EQ(first.dpiX, second.dpiX);
        EXPECT_EQ(first.dpiY, second.dpiY);
        EXPECT_EQ(first.dpiX, ReadFileResolution(path).dpiX);
    }
}

}  // namespace
}  // namespace vellumo

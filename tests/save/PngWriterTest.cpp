// The PNG writer, read back with libpng: layout per format, compression parameters as far
// as the file shows them, chunk sizes, resolution and pixels.

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <iterator>
#include <set>

#include "SaveTestSupport.h"
#include "platform/Error.h"
#include "save/PngWriter.h"
#include "save/TmpPng.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

using test::PngFile;
using test::TempDir;

/// FLEVEL of the zlib header: 1 for levels 2 to 5, 3 for levels 7 to 9.
int Flevel(const PngFile& png) { return png.zlibFlags >> 6; }

/// The colour of pixel x of a decoded PNG row (no transforms: palette indices as stored).
RgbQuad PngColour(const PngFile& png, uint32_t x, uint32_t y) {
    const std::vector<uint8_t>& row = png.rows[y];
    switch (png.colorType) {
        case PNG_COLOR_TYPE_PALETTE: {
            const int per = 8 / png.bitDepth;
            const unsigned index =
                (row[x / per] >> ((per - 1 - x % per) * png.bitDepth)) & ((1u << png.bitDepth) - 1);
            return index < png.palette.size() ? png.palette[index] : RgbQuad{1, 2, 3, 99};
        }
        case PNG_COLOR_TYPE_RGB:
            return RgbQuad{row[3 * x + 2], row[3 * x + 1], row[3 * x], 0};
        case PNG_COLOR_TYPE_RGB_ALPHA:
            return RgbQuad{row[4 * x + 2], row[4 * x + 1], row[4 * x], row[4 * x + 3]};
        default:
            return RgbQuad{};
    }
}

testing::AssertionResult SamePixels(const Bitmap& picture, const PngFile& png) {
    if (png.width != picture.Width() || png.height != picture.Height())
        return testing::AssertionFailure() << "size " << png.width << "x" << png.height;
    for (uint32_t y = 0; y < png.height; ++y)
        for (uint32_t x = 0; x < png.width; ++x) {
            RgbQuad want = picture.PixelColor(x, y), got = PngColour(png, x, y);
            if (picture.Format() != PixelFormat::Bit32) want.reserved = got.reserved = 0;
            if (!(want == got))
                return testing::AssertionFailure()
                       << "first difference at (" << x << ", " << y << ")";
        }
    return testing::AssertionSuccess();
}

TEST(WritePng, LaysOutEachFormatAsTheSaveCommandDoes) {
    TempDir dir;
    struct Case {
        PixelFormat format;
        int colorType, bitDepth, flevel;
        size_t paletteSize;
    } cases[] = {
        {PixelFormat::Bit1, PNG_COLOR_TYPE_PALETTE, 1, 1, 2},
        {PixelFormat::Bit4, PNG_COLOR_TYPE_PALETTE, 4, 1, 16},
        {PixelFormat::Bit8, PNG_COLOR_TYPE_PALETTE, 8, 1, 256},
        {PixelFormat::Bit15, PNG_COLOR_TYPE_RGB, 8, 1, 0},
        {PixelFormat::Bit16, PNG_COLOR_TYPE_RGB, 8, 1, 0},
        {PixelFormat::Bit24, PNG_COLOR_TYPE_RGB, 8, 1, 0},
        {PixelFormat::Bit32, PNG_COLOR_TYPE_RGB_ALPHA, 8, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(BitmapFormatName(c.format));
        Bitmap picture = test::Pattern(c.format, 53, 40, 9);
        picture.SetHasAlpha(true);
        const std::string path = dir.File("p.png");
        WritePng(picture, path);
        const PngFile png = test::ReadPngFile(path);
        ASSERT_TRUE(png.ok);
        EXPECT_EQ(png.colorType, c.colorType);
        EXPECT_EQ(png.bitDepth, c.bitDepth);
        EXPECT_EQ(png.interlace, PNG_INTERLACE_NONE);
        EXPECT_EQ(Flevel(png), c.flevel);
        EXPECT_EQ(png.palette.size(), c.paletteSize);
        EXPECT_FALSE(png.physPerMetre);
        if (c.format == PixelFormat::Bit32)
            for (uint8_t f : png.filters) ASSERT_EQ(f, PNG_FILTER_VALUE_SUB);
        else
            for (uint8_t f : png.filters) ASSERT_LT(f, 5);
        EXPECT_TRUE(SamePixels(picture, png));
    }
}

TEST(WritePng, AdaptiveFilteringUsesMoreThanOneFilter) {
    TempDir dir;
    // Noise on the left, a smooth ramp on the right: no single filter wins every row.
    Bitmap picture = test::Pattern(PixelFormat::Bit24, 300, 200, 4);
    for (uint32_t y = 100; y < 200; ++y)
        for (uint32_t x = 0; x < 900; ++x) picture.Row(y)[x] = uint8_t(y);
    const std::string path = dir.File("f.png");
    WritePng(picture, path);
    const PngFile png = test::ReadPngFile(path);
    ASSERT_TRUE(png.ok);
    std::set<uint8_t> used(png.filters.begin(), png.filters.end());
    EXPECT_GE(used.size(), 2u);
}

TEST(WritePng, KeepsEveryDataChunkWithin65535Bytes) {
    TempDir dir;
    for (const PixelFormat f : {PixelFormat::Bit8, PixelFormat::Bit24, PixelFormat::Bit32}) {
        SCOPED_TRACE(BitmapFormatName(f));
        const Bitmap noise = test::Pattern(f, 400, 400, 2);  // incompressible: many chunks
        const std::string path = dir.File("n.png");
        WritePng(noise, path);
        const PngFile png = test::ReadPngFile(path);
        ASSERT_TRUE(png.ok);
        size_t idats = 0;
        for (const auto& [type, len] : png.chunks) {
            if (type != "IDAT") continue;
            ++idats;
            EXPECT_LE(len, 65535u);
        }
        EXPECT_GE(idats, 2u);
        EXPECT_EQ(png.chunks.back().first, "IEND");
    }
}

/// The zlib stream of a PNG file: its data chunks joined.
std::vector<uint8_t> ZlibStreamOf(const std::string& file) {
    std::vector<uint8_t> stream;
    for (size_t at = 8; at + 12 <= file.size();) {
        const auto* p = reinterpret_cast<const uint8_t*>(file.data() + at);
        const size_t len = size_t(p[0]) << 24 | size_t(p[1]) << 16 | size_t(p[2]) << 8 | p[3];
        if (file.compare(at + 4, 4, "IDAT") == 0) stream.insert(stream.end(), p + 8, p + 8 + len);
        at += 12 + len;
    }
    return stream;
}

/// The filtered rows inside `stream` compressed again as one zlib stream at `level`, as
/// zlib alone writes them.
size_t ZlibSingleStreamSize(const std::vector<uint8_t>& stream, size_t rawBytes, int level) {
    std::vector<uint8_t> raw(rawBytes);
    uLongf rawLen = uLongf(raw.size());
    if (uncompress(raw.data(), &rawLen, stream.data(), uLong(stream.size())) != Z_OK ||
        rawLen != raw.size())
        return 0;
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, 15, 8, Z_FILTERED);
    std::vector<uint8_t> out(deflateBound(&z, uLong(raw.size())));
    z.next_in = raw.data();
    z.avail_in = uInt(raw.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    const bool done = deflate(&z, Z_FINISH) == Z_STREAM_END;
    deflateEnd(&z);
    return done ? out.size() - z.avail_out : 0;
}

// The data compressed in pieces on several threads: the same file for any number of
// threads, the same pixels as one single stream, hardly larger than it or than zlib's one stream.
TEST(WritePng, PiecesOnAnyThreadsGiveOneStreamOfTheSamePixels) {
    TempDir dir;
    for (const PixelFormat f : {PixelFormat::Bit32, PixelFormat::Bit24, PixelFormat::Bit1}) {
        SCOPED_TRACE(BitmapFormatName(f));
        // A scan: paper tone in gentle gradients with a little noise.
        Bitmap scan(613, 401, f);
        scan.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
        scan.SetHasAlpha(true);
        uint32_t seed = 7;
        for (uint32_t y = 0; y < scan.Height(); ++y)
            for (size_t i = 0; i < scan.Stride(); ++i) {
                seed = seed * 1103515245u + 12345u;
                scan.Row(y)[i] = uint8_t(200 + (i + y) / 40 + (seed >> 28));
            }
        auto write = [&](const char* name, size_t pieceBytes, unsigned threads) {
            const std::string path = dir.File(name);
            WritePng(scan, path, 400.0, PngStreamOptions{pieceBytes, threads});
            return path;
        };
        const std::string single = write("single.png", SIZE_MAX, 1);
        const std::string one = write("one.png", 20000, 1);
        const std::string four = write("four.png", 20000, 4);
        EXPECT_EQ(test::ReadText(one), test::ReadText(four));
        const PngFile a = test::ReadPngFile(single), b = test::ReadPngFile(four);
        ASSERT_TRUE(a.ok && b.ok);
        EXPECT_TRUE(SamePixels(scan, b));
        EXPECT_EQ(a.rows, b.rows);
        EXPECT_EQ(a.filters, b.filters);
        const std::vector<uint8_t> stream = ZlibStreamOf(test::ReadText(four));
        const size_t rawBytes = size_t(scan.Height()) * (b.rows[0].size() + 1);
        const size_t zlibSize =
            ZlibSingleStreamSize(stream, rawBytes, f == PixelFormat::Bit32 ? 7 : 5);
        ASSERT_NE(zlibSize, 0u);
        EXPECT_LE(stream.size(), zlibSize * 101 / 100);
        // What the pieces themselves cost against the writer's own single stream.
        EXPECT_LE(test::ReadText(four).size(), test::ReadText(single).size() * 101 / 100);
    }
}

TEST(WritePng, WritesTheFourthByteAsAlphaOnlyWhenItIsOpacity) {
    TempDir dir;
    Bitmap picture(4, 1, PixelFormat::Bit32);
    const uint8_t pixels[] = {10, 20, 30, 0, 40, 50, 60, 128, 70, 80, 90, 255, 1, 2, 3, 4};
    std::copy(std::begin(pixels), std::end(pixels), picture.Row(0));
    const std::string path = dir.File("a.png");

    picture.SetHasAlpha(true);
    WritePng(picture, path);
    PngFile png = test::ReadPngFile(path);
    ASSERT_TRUE(png.ok);
    EXPECT_EQ(png.rows[0],
              (std::vector<uint8_t>{30, 20, 10, 0, 60, 50, 40, 128, 90, 80, 70, 255, 3, 2, 1, 4}));

    // Without the flag the picture is drawn opaque, and so it is written.
    picture.SetHasAlpha(false);
    WritePng(picture, path);
    png = test::ReadPngFile(path);
    ASSERT_TRUE(png.ok);
    EXPECT_EQ(png.colorType, PNG_COLOR_TYPE_RGB_ALPHA);
    EXPECT_EQ(png.rows[0], (std::vector<uint8_t>{30, 20, 10, 255, 60, 50, 40, 255, 90, 80, 70, 255,
                                                 3, 2, 1, 255}));
}

TEST(WritePng, LengthensAShortColourTableForTheIndicesUsed) {
    TempDir dir;
    Bitmap picture(5, 1, PixelFormat::Bit8);
    picture.Palette() = {RgbQuad{1, 2, 3, 0}, RgbQuad{4, 5, 6, 0}};
    picture.Row(0)[2] = 6;  // past the table: black, as the viewer shows it
    const std::string path = dir.File("short.png");
    WritePng(picture, path);
    const PngFile png = test::ReadPngFile(path);
    ASSERT_TRUE(png.ok);
    ASSERT_EQ(png.palette.size(), 7u);
    EXPECT_EQ(png.palette[1], (RgbQuad{4, 5, 6, 0}));
    EXPECT_EQ(png.palette[6], (RgbQuad{0, 0, 0, 0}));
    EXPECT_TRUE(SamePixels(picture, png));
}

TEST(WritePng, StatesTheResolutionWhenGiven) {
    TempDir dir;
    const std::string path = dir.File("r.png");
    WritePng(test::Pattern(PixelFormat::Bit24, 8, 8), path, 300.0);
    const PngFile png = test::ReadPngFile(path);
    ASSERT_TRUE(png.physPerMetre);
    EXPECT_EQ(png.physPerMetre->first, 11811u);  // 300 / 0.0254 = 11811.02
    EXPECT_EQ(png.physPerMetre->second, 11811u);
}

TEST(WriteTmpPng, WritesTmpPngAt400DpiBesideTheProgram) {
    TempDir dir;
    const Bitmap cut = test::Pattern(PixelFormat::Bit32, 20, 10);
    const std::string path = WriteTmpPng(cut, dir.Path());
    EXPECT_EQ(path, dir.File("Tmp.png"));
    PngFile png = test::ReadPngFile(path);
    ASSERT_TRUE(png.ok);
    ASSERT_TRUE(png.physPerMetre);
    EXPECT_EQ(png.physPerMetre->first, 15748u);  // 400 / 0.0254 = 15748.03
    EXPECT_EQ(png.physPerMetre->second, 15748u);

    // Every cut-out replaces the previous one; the folder holds nothing else.
    const Bitmap mono = test::Pattern(PixelFormat::Bit1, 7, 3);
    WriteTmpPng(mono, dir.Path() + "/");
    png = test::ReadPngFile(path);
    EXPECT_EQ(png.width, 7u);
    EXPECT_EQ(png.colorType, PNG_COLOR_TYPE_PALETTE);
    EXPECT_TRUE(SamePixels(mono, png));
    EXPECT_EQ(test::FolderEntries(dir.Path()), std::vector<std::string>{"Tmp.png"});
}

TEST(WritePng, RefusesAnEmptyPicture) {
    TempDir dir;
    EXPECT_THROW(WritePng(Bitmap(), dir.File("e.png")), Error);
    EXPECT_TRUE(test::FolderEntries(dir.Path()).empty());
}

}  // namespace
}  // namespace vellumo

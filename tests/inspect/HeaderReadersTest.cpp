// The header readers of the formats other than TIFF, through ReadImageInfo and by path.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "inspect/HeaderReaders.h"
#include "inspect/ImageInfo.h"
#include "inspect/ImageType.h"
#include "platform/Error.h"
#include "support/FileBuilders.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

using test::AsBytes;
using test::Bytes;
using test::Concat;
using test::Filled;
using test::JpegBuilder;
using test::TempDir;

std::string Invalid(const std::string& path, const std::string& kind) {
    return path + "    \r\n不正な " + kind + " ファイルです";
}

std::string ZeroSize(const std::string& path) { return path + "\r\n画像サイズがゼロです。"; }

Bytes Jfif() { return Concat(AsBytes("JFIF"), Bytes{0, 1, 1, 1, 0, 72, 0, 72, 0, 0}); }

// ---------------------------------------------------------------------------------------

struct SizeCase {
    const char* name;  // file name, extension included
    Bytes bytes;
    const char* typeName;
    bool extensionMatches;
    uint32_t width;
    uint32_t height;
};

std::vector<SizeCase> SizeCases() {
    return {
        {"core.bmp", test::BmpCore(640, 480), "BMP", true, 640, 480},
        {"core-max.bmp", test::BmpCore(65535, 1), "BMP", true, 65535, 1},
        {"info.bmp", test::BmpInfo(640, 480), "BMP", true, 640, 480},
        {"topdown.bmp", test::BmpInfo(640, -480), "BMP", true, 640, 480},
        {"v4.bmp", test::BmpInfo(100, 200, 108), "BMP", true, 100, 200},
        {"v5.BMP", test::BmpInfo(100, -200, 124), "BMP", true, 100, 200},
        {"sof0.jpg", JpegBuilder().Soi().Segment(0xFFE0, Jfif()).Frame(0xFFC0, 320, 240).Build(),
         "JPG", true, 320, 240},
        {"photo.jpeg", JpegBuilder().Soi().Frame(0xFFC0, 320, 240).Build(), "JPG", false, 320, 240},
        {"progressive.jpg",
         JpegBuilder()
             .Soi()
             .Segment(0xFFE0, Jfif())
             .Segment(0xFFDB, 65)
             .Segment(0xFFC4, 31)
             .Frame(0xFFC2, 1024, 768)
             .Build(),
         "JPG", true, 1024, 768},
        // DHT (C4), JPG (C8) and DAC (CC) lie in the frame range but are segments.
        {"c8-cc.jpg",
         JpegBuilder().Soi().Segment(0xFFC8, 4).Segment(0xFFCC, 2).Frame(0xFFC1, 7, 9).Build(),
         "JPG", true, 7, 9},
        {"sof15.jpg", JpegBuilder().Soi().Segment(0xFFFE, 10).Frame(0xFFCF, 12, 34).Build(), "JPG",
         true, 12, 34},
        // An empty segment (length 2) moves on to the next marker.
        {"empty-segment.jpg", JpegBuilder().Soi().Segment(0xFFE1, 0).Frame(0xFFC0, 5, 6).Build(),
         "JPG", true, 5, 6},
        {"a.gif", test::Gif("89a", 300, 200), "GIF", true, 300, 200},
        {"old.GIF", test::Gif("87a", 1, 65535), "GIF", true, 1, 65535},
        {"a.png", test::PngIhdr(1920, 1080), "PNG", true, 1920, 1080},
        {"huge.png", test::PngIhdr(0x80000000u, 0xFFFFFFFFu), "PNG", true, 0x80000000u,
         0xFFFFFFFFu},
        {"a.psd", test::Psd(1, 800, 600), "psd", true, 800, 600},
        {"a.wmf", test::PlaceableWmf(1000, 800), "wmf", true, 1000, 800},
        // Signed 16-bit bounds are sign-extended and kept as their 32-bit pattern.
        {"negative.wmf", test::PlaceableWmf(-1, 5), "wmf", true, 0xFFFFFFFFu, 5},
        {"a.emf", test::EmfHeader(99, 49), "emf", true, 100, 50},
        {"wrong-name.png", test::EmfHeader(9, 9), "emf", false, 10, 10},
    };
}

TEST(ReadImageInfo, ReaderSizes) {
    TempDir dir;
    for (const SizeCase& c : SizeCases()) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Write(c.name, c.bytes);
        ImageInfo info;
        ASSERT_NO_THROW(EXPECT_TRUE(ReadImageInfo(path, false, info)));
        EXPECT_TRUE(info.headerRead);
        EXPECT_EQ(info.typeName, c.typeName);
        EXPECT_EQ(info.extensionMatches, c.extensionMatches);
        EXPECT_EQ(info.width, c.width);
        EXPECT_EQ(info.height, c.height);
        // The TIFF fields stay at their start values for every other type.
        EXPECT_EQ(info.bitsPerSample, 0u);
        EXPECT_EQ(info.compression, 0u);
        EXPECT_EQ(info.resolutionUnit, 0u);
        EXPECT_EQ(info.pageCount, 0);
        EXPECT_FALSE(info.compressionMissing);
        EXPECT_FALSE(info.xResolutionMissing);
    }
}

// ---------------------------------------------------------------------------------------

struct FailureCase {
    const char* what;
    Bytes bytes;
    const char* kind;  // nullptr: the zero-size error
};

std::vector<FailureCase> FailureCases() {
    return {
        {"BMP header size 8", test::BmpWithHeaderSize(8, 20), "BMP"},
        {"BMP header size 11", test::BmpWithHeaderSize(11, 20), "BMP"},
        {"10-byte file beginning BM", Concat(AsBytes("BM"), Filled(8)), "BMP"},
        {"BM alone", AsBytes("BM"), "BMP"},
        {"JPEG SOI then EOI", JpegBuilder().Soi().Marker(0xFFD9).Build(), "JPG"},
        {"JPEG ends after APP0", JpegBuilder().Soi().Segment(0xFFE0, Jfif()).Build(), "JPG"},
        {"JPEG ends after DQT and DHT",
         JpegBuilder().Soi().Segment(0xFFDB, 65).Segment(0xFFC4, 20).Build(), "JPG"},
        {"JPEG segment longer than the file",
         JpegBuilder().Soi().MarkerWithLength(0xFFE0, 0xFFFF).Raw(Filled(10)).Build(), "JPG"},
        {"JPEG SOI and one marker byte", JpegBuilder().Soi().Raw({0xFF}).Build(), "JPG"},
        // Lengths below 2 would step backwards; the walk must still end.
        {"JPEG segment length 0",
         JpegBuilder().Soi().MarkerWithLength(0xFFE0, 0).Raw(Filled(16)).Build(), "JPG"},
        {"JPEG segment length 1",
         JpegBuilder().Soi().MarkerWithLength(0xFFE0, 1).Raw(Filled(16)).Build(), "JPG"},
        {"JPEG of zero bytes after the first marker byte",
         JpegBuilder().Soi().Raw({0xFF}).Raw(Filled(63)).Build(), "JPG"},
        {"GIF 88a", test::Gif("88a", 10, 10), "GIF"},
        {"GIF89b", test::Gif("89b", 10, 10), "GIF"},
        {"GIF signature only", AsBytes("GIF"), "GIF"},
        {"PNG signature with a broken CR LF",
         Concat(Bytes{0x89, 'P', 'N', 'G', '\n', '\r', 0x1A, '\n'}, Filled(16)), "PNG"},
        {"PNG first chunk not IHDR", test::PngIhdr(10, 10, "IDAT"), "PNG"},
        {"PNG signature only", Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, "PNG"},
        {"PSD version 2", test::Psd(2, 10, 10), "PSD"},
        {"PSD version 0", test::Psd(0, 10, 10), "PSD"},
        {"WMF wrong checksum", test::PlaceableWmf(1000, 800, false), "WMF"},
        {"WMF key only", Bytes{0xD7, 0xCD, 0xC6, 0x9A}, "WMF"},
        {"EMF record type 2", test::EmfHeader(10, 10, 2), "EMF"},
        {"EMF record type 0", test::EmfHeader(10, 10, 0), "EMF"},
        // Zero sizes
        {"GIF cut after its signature", AsBytes("GIF89a"), nullptr},
        {"GIF of width 0", test::Gif("89a", 0, 10), nullptr},
        {"PNG of width 0", test::PngIhdr(0, 100), nullptr},
        {"PNG of height 0", test::PngIhdr(100, 0), nullptr},
        {"BMP info of height 0", test::BmpInfo(10, 0), nullptr},
        {"BMP core of width 0", test::BmpCore(0, 10), nullptr},
        {"JPEG frame of width 0", JpegBuilder().Soi().Frame(0xFFC0, 0, 10).Build(), nullptr},
        // A frame marker whose header lies past the end reads zeros: a size of 0 x 0.
        {"JPEG frame marker at the end", JpegBuilder().Soi().Raw({0xFF, 0xC0, 0x00}).Build(),
         nullptr},
        {"PSD of height 0", test::Psd(1, 10, 0), nullptr},
        {"WMF bounds 0", test::PlaceableWmf(0, 0), nullptr},
        {"EMF bounds -1", test::EmfHeader(-1, 5), nullptr},
    };
}

TEST(ReadImageInfo, ReaderFailures) {
    TempDir dir;
    for (const FailureCase& c : FailureCases()) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.Write("bad.bin", c.bytes);
        const std::string expected = c.kind ? Invalid(path, c.kind) : ZeroSize(path);
        ImageInfo info;
        try {
            ReadImageInfo(path, false, info);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), expected);
        }
    }
}

TEST(ErrorTexts, InvalidAndZeroSize) {
    EXPECT_EQ(InvalidFileText("/x/a.jpg", "JPG"), "/x/a.jpg    \r\n不正な JPG ファイルです");
    EXPECT_EQ(ZeroSizeText("/x/a.gif"), "/x/a.gif\r\n画像サイズがゼロです。");
    try {
        RaiseInvalidFile("p", "PSD");
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "p    \r\n不正な PSD ファイルです");
    }
}

TEST(ErrorTexts, ErrorBoxFullStop) {
    const struct {
        const char* in;
        const char* out;
    } rows[] = {
        {"p    \r\n不正な JPG ファイルです", "p    \r\n不正な JPG ファイルです."},
        {"p\r\n画像サイズがゼロです。", "p\r\n画像サイズがゼロです。."},
        {"ends in a stop.", "ends in a stop."},
        {"ends in a dash-", "ends in a dash-"},
        {"ends in a slash/", "ends in a slash/."},
        {"ends in a digit 9", "ends in a digit 9."},
        {"ends in a blank ", "ends in a blank "},
        {"", ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.in);
        EXPECT_EQ(ErrorBoxText(r.in), r.out);
    }
}

TEST(HeaderReaders, ByPathGiveWidthThenHeight) {
    TempDir dir;
    uint32_t w = 0, h = 0;
    EXPECT_TRUE(ReadBmpSize(dir.Write("a.bmp", test::BmpCore(640, 480)), w, h));
    EXPECT_EQ(w, 640u);
    EXPECT_EQ(h, 480u);
    EXPECT_TRUE(ReadPsdSize(dir.Write("a.psd", test::Psd(1, 11, 22)), w, h));
    EXPECT_EQ(w, 11u);
    EXPECT_EQ(h, 22u);
    EXPECT_TRUE(ReadGifSize(dir.Write("a.gif", test::Gif("87a", 3, 4)), w, h));
    EXPECT_EQ(w, 3u);
    EXPECT_EQ(h, 4u);
    // A reader given a file of another format raises its own kind word.
    const std::string png = dir.Write("a.png", test::PngIhdr(5, 6));
    try {
        ReadGifSize(png, w, h);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), Invalid(png, "GIF"));
    }
}

TEST(HeaderReaders, WmfChecksumIsXorOfTenWords) {
    unsigned char header[20] = {};
    EXPECT_EQ(WmfHeaderChecksum(header), 0);
    header[0] = 0xD7;
    header[1] = 0xCD;
    header[2] = 0xC6;
    header[3] = 0x9A;
    EXPECT_EQ(WmfHeaderChecksum(header), 0xCDD7 ^ 0x9AC6);
    header[18] = 0x01;
    header[19] = 0x80;
    EXPECT_EQ(WmfHeaderChecksum(header), 0xCDD7 ^ 0x9AC6 ^ 0x8001);
    const Bytes wmf = test::PlaceableWmf(123, 45);
    unsigned char first[20];
    std::copy(wmf.begin(), wmf.begin() + 20, first);
    EXPECT_EQ(WmfHeaderChecksum(first), static_cast<uint16_t>(wmf[20] | (wmf[21] << 8)));
}

TEST(ReadImageInfo, TypesWithoutReaderAreNoError) {
    TempDir dir;
    const struct {
        const char* name;
        Bytes bytes;
        bool ghostscript;
        const char* typeName;
        bool matches;
    } rows[] = {
        {"a.exe", Concat(AsBytes("MZ"), Filled(100)), false, "Exe", false},
        {"a.zip", Concat(AsBytes("PK"), Bytes{3, 4}), false, "Zip", false},
        {"a.pdf", AsBytes("%PDF-1.7\n"), false, "PDF", false},
        {"b.pdf", AsBytes("%PDF-1.7\n"), true, "PDF", true},
        {"b.txt", AsBytes("%PDF-1.7\n"), true, "PDF", false},
        {"a.txt", AsBytes("plain text"), true, "不明なファイル", false},
        {"empty.bmp", {}, false, "不明なファイル", false},
        {"big.tif",
         {0x49, 0x49, 0x2B, 0x00, 8, 0, 0, 0, 0, 0, 0, 0, 16, 0, 0, 0},
         false,
         "不明なファイル",
         false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const std::string path = dir.Write(r.name, r.bytes);
        ImageInfo info;
        EXPECT_FALSE(ReadImageInfo(path, r.ghostscript, info));
        EXPECT_FALSE(info.headerRead);
        EXPECT_EQ(info.typeName, r.typeName);
        EXPECT_EQ(info.extensionMatches, r.matches);
        EXPECT_EQ(info.width, 0u);
        EXPECT_EQ(info.height, 0u);
    }
}

TEST(ReadImageInfo, MissingFolderAndPipeAreUnknownWithoutError) {
    TempDir dir;
    std::vector<std::string> paths = {dir.File("missing.bmp"), dir.Path()};
    const std::string fifo = dir.File("pipe.bmp");
    if (::mkfifo(fifo.c_str(), 0600) == 0) paths.push_back(fifo);
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        ImageInfo info;
        ASSERT_NO_THROW(EXPECT_FALSE(ReadImageInfo(path, false, info)));
        EXPECT_EQ(info.typeCode, kTypeUnknown);
        EXPECT_EQ(info.typeName, "不明なファイル");
        EXPECT_FALSE(info.extensionMatches);
    }
}

TEST(ReadImageInfo, ReadOnlyFileKeepsItsMode) {
    TempDir dir;
    const std::string path = dir.Write("ro.bmp", test::BmpCore(640, 480));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    ImageInfo info;
    EXPECT_EQ(DetectImageType(path), kTypeBmp);
    EXPECT_TRUE(ReadImageInfo(path, false, info));
    EXPECT_EQ(info.width, 640u);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    // A failing reader leaves the mode as it was, too.
    const std::string bad = dir.Write("ro-bad.bmp", test::BmpWithHeaderSize(8, 20));
    ASSERT_EQ(::chmod(bad.c_str(), 0444), 0);
    EXPECT_THROW(ReadImageInfo(bad, false, info), Error);
    ASSERT_EQ(::stat(bad.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
}

// ---------------------------------------------------------------------------------------
// The marker walk reads through a buffer and passes runs of zeros in one step. Both must
// give what the plain walk gives, byte for byte: the reference below reads each marker
// and length from the bytes themselves.

std::optional<std::pair<uint32_t, uint32_t>> PlainWalk(const Bytes& b) {
    auto be16 = [&](uint64_t at) -> uint32_t {
        const uint32_t hi = at < b.size() ? b[at] : 0, lo = at + 1 < b.size() ? b[at + 1] : 0;
        return (hi << 8) | lo;
    };
    auto atEnd = [&](uint64_t pos) { return b.empty() || pos >= b.size() - 1; };
    for (uint64_t pos = 2;;) {
        if (atEnd(pos)) return std::nullopt;
        const uint32_t marker = be16(pos);
        pos += 2;
        if (marker >= 0xFFC0 && marker <= 0xFFCF && marker != 0xFFC4 && marker != 0xFFC8 &&
            marker != 0xFFCC)
            return std::pair{be16(pos + 5), be16(pos + 3)};
        if (marker == 0xFFD9 || atEnd(pos)) return std::nullopt;
        pos += be16(pos);
    }
}

TEST(ReadJpegSize, BufferedWalkAgreesWithThePlainWalk) {
    std::vector<std::pair<std::string, Bytes>> cases;
    // Zero runs of every length and parity before a frame, a segment and odd bytes.
    for (size_t zeros = 0; zeros < 12; ++zeros) {
        for (const Bytes& after :
             {Bytes{0xFF, 0xC0, 0, 11, 8, 0, 7, 0, 9, 1, 1, 0x11, 0},
              Bytes{0, 0xFF, 0xC2, 0, 11, 8, 0, 5, 0, 6, 1},
              Bytes{0, 4, 0, 0, 0xFF, 0xC1, 0, 11, 8, 0, 3, 0, 4, 1}, Bytes{1}, Bytes{}}) {
            cases.emplace_back("zeros " + std::to_string(zeros),
                               Concat(Concat(Bytes{0xFF, 0xD8}, Filled(zeros)), after));
        }
    }
    // Zeros across the buffer's end (64 KiB) and beyond it, then a frame at every parity.
    for (size_t zeros : {65530u, 65531u, 65534u, 65535u, 65536u, 140000u, 140001u}) {
        Bytes b = Concat(Bytes{0xFF, 0xD8}, Filled(zeros));
        b = Concat(b, Bytes{0xFF, 0xC0, 0, 11, 8, 0, 7, 0, 9, 1, 1, 0x11, 0});
        cases.emplace_back("long zeros " + std::to_string(zeros), b);
    }
    // Segments that carry the walk past the buffer's end before the frame.
    JpegBuilder far;
    far.Soi();
    for (int i = 0; i < 3; ++i) far.Segment(0xFFE1, 65000 + i);
    cases.emplace_back("segments past 64 KiB", far.Frame(0xFFC0, 640, 480).Build());

    // Holes of a sparse file are passed without reading them.
    const size_t kHoleEnd = 3 * 1024 * 1024;
    for (size_t at : {kHoleEnd, kHoleEnd + 1, kHoleEnd + 2, kHoleEnd + 3}) {
        Bytes b = Concat(Bytes{0xFF, 0xD8}, Filled(at - 2));
        b = Concat(b, Bytes{0xFF, 0xC0, 0, 11, 8, 0, 7, 0, 9, 1, 1, 0x11, 0});
        cases.emplace_back("sparse, frame at " + std::to_string(at), b);
    }
    cases.emplace_back("sparse to the end",
                       Concat(Bytes{0xFF, 0xD8, 0xFF, 0xE0}, Filled(kHoleEnd)));

    TempDir dir;
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        const auto expected = PlainWalk(bytes);
        std::string path;
        if (what.rfind("sparse", 0) == 0) {
            // The same bytes with the zeros left as a hole: only the nonzero bytes written.
            path = dir.File("s.jpg");
            FILE* f = std::fopen(path.c_str(), "wb");
            ASSERT_NE(f, nullptr);
            for (size_t i = 0; i < bytes.size(); ++i) {
                if (bytes[i] == 0) continue;
                ASSERT_EQ(std::fseek(f, static_cast<long>(i), SEEK_SET), 0);
                ASSERT_EQ(std::fwrite(&bytes[i], 1, 1, f), 1u);
            }
            ASSERT_EQ(::ftruncate(::fileno(f), static_cast<off_t>(bytes.size())), 0);
            std::fclose(f);
        } else {
            path = dir.Write("w.jpg", bytes);
        }
        uint32_t width = 0, height = 0;
        try {
            ReadJpegSize(path, width, height);
            ASSERT_TRUE(expected.has_value()) << "read " << width << " x " << height;
            EXPECT_EQ(width, expected->first);
            EXPECT_EQ(height, expected->second);
        } catch (const Error& e) {
            EXPECT_FALSE(expected.has_value()) << e.what();
        }
    }
}

}  // namespace
}  // namespace vellumo

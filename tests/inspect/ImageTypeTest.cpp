// The signature probe, the type words and the extension rule.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "inspect/ByteOrder.h"
#include "inspect/ImageInfo.h"
#include "inspect/ImageType.h"
#include "support/FileBuilders.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

using test::AsBytes;
using test::Bytes;
using test::Concat;
using test::Filled;
using test::TempDir;

// 40 bytes of `lead` padded with zeros, then " EMF" at offset 40.
Bytes WithEmfAt40(const Bytes& lead, size_t total = 50) {
    Bytes b = test::Resized(lead, 40);
    b = Concat(b, AsBytes(" EMF"));
    return test::Resized(b, total);
}

struct ProbeCase {
    const char* what;
    Bytes bytes;
    int32_t code;
};

std::vector<ProbeCase> ProbeCases() {
    return {
        {"empty file", {}, kTypeUnknown},
        {"one byte B", AsBytes("B"), kTypeUnknown},
        {"BM, two bytes", AsBytes("BM"), kTypeBmp},
        {"BM, three bytes", AsBytes("BMx"), kTypeBmp},
        {"FF D8 only", {0xFF, 0xD8}, kTypeUnknown},
        {"FF D8 FF, three bytes", {0xFF, 0xD8, 0xFF}, kTypeJpeg},
        {"FF D8 FE", {0xFF, 0xD8, 0xFE, 0x00}, kTypeUnknown},
        {"GI", AsBytes("GI"), kTypeUnknown},
        {"GIF, three bytes", AsBytes("GIF"), kTypeGif},
        {"gif lower case", AsBytes("gif89a"), kTypeUnknown},
        {"MZ, two bytes", AsBytes("MZ"), kTypeExe},
        {"PK, two bytes", AsBytes("PK"), kTypeZip},
        {"%PD, three bytes", AsBytes("%PD"), kTypeUnknown},
        {"%PDF", AsBytes("%PDF-1.4\n"), kTypePdf},
        {"big-endian TIFF", {0x4D, 0x4D, 0x00, 0x2A, 0, 0, 0, 8}, kTypeTiffBig},
        {"little-endian TIFF", {0x49, 0x49, 0x2A, 0x00, 8, 0, 0, 0}, kTypeTiffLittle},
        {"BigTIFF II 2B 00", {0x49, 0x49, 0x2B, 0x00, 8, 0, 0, 0}, kTypeUnknown},
        {"MM with little-endian 42", {0x4D, 0x4D, 0x2A, 0x00}, kTypeUnknown},
        {"II with big-endian 42", {0x49, 0x49, 0x00, 0x2A}, kTypeUnknown},
        {"PNG signature", {0x89, 0x50, 0x4E, 0x47}, kTypePng},
        {"PNG cut to three bytes", {0x89, 0x50, 0x4E}, kTypeUnknown},
        {"placeable WMF key", {0xD7, 0xCD, 0xC6, 0x9A}, kTypeWmf},
        {"8BPS", AsBytes("8BPS"), kTypePsd},
        {"8BP", AsBytes("8BP"), kTypeUnknown},
        {"EMF signature at 40", WithEmfAt40(Filled(1, 1)), kTypeEmf},
        {"EMF signature in a 44-byte file", WithEmfAt40(Filled(1, 1), 44), kTypeEmf},
        {"EMF signature cut at 43 bytes", WithEmfAt40(Filled(1, 1), 43), kTypeUnknown},
        {"EMF signature at 41", Concat(Filled(41), AsBytes(" EMF")), kTypeUnknown},
        // The last matching test wins: EMF is tested after BMP, JPEG and GIF ...
        {"BM with EMF at 40", WithEmfAt40(AsBytes("BM")), kTypeEmf},
        {"JPEG with EMF at 40", WithEmfAt40({0xFF, 0xD8, 0xFF}), kTypeEmf},
        {"GIF with EMF at 40", WithEmfAt40(AsBytes("GIF89a")), kTypeEmf},
        // ... and before TIFF, PNG, WMF, PSD, Exe, Zip and PDF.
        {"TIFF with EMF at 40", WithEmfAt40({0x49, 0x49, 0x2A, 0x00}), kTypeTiffLittle},
        {"PNG with EMF at 40", WithEmfAt40({0x89, 0x50, 0x4E, 0x47}), kTypePng},
        {"MZ with EMF at 40", WithEmfAt40(AsBytes("MZ")), kTypeExe},
        {"PK with EMF at 40", WithEmfAt40(AsBytes("PK")), kTypeZip},
        {"PDF with EMF at 40", WithEmfAt40(AsBytes("%PDF")), kTypePdf},
        {"text", AsBytes("hello, world\n"), kTypeUnknown},
    };
}

TEST(DetectImageType, SignatureTable) {
    TempDir dir;
    for (const ProbeCase& c : ProbeCases()) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DetectImageType(c.bytes.data(), c.bytes.size()), c.code);
        const std::string path = dir.Write("probe.bin", c.bytes);
        EXPECT_EQ(DetectImageType(path), c.code);
    }
}

TEST(DetectImageType, OnlyTheFirstFiftyBytesCount) {
    // " EMF" at 40 is inside the probe window; a signature further on is not looked at.
    Bytes b = WithEmfAt40(Filled(1, 1), 200);
    EXPECT_EQ(DetectImageType(b.data(), 50), kTypeEmf);
    EXPECT_EQ(DetectImageType(b.data(), 43), kTypeUnknown);
}

TEST(DetectImageType, PathsThatNameNoRegularFileAreUnknown) {
    TempDir dir;
    EXPECT_EQ(DetectImageType(dir.File("missing.bmp")), kTypeUnknown);
    EXPECT_EQ(DetectImageType(dir.Path()), kTypeUnknown);
    EXPECT_EQ(DetectImageType(dir.File("no/such/folder/a.tif")), kTypeUnknown);
    EXPECT_EQ(DetectImageType(std::string()), kTypeUnknown);
    const std::string fifo = dir.File("pipe.tif");
    if (::mkfifo(fifo.c_str(), 0600) == 0) {
        // Nobody writes to the pipe: the probe must neither block nor fail.
        EXPECT_EQ(DetectImageType(fifo), kTypeUnknown);
    }
}

TEST(TypeNameOf, EveryCode) {
    const struct {
        int32_t code;
        const char* name;
    } rows[] = {
        {-1, "不明なファイル"},
        {0, "BMP"},
        {1, "JPG"},
        {2, "GIF"},
        {3, "emf"},
        {4, "Tif"},
        {5, "Tif"},
        {6, "PNG"},
        {7, "wmf"},
        {8, "psd"},
        {9, "Exe"},
        {10, "Zip"},
        {11, "PDF"},
        {12, "不明なファイル"},
        {-2, "不明なファイル"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.code);
        EXPECT_EQ(TypeNameOf(r.code), r.name);
    }
}

TEST(ExtensionMatches, Table) {
    const struct {
        ImageTypeCode type;
        const char* name;
        bool ghostscript;
        bool matches;
    } rows[] = {
        {kTypeBmp, "a.bmp", false, true},
        {kTypeBmp, "A.BMP", false, true},
        {kTypeBmp, "a.dib", false, false},
        {kTypeBmp, "bmp", false, false},
        {kTypeJpeg, "a.jpg", false, true},
        {kTypeJpeg, "A.Jpg", false, true},
        {kTypeJpeg, "photo.jpeg", false, false},
        {kTypeJpeg, "a.jpe", false, false},
        {kTypeWmf, "a.wmf", false, true},
        {kTypeWmf, "a.WMF", false, true},
        {kTypeEmf, "a.emf", false, true},
        {kTypeGif, "a.gif", false, true},
        {kTypePng, "a.png", false, true},
        {kTypePng, "a.tif", false, false},
        {kTypePsd, "a.psd", false, true},
        {kTypeTiffLittle, "a.tif", false, true},
        {kTypeTiffBig, "a.tiff", false, true},
        {kTypeTiffLittle, "a.TIFF", false, true},
        {kTypeTiffLittle, "a.tif.bak", false, false},
        {kTypeTiffLittle, "a.tf", false, false},
        {kTypeTiffLittle, "tif", false, false},
        {kTypePdf, "a.pdf", false, false},
        {kTypePdf, "a.pdf", true, true},
        {kTypePdf, "a.PDF", true, true},
        {kTypePdf, "a.tif", true, false},
        {kTypeExe, "a.exe", true, false},
        {kTypeZip, "a.zip", true, false},
        {kTypeUnknown, "a.txt", true, false},
        {kTypeUnknown, "a", true, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(TypeNameOf(r.type)) + " " + r.name + (r.ghostscript ? " gs" : ""));
        EXPECT_EQ(ExtensionMatches(r.type, r.name, r.ghostscript), r.matches);
    }
}

TEST(PathParts, NameFolderExtension) {
    EXPECT_EQ(FileNameOf("/a/b/tatemono1.tif"), "tatemono1.tif");
    EXPECT_EQ(FolderOf("/a/b/tatemono1.tif"), "/a/b/");
    EXPECT_EQ(FileNameOf("plain.tif"), "plain.tif");
    EXPECT_EQ(FolderOf("plain.tif"), "");
    EXPECT_EQ(FileExtension("a.tif.bak"), ".bak");
    EXPECT_EQ(FileExtension("noext"), "");
    EXPECT_EQ(FileExtension("a."), ".");
}

TEST(TiffByteOrder, FromTheFirstFourBytes) {
    TempDir dir;
    const struct {
        Bytes bytes;
        const char* order;
    } rows[] = {
        {{0x49, 0x49, 0x2A, 0x00}, "Tif_L"},
        {{0x4D, 0x4D, 0x00, 0x2A}, "Tif_B"},
        {{0x49, 0x49, 0x2B, 0x00}, ""},
        {AsBytes("BM"), ""},
        {{}, ""},
    };
    for (const auto& r : rows) {
        const std::string path = dir.Write("order.bin", r.bytes);
        SCOPED_TRACE(r.order);
        EXPECT_EQ(TiffByteOrder(path), r.order);
    }
    EXPECT_EQ(TiffByteOrder(dir.File("missing.tif")), "");
    EXPECT_EQ(TiffByteOrder(dir.Path()), "");
}

TEST(Swap, ReversesBytes) {
    static_assert(Swap16(0x1234) == 0x3412);
    static_assert(Swap32(0x12345678u) == 0x78563412u);
    static_assert(Swap32(Swap32(0xDEADBEEFu)) == 0xDEADBEEFu);
    EXPECT_EQ(Swap16(0x00FF), 0xFF00);
}

}  // namespace
}  // namespace vellumo

// The TIFF structure reader: the first directory's drawing tags and the page count.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "inspect/ImageInfo.h"
#include "inspect/ImageType.h"
#include "inspect/TiffInfo.h"
#include "platform/Error.h"
#include "support/FileBuilders.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

using test::Bytes;
using test::Endian;
using test::TempDir;
using test::TiffBuilder;
using test::TiffEntries;
using test::TiffEntry;
using test::TiffFields;

const char* Name(Endian e) { return e == Endian::Little ? "little-endian" : "big-endian"; }

struct Expected {
    bool ok = true;
    uint32_t width = 5732, height = 4047, bits = 1, compression = 4, orientation = 1;
    uint32_t xRes = 400, yRes = 400, unit = 2, samples = 0;
    int32_t pages = 1;
    bool compressionMissing = false, orientationMissing = false, xMissing = false, yMissing = false,
         unitMissing = false;
};

void ExpectFields(const ImageInfo& info, const Expected& e) {
    EXPECT_EQ(info.width, e.width);
    EXPECT_EQ(info.height, e.height);
    EXPECT_EQ(info.bitsPerSample, e.bits);
    EXPECT_EQ(info.samplesPerPixel, e.samples);
    EXPECT_EQ(info.compression, e.compression);
    EXPECT_EQ(info.orientation, e.orientation);
    EXPECT_EQ(info.xResolution, e.xRes);
    EXPECT_EQ(info.yResolution, e.yRes);
    EXPECT_EQ(info.resolutionUnit, e.unit);
    EXPECT_EQ(info.pageCount, e.pages);
    EXPECT_EQ(info.compressionMissing, e.compressionMissing);
    EXPECT_EQ(info.orientationMissing, e.orientationMissing);
    EXPECT_EQ(info.xResolutionMissing, e.xMissing);
    EXPECT_EQ(info.yResolutionMissing, e.yMissing);
    EXPECT_EQ(info.resolutionUnitMissing, e.unitMissing);
}

struct TiffCase {
    const char* what;
    std::function<Bytes(Endian)> build;
    Expected expected;
};

Bytes WithFields(Endian e, TiffFields f) { return test::DrawingTiff(f, e); }

std::vector<TiffCase> TiffCases() {
    std::vector<TiffCase> cases;
    cases.push_back({"all eight tags", [](Endian e) { return WithFields(e, {}); }, {}});
    {
        Expected x;
        x.pages = 2;
        cases.push_back({"two pages", [](Endian e) { return test::MultiPageTiff(2, e); }, x});
        x.pages = 3;
        cases.push_back({"three pages", [](Endian e) { return test::MultiPageTiff(3, e); }, x});
        x.pages = 30;
        cases.push_back({"30 pages", [](Endian e) { return test::MultiPageTiff(30, e); }, x});
        x.pages = 31;
        cases.push_back({"31 pages", [](Endian e) { return test::MultiPageTiff(31, e); }, x});
        cases.push_back({"32 pages", [](Endian e) { return test::MultiPageTiff(32, e); }, x});
        cases.push_back({"40 pages", [](Endian e) { return test::MultiPageTiff(40, e); }, x});
        cases.push_back({"directory pointing at itself",
                         [](Endian e) {
                             TiffBuilder b(e);
                             b.AddPage(TiffEntries({}));
                             return b.LoopTo(0, 0).Build();
                         },
                         x});
        cases.push_back({"second directory pointing back at the first",
                         [](Endian e) {
                             TiffBuilder b(e);
                             b.AddPage(TiffEntries({}));
                             b.AddPage(TiffEntries({}));
                             return b.LoopTo(1, 0).Build();
                         },
                         x});
    }
    {
        Expected x;
        x.pages = 2;  // the page the offset names is counted, then the chain ends
        cases.push_back({"next directory past the end",
                         [](Endian e) {
                             TiffBuilder b(e);
                             b.AddPage(TiffEntries({}));
                             return b.NextIfdOffset(0, 0x7FFFFFF0u).Build();
                         },
                         x});
        cases.push_back({"next directory at 0xFFFFFFFF",
                         [](Endian e) {
                             TiffBuilder b(e);
                             b.AddPage(TiffEntries({}));
                             return b.NextIfdOffset(0, 0xFFFFFFFFu).Build();
                         },
                         x});
    }
    {
        Expected x;
        x.ok = false;
        x.bits = 0;
        cases.push_back({"BitsPerSample left out",
                         [](Endian e) {
                             TiffFields f;
                             f.bitsPerSample.reset();
                             return WithFields(e, f);
                         },
                         x});
    }
    {
        Expected x;
        x.orientation = 0;
        x.orientationMissing = true;
        cases.push_back({"Orientation left out",
                         [](Endian e) {
                             TiffFields f;
                             f.orientation.reset();
                             return WithFields(e, f);
                         },
                         x});
    }
    {
        Expected x;
        x.compression = x.orientation = x.xRes = x.yRes = x.unit = 0;
        x.compressionMissing = x.orientationMissing = x.xMissing = x.yMissing = x.unitMissing =
            true;
        cases.push_back({"only the three required tags",
                         [](Endian e) {
                             TiffFields f;
                             f.compression.reset();
                             f.orientation.reset();
                             f.xResolution.reset();
                             f.yResolution.reset();
                             f.resolutionUnit.reset();
                             return WithFields(e, f);
                         },
                         x});
    }
    {
        Expected x;
        x.unit = 0;  // found, so not missing, but a BYTE is not read
        cases.push_back({"ResolutionUnit stored as BYTE",
                         [](Endian e) {
                             TiffFields f;
                             f.resolutionUnit.reset();
                             auto entries = TiffEntries(f);
                             entries.push_back(TiffEntry::Raw(296, test::kByte, 1, 0x02020202u));
                             TiffBuilder b(e);
                             b.AddPage(entries);
                             return b.Build();
                         },
                         x});
    }
    {
        Expected x;
        x.xRes = 400;
        x.yRes = 399;
        cases.push_back({"XResolution 4000/10, YResolution 3999/10",
                         [](Endian e) {
                             TiffFields f;
                             f.xResolution = {{4000, 10}};
                             f.yResolution = {{3999, 10}};
                             return WithFields(e, f);
                         },
                         x});
        x.xRes = 0;
        x.yRes = 4294967295u;
        cases.push_back({"XResolution 1/3, YResolution 0xFFFFFFFF/1",
                         [](Endian e) {
                             TiffFields f;
                             f.xResolution = {{1, 3}};
                             f.yResolution = {{0xFFFFFFFFu, 1}};
                             return WithFields(e, f);
                         },
                         x});
    }
    {
        Expected x;
        x.xRes = 400;
        x.yRes = 0;
        x.yMissing = true;
        cases.push_back({"YResolution left out",
                         [](Endian e) {
                             TiffFields f;
                             f.yResolution.reset();
                             return WithFields(e, f);
                         },
                         x});
    }
    {
        Expected x;
        x.width = 0xFFFFFFFFu;
        x.height = 70000;
        cases.push_back({"LONG sizes above 16 bits",
                         [](Endian e) {
                             TiffFields f;
                             f.width = 0xFFFFFFFFu;
                             f.height = 70000;
                             return WithFields(e, f);
                         },
                         x});
    }
    {
        // ImageWidth as SHORT: the first two bytes of the value field.
        Expected x;
        x.width = 1234;
        cases.push_back({"ImageWidth as SHORT",
                         [](Endian e) {
                             TiffFields f;
                             f.width.reset();
                             auto entries = TiffEntries(f);
                             entries.insert(entries.begin(), TiffEntry::Short(256, 1234));
                             TiffBuilder b(e);
                             b.AddPage(entries);
                             return b.Build();
                         },
                         x});
    }
    {
        // Three BitsPerSample values do not fit in the entry: the first is read where the
        // value field points. At offset 0x00010001 the old reading of the field's first
        // half gave 1 in both byte orders, a colour image confirmed as monochrome.
        auto rgb = [](Endian e, uint32_t valuesAt, uint16_t bits, bool valuesWritten) {
            TiffFields f;
            f.bitsPerSample.reset();
            auto entries = TiffEntries(f);
            entries.insert(entries.begin() + 2, TiffEntry::Raw(258, test::kShort, 3, valuesAt));
            entries.insert(entries.begin() + 5, TiffEntry::Short(277, 3));
            TiffBuilder b(e);
            b.AddPage(entries);
            Bytes bytes = b.Build();
            if (!valuesWritten) return bytes;
            bytes = test::Resized(bytes, valuesAt);
            for (int i = 0; i < 3; ++i) {
                if (e == Endian::Little)
                    test::PutLe16(bytes, valuesAt + 2 * i, bits);
                else
                    test::PutBe16(bytes, valuesAt + 2 * i, bits);
            }
            return bytes;
        };
        Expected x;
        x.bits = 8;
        x.samples = 3;
        cases.push_back({"RGB, the values at an odd offset above 65535",
                         [=](Endian e) { return rgb(e, 0x00010001u, 8, true); }, x});
        x.bits = 0;
        cases.push_back({"RGB, the values past the end",
                         [=](Endian e) { return rgb(e, 0x00010001u, 8, false); }, x});
        // Two SHORTs fit in the entry itself.
        x.bits = 8;
        x.samples = 2;
        cases.push_back({"gray and alpha, two values in the entry",
                         [](Endian e) {
                             TiffFields f;
                             f.bitsPerSample.reset();
                             auto entries = TiffEntries(f);
                             // 8 and 8, the same bytes in either byte order
                             entries.insert(entries.begin() + 2,
                                            TiffEntry::Raw(258, test::kShort, 2, 0x00080008u));
                             entries.insert(entries.begin() + 5, TiffEntry::Short(277, 2));
                             TiffBuilder b(e);
                             b.AddPage(entries);
                             return b.Build();
                         },
                         x});
    }
    {
        // A tag of the eight found twice is counted twice: with BitsPerSample left out the
        // counter still reaches 0 and the analysis succeeds.
        Expected x;
        x.bits = 0;
        x.width = 111;
        cases.push_back({"ImageWidth twice, BitsPerSample left out",
                         [](Endian e) {
                             TiffFields f;
                             f.bitsPerSample.reset();
                             f.stripTags = false;
                             auto entries = TiffEntries(f);
                             // The later value is the one kept.
                             entries.insert(entries.begin() + 1, TiffEntry::Long(256, 111));
                             TiffBuilder b(e);
                             b.AddPage(entries);
                             return b.Build();
                         },
                         x});
    }
    {
        // After the eighth tag no entry is read: a second Compression changes nothing.
        cases.push_back({"entries after the eighth tag",
                         [](Endian e) {
                             auto entries = TiffEntries({});
                             entries.push_back(TiffEntry::Short(259, 5));
                             entries.push_back(TiffEntry::Short(274, 3));
                             TiffBuilder b(e);
                             b.AddPage(entries);
                             return b.Build();
                         },
                         {}});
    }
    {
        // Entry count 65535 with the entries cut off by the end of the file: the eight tags
        // are found first, and the next-IFD offset lies past the end (one page).
        cases.push_back({"entry count 65535, data cut off",
                         [](Endian e) {
                             TiffBuilder b(e);
                             b.AddPage(TiffEntries({}));
                             return b.DeclaredEntryCount(0, 65535).Build();
                         },
                         {}});
        Expected x;
        x.compression = x.orientation = x.xRes = x.yRes = x.unit = 0;
        x.compressionMissing = x.orientationMissing = x.xMissing = x.yMissing = x.unitMissing =
            true;
        cases.push_back({"entry count 65535, three entries then the end",
                         [](Endian e) {
                             TiffFields f;
                             f.compression.reset();
                             f.orientation.reset();
                             f.xResolution.reset();
                             f.yResolution.reset();
                             f.resolutionUnit.reset();
                             f.stripTags = false;
                             TiffBuilder b(e);
                             b.AddPage(TiffEntries(f));
                             return b.DeclaredEntryCount(0, 65535).Build();
                         },
                         x});
    }
    {
        Expected x;
        x.ok = false;
        x.width = x.height = x.bits = x.compression = x.orientation = x.xRes = x.yRes = x.unit = 0;
        x.compressionMissing = x.orientationMissing = x.xMissing = x.yMissing = x.unitMissing =
            true;
        cases.push_back({"first directory past the end",
                         [](Endian e) {
                             TiffBuilder b(e);
                             b.AddPage(TiffEntries({}));
                             return b.FirstIfdOffset(0x00100000u).Build();
                         },
                         x});
        cases.push_back(
            {"header only", [](Endian e) { return TiffBuilder(e).FirstIfdOffset(8).Build(); }, x});
        cases.push_back({"first directory offset 0xFFFFFFFF",
                         [](Endian e) {
                             TiffBuilder b(e);
                             b.AddPage(TiffEntries({}));
                             return b.FirstIfdOffset(0xFFFFFFFFu).Build();
                         },
                         x});
    }
    {
        // The file ends inside the BitsPerSample entry: that entry is not read.
        Expected x;
        x.ok = false;
        x.bits = x.compression = x.orientation = x.xRes = x.yRes = x.unit = 0;
        x.compressionMissing = x.orientationMissing = x.xMissing = x.yMissing = x.unitMissing =
            true;
        cases.push_back({"cut inside the third entry",
                         [](Endian e) {
                             TiffBuilder b(e);
                             b.AddPage(TiffEntries({}));
                             return b.CutAt(8 + 2 + 12 * 2 + 6).Build();
                         },
                         x});
    }
    return cases;
}

TEST(ReadTiffInfo, Table) {
    TempDir dir;
    for (const TiffCase& c : TiffCases()) {
        for (Endian e : {Endian::Little, Endian::Big}) {
            SCOPED_TRACE(std::string(c.what) + ", " + Name(e));
            const std::string path = dir.Write("t.tif", c.build(e));
            Expected x = c.expected;
            ImageInfo info;
            bool ok = false;
            ASSERT_NO_THROW(ok = ReadTiffInfo(path, info));
            EXPECT_EQ(ok, x.ok);
            if (x.ok) ExpectFields(info, x);
        }
    }
}

TEST(ReadTiffInfo, NotATiffHeaderIsTheInvalidTifError) {
    TempDir dir;
    const std::string path = dir.Write("a.tif", test::BmpCore(10, 10));
    ImageInfo info;
    try {
        ReadTiffInfo(path, info);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), path + "    \r\n不正な TIF ファイルです");
    }
}

TEST(ReadTiffInfo, ZeroDenominatorIsAnError) {
    TempDir dir;
    for (Endian e : {Endian::Little, Endian::Big}) {
        SCOPED_TRACE(Name(e));
        TiffFields f;
        f.yResolution = {{400, 0}};
        const std::string path = dir.Write("z.tif", test::DrawingTiff(f, e));
        ImageInfo info;
        try {
            ReadTiffInfo(path, info);
            ADD_FAILURE() << "no error";
        } catch (const Error& err) {
            const std::string text = err.what();
            EXPECT_EQ(text.rfind(path + "\r\n", 0), 0u) << text;
            EXPECT_GT(text.size(), path.size() + 2);
            EXPECT_EQ(text, ZeroDenominatorText(path));
        }
        ImageInfo viaProbe;
        EXPECT_THROW(ReadImageInfo(path, false, viaProbe), Error);
    }
}

TEST(ReadImageInfo, TiffThroughTheProbe) {
    TempDir dir;
    const struct {
        const char* name;
        Endian endian;
        int32_t code;
        bool matches;
    } rows[] = {
        {"tatemono1.tif", Endian::Little, kTypeTiffLittle, true},
        {"tatemono1.TIFF", Endian::Big, kTypeTiffBig, true},
        {"tatemono1.png", Endian::Little, kTypeTiffLittle, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const std::string path = dir.Write(r.name, test::DrawingTiff({}, r.endian));
        ImageInfo info;
        EXPECT_TRUE(ReadImageInfo(path, false, info));
        EXPECT_EQ(info.typeCode, r.code);
        EXPECT_EQ(info.typeName, "Tif");
        EXPECT_EQ(info.extensionMatches, r.matches);
        EXPECT_TRUE(info.headerRead);
        EXPECT_EQ(info.pageCount, 1);
    }
}

TEST(ReadImageInfo, TiffOfWidthZeroIsTheZeroSizeError) {
    TempDir dir;
    const struct {
        const char* what;
        Bytes bytes;
    } rows[] = {
        {"width 0",
         [] {
             TiffFields f;
             f.width = 0;
             return test::DrawingTiff(f);
         }()},
        {"ImageLength as ASCII",
         [] {
             TiffFields f;
             f.height.reset();
             auto entries = TiffEntries(f);
             entries.insert(entries.begin() + 1, TiffEntry::Raw(257, test::kAscii, 4, 100));
             TiffBuilder b;
             b.AddPage(entries);
             return b.Build();
         }()},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        const std::string path = dir.Write("w0.tif", r.bytes);
        ImageInfo info;
        try {
            ReadImageInfo(path, false, info);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), path + "\r\n画像サイズがゼロです。");
        }
    }
}

}  // namespace
}  // namespace vellumo

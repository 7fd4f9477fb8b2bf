// The report driver: whole report blocks for one file, line by line.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "check/CheckFile.h"
#include "check/ReportView.h"
#include "platform/Error.h"
#include "platform/JpegLib.h"
#include "support/FileBuilders.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

using test::AsBytes;
using test::Bytes;
using test::Concat;
using test::Endian;
using test::Filled;
using test::TempDir;
using test::TiffBuilder;
using test::TiffEntries;
using test::TiffFields;
using Lines = std::vector<std::string>;

constexpr std::time_t kWhen = 1614297905;  // 2021-02-26 09:05:05 JST
const std::string kDateLine = " 日付時刻　　：2021/02/26 9:05:04";
const std::string kStatusLittle = " □ImageFileHeadr ： $49492A00 （Tiff - Little Endian）";
const std::string kStatusBig = " □ImageFileHeadr ： $4D4D002A （Tiff - Big Endian）";

const std::string kTypeOk = " 画像型式　　：Tif 　　　　　　　　　【確認】";
const std::string kG4Ok = " 圧縮方式　　：CCITT G4              【確認】";
const std::string kBitsOk = " 色数（bit） ：１（bit）モノクロ     【確認】";
const std::string kOrientationOk = " Orientation ：１（左上から水平方向）【確認】";
const std::string kDpiOk = " 解像度　　　：400 x 400 dpi         【確認】";
const std::string kOnePageOk = " ページ数　　：１ページ　　　　　　　【確認】";
const std::string kB4Ok = " 用紙サイズ　：B4 横（257mm×364mm） 【確認】";
const std::string kNoDataSize = " データサイズ： *** 【計算できません】";
const std::string kWidth5732 = " 巾　(Width) ：5732 pixel";
const std::string kHeight4047 = " 高さ(Height)：4047 pixel";

std::string Width(uint32_t w) { return " 巾　(Width) ：" + std::to_string(w) + " pixel"; }
std::string Height(uint32_t h) { return " 高さ(Height)：" + std::to_string(h) + " pixel"; }

// The plain data-size line of a file whose size is known only once it is written.
std::string PlainSize(uint64_t n) {
    std::string digits = std::to_string(n);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    char buf[64];
    if (n <= 1048576) {
        std::snprintf(buf, sizeof buf, "%.1f KB (", static_cast<double>(n) / 1024);
    } else {
        std::snprintf(buf, sizeof buf, "%.2f MB (", static_cast<double>(n) / 1048576);
    }
    return std::string(" データサイズ：") + buf + grouped + "Byte)";
}

uint64_t SizeOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    return static_cast<uint64_t>(st.st_size);
}

// A small grayscale JPEG written by libjpeg with the given JFIF density.
Bytes RealJpeg(int width, int height, uint8_t unit, uint16_t xDensity, uint16_t yDensity) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 1;
    cinfo.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    cinfo.write_JFIF_header = TRUE;
    cinfo.density_unit = unit;
    cinfo.X_density = xDensity;
    cinfo.Y_density = yDensity;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width), 128);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

class CheckFileTest : public ::testing::Test {
  protected:
    void SetUp() override { test::UseTokyoTime(); }

    std::string Write(const std::string& name, const Bytes& bytes) {
        const std::string path = dir_.Write(name, bytes);
        test::SetModifiedTime(path, kWhen);
        return path;
    }

    CheckResult Check(const std::string& path, bool drawingCheck = true, bool showPath = false,
                      bool ghostscript = false) {
        CheckOptions options;
        options.drawingCheck = drawingCheck;
        options.showPath = showPath;
        options.ghostscriptAvailable = ghostscript;
        return CheckFile(path, options, view_);
    }

    TempDir dir_;
    CollectingReportView view_;
};

// ---------------------------------------------------------------------------------------
// Drawing TIFF files with the drawing check on

TEST_F(CheckFileTest, ConformingDrawingInEitherByteOrder) {
    for (Endian e : {Endian::Little, Endian::Big}) {
        SCOPED_TRACE(e == Endian::Little ? "little-endian" : "big-endian");
        CollectingReportView view;
        const std::string path = Write("tatemono12.tif", test::DrawingTiff({}, e, 150000));
        const CheckResult r = CheckFile(path, CheckOptions{}, view);
        const Lines expected = {
            "",         " ファイル名　：tatemono12.tif        【確認】",
            kTypeOk,    kG4Ok,
            kBitsOk,    kOrientationOk,
            kDpiOk,     " データサイズ：146.5 KB (150,000Byte)【確認】",
            kOnePageOk, kB4Ok,
            kWidth5732, kHeight4047,
            kDateLine,
        };
        EXPECT_EQ(view.Lines(), expected);
        EXPECT_EQ(view.Status(), e == Endian::Little ? kStatusLittle : kStatusBig);
        EXPECT_EQ(view.FocusCount(), 1);
        EXPECT_TRUE(r.verdict.ran);
        EXPECT_TRUE(r.verdict.Passed());
        EXPECT_EQ(r.verdict.faultLines, 0);
        for (bool c : r.verdict.confirmed) EXPECT_TRUE(c);
        EXPECT_EQ(r.info.typeName, "Tif");
        EXPECT_TRUE(r.info.extensionMatches);
        EXPECT_EQ(r.info.pageCount, 1);
    }
}

TEST_F(CheckFileTest, ShowPathWritesTheFolder) {
    const std::string path = Write("tatemono12.tif", test::DrawingTiff({}, Endian::Little, 150000));
    Check(path, true, true);
    ASSERT_GE(view_.Lines().size(), 3u);
    EXPECT_EQ(view_.Lines()[0], "");
    EXPECT_EQ(view_.Lines()[1], " FilePath    ：" + dir_.Path() + "/");
    EXPECT_EQ(view_.Lines()[2], " ファイル名　：tatemono12.tif        【確認】");
}

TEST_F(CheckFileTest, FaultyDrawing) {
    TiffFields f;
    f.compression = 5;
    f.bitsPerSample = 8;
    f.orientation.reset();
    f.xResolution = {{300, 1}};
    f.yResolution = {{300, 1}};
    f.resolutionUnit.reset();
    TiffBuilder b;
    for (int i = 0; i < 3; ++i) b.AddPage(TiffEntries(f));
    const std::string path = Write("zumen.tif", b.PadTo(400100).Build());
    const CheckResult r = Check(path);
    const Lines expected = {
        "",
        " ファイル名　：zumen.tif  【図面種別名・数字部の誤り】",
        kTypeOk,
        " 圧縮方式　　：LZW圧縮 【圧縮方式が違います。】",
        " 色数（bit） ： ** 【カラー又はグレースケール画像です。】",
        " Orientation ：【タグがありません。】",
        " 解像度　　　：300 x 300 dpi      【解像度が違います。】",
        " 解像度単位　：【タグがありません。Default→inch】",
        " データサイズ：390.7 KB (400,100Byte)【300KBを越えています。】",
        " ページ数　　：3ページ      【Multi-tiffです。】",
        " 用紙サイズ　：343mm×485mm   【サイズが違います。】",
        " 詳細サイズ　：H= 342.65mm  W= 485.31mm",
        kWidth5732,
        kHeight4047,
        kDateLine,
    };
    EXPECT_EQ(view_.Lines(), expected);
    EXPECT_EQ(view_.Status(), kStatusLittle);
    EXPECT_TRUE(r.verdict.ran);
    EXPECT_FALSE(r.verdict.Passed());
    EXPECT_GT(r.verdict.faultLines, 0);
    const auto& c = r.verdict.confirmed;
    EXPECT_FALSE(c[static_cast<size_t>(JudgedItem::Name)]);
    EXPECT_TRUE(c[static_cast<size_t>(JudgedItem::ImageType)]);
    EXPECT_FALSE(c[static_cast<size_t>(JudgedItem::Compression)]);
    EXPECT_FALSE(c[static_cast<size_t>(JudgedItem::BitDepth)]);
    EXPECT_FALSE(c[static_cast<size_t>(JudgedItem::Orientation)]);
    EXPECT_FALSE(c[static_cast<size_t>(JudgedItem::Resolution)]);
    EXPECT_FALSE(c[static_cast<size_t>(JudgedItem::DataSize)]);
    EXPECT_FALSE(c[static_cast<size_t>(JudgedItem::PageCount)]);
    EXPECT_FALSE(c[static_cast<size_t>(JudgedItem::PaperSize)]);
}

TEST_F(CheckFileTest, CentimetreUnitWithTheDrawingCheckOn) {
    TiffFields f;
    f.resolutionUnit = 3;
    const std::string path = Write("tatemono1.tif", test::DrawingTiff(f, Endian::Little, 150000));
    const CheckResult r = Check(path);
    const Lines expected = {
        "",          " ファイル名　：tatemono1.tif         【確認】",
        kTypeOk,     kG4Ok,
        kBitsOk,     kOrientationOk,
        kDpiOk,      " 解像度単位　：( cm )",
        kOnePageOk,  kNoDataSize,
        kB4Ok,       kWidth5732,
        kHeight4047, kDateLine,
    };
    EXPECT_EQ(view_.Lines(), expected);
    EXPECT_FALSE(r.verdict.Passed());
    EXPECT_FALSE(r.verdict.confirmed[static_cast<size_t>(JudgedItem::DataSize)]);
    EXPECT_TRUE(r.verdict.confirmed[static_cast<size_t>(JudgedItem::PaperSize)]);
}

TEST_F(CheckFileTest, UnitLinesThatAreNotConfirmedFailTheDrawing) {
    const struct {
        const char* what;
        std::optional<uint16_t> unit;
        std::string unitLine;
        bool judgedSize;
    } rows[] = {
        {"missing", std::nullopt, " 解像度単位　：【タグがありません。Default→inch】", true},
        {"none", 1, " 解像度単位　：なし", false},
        {"unknown 7", 7, " 解像度単位　：", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        view_.Clear();
        TiffFields f;
        f.resolutionUnit = row.unit;
        const std::string path =
            Write("tatemono1.tif", test::DrawingTiff(f, Endian::Little, 150000));
        const CheckResult r = Check(path);
        Lines expected = {"",      " ファイル名　：tatemono1.tif         【確認】",
                          kTypeOk, kG4Ok,
                          kBitsOk, kOrientationOk,
                          kDpiOk,  row.unitLine};
        if (row.judgedSize) expected.push_back(" データサイズ：146.5 KB (150,000Byte)【確認】");
        expected.push_back(kOnePageOk);
        if (!row.judgedSize) expected.push_back(kNoDataSize);
        for (const std::string& l : {kB4Ok, kWidth5732, kHeight4047, kDateLine})
            expected.push_back(l);
        EXPECT_EQ(view_.Lines(), expected);
        EXPECT_FALSE(r.verdict.Passed());
    }
}

TEST_F(CheckFileTest, MissingJudgedLinesFailTheDrawing) {
    // A judged line that is not written at all cannot be confirmed.
    const struct {
        const char* what;
        TiffFields fields;
        JudgedItem item;
    } rows[] = {
        {"no Compression",
         [] {
             TiffFields f;
             f.compression.reset();
             return f;
         }(),
         JudgedItem::Compression},
        {"BitsPerSample 0",
         [] {
             TiffFields f;
             f.bitsPerSample = 0;
             return f;
         }(),
         JudgedItem::BitDepth},
        {"Orientation 0",
         [] {
             TiffFields f;
             f.orientation = 0;
             return f;
         }(),
         JudgedItem::Orientation},
        {"XResolution 1",
         [] {
             TiffFields f;
             f.xResolution = {{1, 1}};
             return f;
         }(),
         JudgedItem::Resolution},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        view_.Clear();
        const std::string path =
            Write("tatemono1.tif", test::DrawingTiff(row.fields, Endian::Little, 150000));
        const CheckResult r = Check(path);
        EXPECT_TRUE(r.verdict.ran);
        EXPECT_FALSE(r.verdict.Passed());
        EXPECT_FALSE(r.verdict.confirmed[static_cast<size_t>(row.item)]);
        EXPECT_TRUE(r.verdict.confirmed[static_cast<size_t>(JudgedItem::Name)]);
    }
}

TEST_F(CheckFileTest, JudgedDataSizeBands) {
    const struct {
        size_t size;
        std::string line;
        bool confirmed;
    } rows[] = {
        {5120, " データサイズ：5.0 KB (5,120Byte) 【サイズが異常です。】", false},
        {5121, " データサイズ：5.0 KB (5,121Byte)    【確認】", true},
        {9217, " データサイズ：9.0 KB (9,217Byte)  【確認】", true},
        {101377, " データサイズ：99.0 KB (101,377Byte)【確認】", true},
        {307200, " データサイズ：300.0 KB (307,200Byte)【確認】", true},
        {307201, " データサイズ：300.0 KB (307,201Byte)【300KBを越えています。】", false},
        {2000000, " データサイズ：1.9 MB (2,000,000Byte)【300KBを越えています。】", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.size);
        view_.Clear();
        const std::string path =
            Write("tatemono1.tif", test::DrawingTiff({}, Endian::Big, row.size));
        ASSERT_EQ(SizeOf(path), row.size);
        const CheckResult r = Check(path);
        ASSERT_EQ(view_.Lines().size(), 13u);
        EXPECT_EQ(view_.Lines()[7], row.line);
        EXPECT_EQ(r.verdict.confirmed[static_cast<size_t>(JudgedItem::DataSize)], row.confirmed);
        EXPECT_EQ(r.verdict.Passed(), row.confirmed);
    }
}

TEST_F(CheckFileTest, TiffStructuresThatEndTheChainEarly) {
    TiffBuilder loop;
    loop.AddPage(TiffEntries({}));
    loop.LoopTo(0, 0).PadTo(150000);
    TiffBuilder cut;
    cut.AddPage(TiffEntries({}));
    cut.DeclaredEntryCount(0, 65535);
    TiffBuilder past;
    past.AddPage(TiffEntries({}));
    past.NextIfdOffset(0, 0xFFFFFF00u).PadTo(150000);
    const struct {
        const char* what;
        Bytes bytes;
        std::string pageLine;
    } rows[] = {
        {"loop", loop.Build(), " ページ数　　：31ページ      【Multi-tiffです。】"},
        {"65535 entries cut off", cut.Build(), kOnePageOk},
        {"next past the end", past.Build(), " ページ数　　：2ページ      【Multi-tiffです。】"},
        {"40 pages", test::MultiPageTiff(40), " ページ数　　：31ページ      【Multi-tiffです。】"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        view_.Clear();
        const std::string path = Write("tatemono1.tif", row.bytes);
        Check(path);
        ASSERT_EQ(view_.Lines().size(), 13u);
        EXPECT_EQ(view_.Lines()[8], row.pageLine);
        EXPECT_EQ(view_.Lines().back(), kDateLine);
    }
}

TEST_F(CheckFileTest, FilesOfTwoGigabytesAndMore) {
    const std::string path = Write("tatemono1.tif", test::DrawingTiff());
    const off_t big = (off_t{1} << 31) + 1;
    if (::truncate(path.c_str(), big) != 0) GTEST_SKIP() << "no sparse file here";
    test::SetModifiedTime(path, kWhen);
    Check(path);
    ASSERT_EQ(view_.Lines().size(), 13u);
    EXPECT_EQ(view_.Lines()[7],
              " データサイズ：2048.0 MB (2,147,483,649Byte)【300KBを越えています。】");
    view_.Clear();
    Check(path, false);
    EXPECT_NE(std::find(view_.Lines().begin(), view_.Lines().end(),
                        " データサイズ：2048.00 MB (2,147,483,649Byte)"),
              view_.Lines().end());
}

// ---------------------------------------------------------------------------------------
// The drawing check off, and files other than TIFF

TEST_F(CheckFileTest, TiffWithTheDrawingCheckOff) {
    const std::string path = Write("tatemono12.tif", test::DrawingTiff({}, Endian::Big, 150000));
    const CheckResult r = Check(path, false);
    const Lines expected = {
        "",
        " ファイル名　：tatemono12.tif",
        " 画像型式　　：Tif 型式",
        " 解像度　　　：400 x 400 dpi",
        " データサイズ：146.5 KB (150,000Byte)",
        kWidth5732,
        kHeight4047,
        kDateLine,
    };
    EXPECT_EQ(view_.Lines(), expected);
    EXPECT_EQ(view_.Status(), kStatusBig);
    EXPECT_FALSE(r.verdict.ran);
    EXPECT_FALSE(r.verdict.Passed());
}

TEST_F(CheckFileTest, CentimetreTiffWithTheDrawingCheckOff) {
    TiffFields f;
    f.resolutionUnit = 3;
    const std::string path = Write("a.tiff", test::DrawingTiff(f, Endian::Little, 150000));
    Check(path, false);
    const Lines expected = {
        "",
        " ファイル名　：a.tiff",
        " 画像型式　　：Tif 型式",
        " 解像度　　　：1016 x 1016 dpi",
        kNoDataSize,
        kWidth5732,
        kHeight4047,
        kDateLine,
    };
    EXPECT_EQ(view_.Lines(), expected);
    EXPECT_EQ(view_.Status(), kStatusLittle);
}

TEST_F(CheckFileTest, JpegWithTheDrawingCheckOff) {
    const std::string path = Write("a.jpg", RealJpeg(16, 8, 1, 300, 300));
    view_.SetStatus("before");
    const CheckResult r = Check(path, false);
    const Lines expected = {
        "",
        " ファイル名　：a.jpg",
        " 画像型式　　：JPG 型式",
        " 解像度　　　：300 x 300 dpi",
        PlainSize(SizeOf(path)),
        Width(16),
        Height(8),
        kDateLine,
    };
    EXPECT_EQ(view_.Lines(), expected);
    EXPECT_EQ(view_.Status(), "");
    EXPECT_EQ(view_.FocusCount(), 1);
    EXPECT_EQ(r.info.typeName, "JPG");
    EXPECT_TRUE(r.info.extensionMatches);
}

TEST_F(CheckFileTest, JpegNamedJpegWithTheDrawingCheckOff) {
    const std::string path = Write("a.jpeg", RealJpeg(16, 8, 1, 300, 300));
    const CheckResult r = Check(path, false);
    const Lines expected = {
        "",
        " ファイル名　：a.jpeg（拡張子不正）",
        " 画像型式　　：JPG 型式",
        PlainSize(SizeOf(path)),
        Width(16),
        Height(8),
        kDateLine,
    };
    EXPECT_EQ(view_.Lines(), expected);
    EXPECT_FALSE(r.info.extensionMatches);
}

TEST_F(CheckFileTest, OtherImagesWithTheDrawingCheckOn) {
    const Bytes png = test::PngIhdr(640, 480);
    const std::string size = PlainSize(png.size());
    const struct {
        const char* name;
        Lines head;  // the lines before width, height and date
    } rows[] = {
        {"a.png",
         {"", " ファイル名　：a.png 【画像型式が違います。】", " 画像型式　　：PNG", size}},
        {"a.tif", {"", " ファイル名　：a.tif（拡張子不正）", " 画像型式　　：PNG 型式"}},
        {"a.TIF", {"", " ファイル名　：a.TIF（拡張子不正）", " 画像型式　　：PNG 型式"}},
        // Only ".tif" and ".TIF" exactly drop the data-size line.
        {"a.Tif", {"", " ファイル名　：a.Tif（拡張子不正）", " 画像型式　　：PNG 型式", size}},
        {"a.tiff", {"", " ファイル名　：a.tiff（拡張子不正）", " 画像型式　　：PNG 型式", size}},
        {"a.bmp", {"", " ファイル名　：a.bmp（拡張子不正）", " 画像型式　　：PNG 型式", size}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        view_.Clear();
        const std::string path = Write(row.name, png);
        const CheckResult r = Check(path, true);
        Lines expected = row.head;
        expected.push_back(Width(640));
        expected.push_back(Height(480));
        expected.push_back(kDateLine);
        EXPECT_EQ(view_.Lines(), expected);
        EXPECT_EQ(view_.Status(), "");
        EXPECT_FALSE(r.verdict.ran);
        EXPECT_FALSE(r.verdict.Passed());
    }
}

TEST_F(CheckFileTest, MetafilesWithTheDrawingCheckOff) {
    const struct {
        const char* name;
        Bytes bytes;
        Lines lines;
    } rows[] = {
        {"a.emf",
         test::EmfHeader(99, 49),
         {"", " ファイル名　：a.emf", " 画像型式　　：emf 型式", " 解像度　　　：-", PlainSize(88),
          Width(100), Height(50), kDateLine}},
        // The signed bounds are written as unsigned 32-bit numbers.
        {"a.wmf",
         test::PlaceableWmf(-1, 20),
         {"", " ファイル名　：a.wmf", " 画像型式　　：wmf 型式", " 解像度　　　：-", PlainSize(40),
          " 巾　(Width) ：4294967295 pixel", Height(20), kDateLine}},
        {"a.psd",
         test::Psd(1, 30, 40),
         {"", " ファイル名　：a.psd", " 画像型式　　：psd 型式", " 解像度　　　：-", PlainSize(26),
          Width(30), Height(40), kDateLine}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        view_.Clear();
        Check(Write(row.name, row.bytes), false);
        EXPECT_EQ(view_.Lines(), row.lines);
    }
}

TEST_F(CheckFileTest, ShortReports) {
    const std::string kUnknown = " 画像型式　　：不明・未対応型式";
    const Bytes exe = Concat(AsBytes("MZ"), Filled(64));
    const Bytes zip = Concat(AsBytes("PK"), Bytes{3, 4, 20, 0});
    const Bytes pdf = AsBytes("%PDF-1.4\n");
    const struct {
        const char* name;
        Bytes bytes;
        bool ghostscript;
        std::string typeLine;
    } rows[] = {
        {"a.exe", exe, false, " 画像型式　　：Exe or Dllファイル"},
        {"a.DLL", exe, false, " 画像型式　　：Exe or Dllファイル"},
        {"a.bin", exe, false, " 画像型式　　：Exe or Dllファイル（拡張子が違います。）"},
        {"a.zip", zip, false, " 画像型式　　：Zip 型式圧縮ファイル"},
        {"a.ZIP", zip, false, " 画像型式　　：Zip 型式圧縮ファイル"},
        {"a.docx", zip, false, " 画像型式　　：Zip 型式圧縮ファイル（拡張子が違います。）"},
        {"a.pdf", pdf, false, " 画像型式　　：PDF ファイル"},
        {"b.PDF", pdf, true, " 画像型式　　：PDF ファイル"},
        {"a.txt", pdf, true, " 画像型式　　：PDF ファイル（拡張子が違います。）"},
        {"b.txt", AsBytes("just text\n"), false, kUnknown},
        {"empty.tif", {}, false, kUnknown},
        {"bigtiff.tif",
         {0x49, 0x49, 0x2B, 0x00, 8, 0, 0, 0, 0, 0, 0, 0, 16, 0, 0, 0},
         false,
         kUnknown},
    };
    for (bool drawingCheck : {true, false}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(row.name) + (drawingCheck ? " check on" : " check off"));
            CollectingReportView view;
            view.SetStatus("before");
            const std::string path = Write(row.name, row.bytes);
            CheckOptions options;
            options.drawingCheck = drawingCheck;
            options.ghostscriptAvailable = row.ghostscript;
            const CheckResult r = CheckFile(path, options, view);
            const Lines expected = {"", std::string(" ファイル名　：") + row.name, row.typeLine};
            EXPECT_EQ(view.Lines(), expected);
            EXPECT_EQ(view.Status(), "");
            EXPECT_EQ(view.FocusCount(), 0);
            EXPECT_FALSE(r.info.headerRead);
            EXPECT_FALSE(r.verdict.Passed());
        }
    }
}

TEST_F(CheckFileTest, PathsThatNameNoFile) {
    std::vector<std::pair<std::string, std::string>> paths = {
        {dir_.File("missing.tif"), "missing.tif"},
    };
    const std::string folder = dir_.File("folder.tif");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    paths.push_back({folder, "folder.tif"});
    const std::string fifo = dir_.File("pipe.tif");
    if (::mkfifo(fifo.c_str(), 0600) == 0) paths.push_back({fifo, "pipe.tif"});
    for (const auto& [path, name] : paths) {
        SCOPED_TRACE(name);
        view_.Clear();
        CheckResult r;
        ASSERT_NO_THROW(r = Check(path, true, true));
        const Lines expected = {"", " FilePath    ：" + dir_.Path() + "/", " ファイル名　：" + name,
                                " 画像型式　　：不明・未対応型式"};
        EXPECT_EQ(view_.Lines(), expected);
        EXPECT_EQ(view_.Status(), "");
        EXPECT_EQ(r.info.typeCode, kTypeUnknown);
    }
}

TEST_F(CheckFileTest, FailedTiffAnalysis) {
    TiffFields noBits;
    noBits.bitsPerSample.reset();
    TiffBuilder pastEnd;
    pastEnd.AddPage(TiffEntries({}));
    pastEnd.FirstIfdOffset(0x01000000u);
    const Bytes files[] = {test::DrawingTiff(noBits, Endian::Little, 150000), pastEnd.Build()};
    const std::string kStatus = "　ファイル名【 tatemono1.tif 】 は 解析に失敗しました。";
    for (const Bytes& bytes : files) {
        const std::string path = Write("tatemono1.tif", bytes);
        {
            SCOPED_TRACE("after another report");
            CollectingReportView view;
            const CheckResult r = CheckFile(path, CheckOptions{}, view);
            const Lines expected = {
                "",
                " ファイル名　：tatemono1.tif 【解析失敗】",
                "",
                " ファイル名　：tatemono1.tif",
                " 画像型式　　：不明・未対応型式",
            };
            EXPECT_EQ(view.Lines(), expected);
            EXPECT_EQ(view.Status(), kStatus);
            EXPECT_EQ(view.FocusCount(), 0);
            EXPECT_FALSE(r.info.headerRead);
            EXPECT_FALSE(r.verdict.Passed());
        }
        {
            SCOPED_TRACE("while the usage text shows");
            CollectingReportView view(true);
            view.AppendLine("使い方の説明");
            CheckFile(path, CheckOptions{}, view);
            const Lines expected = {"", " ファイル名　：tatemono1.tif",
                                    " 画像型式　　：不明・未対応型式"};
            EXPECT_EQ(view.Lines(), expected);
            EXPECT_EQ(view.Status(), kStatus);
            EXPECT_FALSE(view.ShowingUsage());
        }
    }
}

TEST_F(CheckFileTest, FirstReportReplacesTheUsageText) {
    CollectingReportView view(true);
    view.AppendLine("使い方\r\n二行目");
    ASSERT_EQ(view.Lines().size(), 2u);
    const std::string a = Write("a.gif", test::Gif("89a", 3, 4));
    const std::string b = Write("b.zip", AsBytes("PK\x03\x04"));
    CheckOptions off;
    off.drawingCheck = false;
    CheckFile(a, off, view);
    EXPECT_FALSE(view.ShowingUsage());
    ASSERT_FALSE(view.Lines().empty());
    EXPECT_EQ(view.Lines()[0], "");
    EXPECT_EQ(view.Lines()[1], " ファイル名　：a.gif");
    const size_t first = view.Lines().size();
    // A second report is added below the first.
    CheckFile(b, off, view);
    const Lines tail(view.Lines().begin() + static_cast<long>(first), view.Lines().end());
    EXPECT_EQ(tail, (Lines{"", " ファイル名　：b.zip", " 画像型式　　：Zip 型式圧縮ファイル"}));
}

TEST_F(CheckFileTest, MidnightIsTheDateAlone) {
    const std::string path = Write("a.gif", test::Gif("89a", 3, 4));
    test::SetModifiedTime(path, 1614265201);  // 2021-02-26 00:00:01 JST
    Check(path, false);
    ASSERT_FALSE(view_.Lines().empty());
    EXPECT_EQ(view_.Lines().back(), " 日付時刻　　：2021/02/26");
    view_.Clear();
    test::SetModifiedTime(path, 1614351599);  // 23:59:59
    Check(path, false);
    EXPECT_EQ(view_.Lines().back(), " 日付時刻　　：2021/02/26 23:59:58");
}

TEST_F(CheckFileTest, ReadOnlyFileKeepsItsMode) {
    const std::string path = Write("tatemono1.tif", test::DrawingTiff({}, Endian::Little, 150000));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    const CheckResult r = Check(path);
    EXPECT_TRUE(r.verdict.Passed());
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_EQ(st.st_mtime, kWhen);
}

// ---------------------------------------------------------------------------------------
// Errors end the check before anything is written

TEST_F(CheckFileTest, ErrorsWriteNothing) {
    TiffFields zeroDen;
    zeroDen.xResolution = {{400, 0}};
    TiffFields zeroWidth;
    zeroWidth.width = 0;
    const struct {
        const char* name;
        Bytes bytes;
        const char* text;  // after the path; nullptr: only the start is known
    } rows[] = {
        {"a.bmp", test::BmpWithHeaderSize(8, 20), "    \r\n不正な BMP ファイルです"},
        {"b.bmp", Concat(AsBytes("BM"), Filled(8)), "    \r\n不正な BMP ファイルです"},
        {"a.jpg", test::JpegBuilder().Soi().Segment(0xFFE0, 14).Build(),
         "    \r\n不正な JPG ファイルです"},
        {"a.gif", test::Gif("88a", 3, 4), "    \r\n不正な GIF ファイルです"},
        {"a.wmf", test::PlaceableWmf(10, 10, false), "    \r\n不正な WMF ファイルです"},
        {"a.emf", test::EmfHeader(10, 10, 5), "    \r\n不正な EMF ファイルです"},
        {"a.psd", test::Psd(2, 1, 1), "    \r\n不正な PSD ファイルです"},
        {"a.png", test::PngIhdr(5, 5, "IEND"), "    \r\n不正な PNG ファイルです"},
        {"cut.gif", AsBytes("GIF89a"), "\r\n画像サイズがゼロです。"},
        {"zero.png", test::PngIhdr(0, 10), "\r\n画像サイズがゼロです。"},
        {"zero.tif", test::DrawingTiff(zeroWidth), "\r\n画像サイズがゼロです。"},
        {"tatemono1.tif", test::DrawingTiff(zeroDen), nullptr},
    };
    for (bool usage : {false, true}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(row.name) + (usage ? " usage" : ""));
            CollectingReportView view(usage);
            if (usage) view.AppendLine("使い方");
            view.SetStatus("before");
            const std::string path = Write(row.name, row.bytes);
            try {
                CheckFile(path, CheckOptions{}, view);
                ADD_FAILURE() << "no error";
            } catch (const Error& e) {
                const std::string text = e.what();
                if (row.text) {
                    EXPECT_EQ(text, path + row.text);
                } else {
                    EXPECT_EQ(text.rfind(path + "\r\n", 0), 0u) << text;
                    EXPECT_GT(text.size(), path.size() + 2);
                }
            }
            EXPECT_EQ(view.Lines(), usage ? Lines{"使い方"} : Lines{});
            EXPECT_EQ(view.Status(), "");
            EXPECT_EQ(view.ShowingUsage(), usage);
            EXPECT_EQ(view.FocusCount(), 0);
        }
    }
}

// ---------------------------------------------------------------------------------------
// The resolution text of the report without drawing check

TEST_F(CheckFileTest, ResolutionText) {
    const struct {
        const char* what;
        Bytes bytes;
        const char* text;
    } rows[] = {
        {"JFIF 300 dpi", RealJpeg(8, 8, 1, 300, 300), "300 x 300 dpi"},
        {"JFIF 72 x 96 dpi", RealJpeg(8, 8, 1, 72, 96), "72 x 96 dpi"},
        {"JFIF 200 x 150 dpi", RealJpeg(8, 8, 1, 200, 150), "200 x 150 dpi"},
        {"JFIF 118 dots per cm", RealJpeg(8, 8, 2, 118, 118), "300 x 300 dpi"},
        {"text", AsBytes("no image\n"), "-"},
        {"empty", {}, "-"},
        {"header-only JPEG", test::JpegBuilder().Soi().Marker(0xFFD9).Build(), "-"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string path = Write("r.jpg", row.bytes);
        EXPECT_EQ(ResolutionText(path), row.text);
    }
    EXPECT_EQ(ResolutionText(dir_.File("missing.jpg")), "-");
}

}  // namespace
}  // namespace vellumo

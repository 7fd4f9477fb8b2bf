// The PDF conversion: the converter's command piece by piece, the wait texts, and real
// conversions by Ghostscript of PDFs made for each case (both devices, the resolution list,
// page 1 only, paths with spaces and Japanese names, PDFs it rejects), plus a converter
// that never ends.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tiffio.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Error.h"
#include "platform/ImageDecoder.h"
#include "support/PdfFiles.h"
#include "support/TempDir.h"
#include "viewer/PdfConversion.h"

namespace vellumo {
namespace {

using namespace std::chrono_literals;
using test::TempDir;

PdfConversionOptions Options(const std::string& resolution, bool monochrome) {
    PdfConversionOptions o;
    o.resolutionText = resolution;
    o.monochrome = monochrome;
    return o;
}

TEST(PdfConversion, TheCommandPieceByPieceAsArgumentsAndAsALine) {
    // The Windows installation's example, character for character.
    auto pieces = PdfConverterCommand("C:\\gs\\bin\\gswin64c.exe", "D:\\pdf\\a.pdf",
                                      "C:\\app\\tmp.tif", Options("400", true));
    EXPECT_EQ(CommandLineText(pieces),
              "\"C:\\gs\\bin\\gswin64c.exe\" -dFirstPage=1 -dLastPage=1 -dSAFER -dBATCH "
              "-dNOPAUSE -dFirstPage=1 -dLastPage=1 -sDEVICE=tiffg4 -r400 "
              "-sOutputFile=\"C:\\app\\tmp.tif\" \"D:\\pdf\\a.pdf\"");

    // The same pieces as a process gets them: no quotes, spaces and names as they are.
    pieces = PdfConverterCommand("/usr/bin/gs", "/図面/平面 図.pdf", "/app dir/tmp.tif",
                                 Options("指定しない", false));
    EXPECT_EQ(CommandArguments(pieces),
              (std::vector<std::string>{"/usr/bin/gs", "-dFirstPage=1", "-dLastPage=1",
                                        "-dSAFER", "-dBATCH", "-dNOPAUSE", "-dFirstPage=1",
                                        "-dLastPage=1", "-sDEVICE=tiff24nc",
                                        "-sOutputFile=/app dir/tmp.tif", "/図面/平面 図.pdf"}));
    EXPECT_EQ(CommandLineText(pieces).substr(CommandLineText(pieces).find("-sDEVICE")),
              "-sDEVICE=tiff24nc -sOutputFile=\"/app dir/tmp.tif\" \"/図面/平面 図.pdf\"");

    // What Ghostscript would read otherwise: a page-number format, an option, an argument
    // file, a device.
    const auto args = CommandArguments(
        PdfConverterCommand("gs", "-x.pdf", "/100%/tmp.tif", Options("200", true)));
    EXPECT_EQ(args.end()[-2], "-sOutputFile=/100%%/tmp.tif");
    EXPECT_EQ(args.back(), "./-x.pdf");
    EXPECT_EQ(CommandArguments(PdfConverterCommand("gs", "@a", "o", {})).back(), "./@a");
    EXPECT_EQ(CommandArguments(PdfConverterCommand("gs", "%a", "o", {})).back(), "./%a");
    EXPECT_EQ(CommandArguments(PdfConverterCommand("gs", "/d/-a", "o", {})).back(), "/d/-a");

    EXPECT_EQ(PdfResolution("600"), 600);
    for (const char* none : {"指定しない", "0", "", "-200", "+200", " 400", "4OO", "99999999999"})
        EXPECT_FALSE(PdfResolution(none)) << none;

    EXPECT_EQ(PdfTempFilePath("/app"), "/app/tmp.tif");
    EXPECT_EQ(PdfTempFilePath("/app/"), "/app/tmp.tif");

    EXPECT_EQ(PdfWaitText(0ms), kPdfConvertText);
    EXPECT_EQ(PdfWaitText(999ms), kPdfConvertText);
    EXPECT_EQ(PdfWaitText(1000ms), kPdfConvertWait1Text);
    EXPECT_EQ(PdfWaitText(2999ms), kPdfConvertWait1Text);
    EXPECT_EQ(PdfWaitText(3000ms), kPdfConvertWait2Text);
    EXPECT_EQ(PdfWaitText(60s), kPdfConvertWait2Text);
}

TEST(PdfConversion, AConverterThatCannotStartOrDoesNotEnd) {
    TempDir dir;
    const std::string out = dir.File("tmp.tif");
    EXPECT_THROW(StartPdfConversion(dir.File("no-gs"), dir.File("a.pdf"), out, {}), Error);

    // A converter that writes part of its file and then hangs: stopped at the limit, and
    // the part is gone with it.
    const std::string hanging = dir.Write("hanging-gs",
                                          "#!/bin/sh\n"
                                          "for a; do case $a in -sOutputFile=*) o=${a#*=};; esac; done\n"
                                          "echo part > \"$o\"\nexec sleep 30\n");
    ::chmod(hanging.c_str(), 0755);
    Process p = StartPdfConversion(hanging, dir.File("a.pdf"), out, {});
    std::vector<std::chrono::milliseconds> slices;
    const PdfConversionEnd end = FinishPdfConversion(
        p, out, 300ms, [&](std::chrono::milliseconds elapsed) { slices.push_back(elapsed); });
    EXPECT_EQ(end, PdfConversionEnd::TimedOut);
    ASSERT_TRUE(p.End());
    EXPECT_FALSE(p.End()->exited);
    EXPECT_FALSE(std::filesystem::exists(out));
    ASSERT_GE(slices.size(), 2u);
    EXPECT_TRUE(std::is_sorted(slices.begin(), slices.end()));
    EXPECT_LT(slices.back(), 300ms);
}

/// The TIFF Ghostscript wrote, as libtiff reads it.
struct TiffFacts {
    uint16_t bits = 0, samples = 0, compression = 0;
    uint32_t width = 0, height = 0;
    float xres = 0, yres = 0;
    int pages = 0;
};

TiffFacts ReadFacts(const std::string& path) {
    TiffFacts f;
    TIFF* t = TIFFOpen(path.c_str(), "r");
    if (!t) return f;
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &f.bits);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &f.samples);
    TIFFGetFieldDefaulted(t, TIFFTAG_COMPRESSION, &f.compression);
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &f.width);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &f.height);
    TIFFGetField(t, TIFFTAG_XRESOLUTION, &f.xres);
    TIFFGetField(t, TIFFTAG_YRESOLUTION, &f.yres);
    f.pages = TIFFNumberOfDirectories(t);
    TIFFClose(t);
    return f;
}

/// Blue, green, red of the decoded pixel at (x, y).
std::array<int, 3> Pixel(const Bitmap& b, uint32_t x, uint32_t y) {
    const uint8_t* p = b.Row(y) + 4 * x;
    return {p[0], p[1], p[2]};
}

class PdfConversionWithGhostscript : public ::testing::Test {
protected:
    /// Converts `pdf` into `out` as the viewer does; the result of the wait.
    PdfConversionEnd Convert(const std::string& pdf, const std::string& out,
                             const PdfConversionOptions& options) {
        Process p = StartPdfConversion(gs, pdf, out, options);
        return FinishPdfConversion(p, out, kPdfConversionLimit, nullptr);
    }
    TempDir dir;
    std::string gs = test::GhostscriptProgram();
};

TEST_F(PdfConversionWithGhostscript, EachDeviceAtTheChosenResolutionFromPageOneOnly) {
    VELLUMO_REQUIRE_GHOSTSCRIPT(program);
    const std::string pdf = dir.File("pages.pdf");
    ASSERT_TRUE(test::MakeThreePagePdf(program, pdf));
    const std::string out = dir.File("tmp.tif");

    // "モノクロ２値": a one-bit G4 page at the chosen resolution; page 1 alone (black on
    // the left, white on the right: not page 2 or 3).
    ASSERT_EQ(Convert(pdf, out, Options("200", true)), PdfConversionEnd::Converted);
    TiffFacts f = ReadFacts(out);
    EXPECT_EQ(f.bits, 1);
    EXPECT_EQ(f.compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(f.width, 200u);
    EXPECT_EQ(f.height, 100u);
    EXPECT_EQ(f.xres, 200.f);
    EXPECT_EQ(f.pages, 1);
    DecodedImage image = DecodeImage(out);
    EXPECT_EQ(image.pixelFormatName, "BlackWhite");
    EXPECT_EQ(Pixel(image.picture, 10, 50), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(Pixel(image.picture, 150, 50), (std::array<int, 3>{255, 255, 255}));

    // "24bitカラー": the page in colour; the old file was replaced.
    ASSERT_EQ(Convert(pdf, out, Options("300", false)), PdfConversionEnd::Converted);
    f = ReadFacts(out);
    EXPECT_EQ(f.bits, 8);
    EXPECT_EQ(f.samples, 3);
    EXPECT_EQ(f.width, 300u);
    EXPECT_EQ(f.pages, 1);
    image = DecodeImage(out);
    EXPECT_EQ(Pixel(image.picture, 15, 75), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(Pixel(image.picture, 110, 75), (std::array<int, 3>{0, 0, 255}));
    EXPECT_EQ(Pixel(image.picture, 250, 75), (std::array<int, 3>{255, 255, 255}));

    // "指定しない": no -r, so Ghostscript's own default for the fax device.
    ASSERT_EQ(Convert(pdf, out, Options("指定しない", true)), PdfConversionEnd::Converted);
    f = ReadFacts(out);
    EXPECT_EQ(f.xres, 204.f);
    EXPECT_EQ(f.yres, 196.f);
    EXPECT_EQ(f.width, 204u);
}

TEST_F(PdfConversionWithGhostscript, PathsWithSpacesAndJapaneseNamesAndRejectedPdfs) {
    VELLUMO_REQUIRE_GHOSTSCRIPT(program);
    // Spaces, Japanese names and a per cent sign, in the PDF's folder and the program's;
    // and a read-only PDF, which the converter only reads.
    const std::filesystem::path in = dir.File("図面 フォルダ 100%"), prog = dir.File("プログラム 先");
    std::filesystem::create_directories(in);
    std::filesystem::create_directories(prog);
    const std::string pdf = (in / "平面図 第１版.pdf").string();
    ASSERT_TRUE(test::MakeThreePagePdf(program, dir.File("pages.pdf")));
    std::filesystem::copy_file(dir.File("pages.pdf"), pdf);
    ::chmod(pdf.c_str(), 0444);
    const std::string out = PdfTempFilePath((prog / "100% 出力").string());
    std::filesystem::create_directories(std::filesystem::path(out).parent_path());
    ASSERT_EQ(Convert(pdf, out, Options("200", true)), PdfConversionEnd::Converted);
    EXPECT_EQ(ReadFacts(out).width, 200u);

    // Bytes Ghostscript rejects (it fails), and a PDF header over nothing (it ends well
    // but writes no page): both fail, and no file is left, not even the earlier page.
    const std::string garbage = dir.Write("bad.pdf", std::string(2000, '\x9c'));
    EXPECT_EQ(Convert(garbage, out, Options("200", true)), PdfConversionEnd::Failed);
    EXPECT_FALSE(std::filesystem::exists(out));
    ASSERT_EQ(Convert(pdf, out, Options("200", true)), PdfConversionEnd::Converted);
    const std::string empty = dir.Write("empty.pdf", std::string("%PDF-1.4\n%%EOF\n"));
    EXPECT_EQ(Convert(empty, out, Options("200", true)), PdfConversionEnd::Failed);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(Convert(dir.File("missing.pdf"), out, Options("200", true)),
              PdfConversionEnd::Failed);
}

}  // namespace
}  // namespace vellumo

// The PDF conversion: the converter's command piece by piece, the wait texts, and real
// conversions by Ghostscript (both devices, page 1 only, PDFs it cannot read). The window
// tests add the pictures, the names and a converter that does not end.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tiffio.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "document/PdfConversion.h"
#include "support/PdfFiles.h"
#include "support/TempDir.h"

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
              (std::vector<std::string>{"/usr/bin/gs", "-dFirstPage=1", "-dLastPage=1", "-dSAFER",
                                        "-dBATCH", "-dNOPAUSE", "-dFirstPage=1", "-dLastPage=1",
                                        "-sDEVICE=tiff24nc", "-sOutputFile=/app dir/tmp.tif",
                                        "/図面/平面 図.pdf"}));

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

    // The wait texts at the moments the polling showed them: 1 s and 3 s.
    EXPECT_EQ(PdfWaitText(999ms), kPdfConvertText);
    EXPECT_EQ(PdfWaitText(1000ms), kPdfConvertWait1Text);
    EXPECT_EQ(PdfWaitText(2999ms), kPdfConvertWait1Text);
    EXPECT_EQ(PdfWaitText(3000ms), kPdfConvertWait2Text);
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

TEST(PdfConversionWithGhostscript, PageOneInEitherDeviceAndWhatGhostscriptCannotRead) {
    VELLUMO_REQUIRE_GHOSTSCRIPT(program);
    TempDir dir;
    auto convert = [&](const std::string& pdf, const std::string& out, bool monochrome) {
        Process p = StartPdfConversion(program, pdf, out, Options("200", monochrome));
        return FinishPdfConversion(p, out, kPdfConversionLimit, nullptr);
    };
    // A per cent sign in the program's folder; a read-only PDF, which is only read.
    std::filesystem::create_directories(dir.File("100% 出力"));
    const std::string out = PdfTempFilePath(dir.File("100% 出力"));
    const std::string pdf = dir.File("pages.pdf");
    ASSERT_TRUE(test::MakeThreePagePdf(program, pdf));
    ::chmod(pdf.c_str(), 0444);

    ASSERT_EQ(convert(pdf, out, true), PdfConversionEnd::Converted);
    TiffFacts f = ReadFacts(out);
    EXPECT_EQ(f.bits, 1);
    EXPECT_EQ(f.compression, COMPRESSION_CCITTFAX4);
    EXPECT_EQ(f.width, 200u);
    EXPECT_EQ(f.xres, 200.f);
    EXPECT_EQ(f.pages, 1);
    ASSERT_EQ(convert(pdf, out, false), PdfConversionEnd::Converted);
    f = ReadFacts(out);
    EXPECT_EQ(f.bits, 8);
    EXPECT_EQ(f.samples, 3);
    EXPECT_EQ(f.pages, 1);

    // Bytes Ghostscript rejects (it fails), a PDF header over nothing (it ends well but
    // writes no page), a PDF that is not there: each fails and leaves no file, not even
    // the page converted before.
    const std::string garbage = dir.Write("bad.pdf", std::string(2000, '\x9c'));
    const std::string empty = dir.Write("empty.pdf", std::string("%PDF-1.4\n%%EOF\n"));
    for (const std::string& bad : {garbage, empty, dir.File("missing.pdf")}) {
        SCOPED_TRACE(bad);
        ASSERT_EQ(convert(pdf, out, true), PdfConversionEnd::Converted);
        EXPECT_EQ(convert(bad, out, true), PdfConversionEnd::Failed);
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

}  // namespace
}  // namespace vellumo

#pragma once
// PDF files for the conversion tests, made by Ghostscript itself from small PostScript
// programs. Where Ghostscript is missing the tests say so and skip.

#include <string>
#include <vector>

namespace vellumo::test {

/// The Ghostscript program as the checker finds it without a GsDir; empty when none.
std::string GhostscriptProgram();

/// Skips the test when there is no Ghostscript; else `program` names it.
#define VELLUMO_REQUIRE_GHOSTSCRIPT(program)                                              \
    const std::string program = ::vellumo::test::GhostscriptProgram();                    \
    if (program.empty())                                                                  \
    GTEST_SKIP() << "Ghostscript (gs, Debian package ghostscript) is not installed: the " \
                    "PDF conversion is not tested"

/// Writes at `path` a PDF that Ghostscript makes of pages of `width` × `height` points,
/// one PostScript body each. Fails the test (and returns false) when it cannot.
bool MakePdf(const std::string& program, const std::string& path, double width, double height,
             const std::vector<std::string>& pages);

/// Three pages of 1 × 0.5 inch (200 × 100 pixels at 200 dpi), each telling itself apart:
/// page 1 black on its left quarter, red on its second quarter, white on its right half;
/// page 2 black on its right half only; page 3 black all over.
bool MakeThreePagePdf(const std::string& program, const std::string& path);

/// One B4 landscape page, 364 × 257 mm, of grid lines and a title: at 400 dpi a drawing
/// of 5732 × 4047 pixels whose G4 file passes the size rules.
bool MakeB4Pdf(const std::string& program, const std::string& path);

}  // namespace vellumo::test

#include "support/PdfFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "document/FindGhostscript.h"
#include "platform/Process.h"

namespace vellumo::test {

std::string GhostscriptProgram() {
    const GhostscriptResult gs = FindGhostscript(std::string());
    return gs.GhostscriptAvailable ? gs.GhostscriptFolder : std::string();
}

bool MakePdf(const std::string& program, const std::string& path, double width, double height,
             const std::vector<std::string>& pages) {
    std::ostringstream ps;
    ps << "%!PS\n<< /PageSize [" << width << ' ' << height << "] >> setpagedevice\n";
    for (const std::string& body : pages) ps << "gsave\n" << body << "\ngrestore showpage\n";
    const std::string source = path + ".ps";
    std::ofstream(source, std::ios::binary) << ps.str();
    Process gs = Process::Start({program, "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE",
                                 "-sDEVICE=pdfwrite", "-sOutputFile=" + path, source});
    const std::optional<ProcessEnd> end = gs.WaitFor(std::chrono::seconds(30));
    const bool made = end && end->Succeeded();
    EXPECT_TRUE(made) << "Ghostscript made no PDF of " << source;
    return made;
}

bool MakeThreePagePdf(const std::string& program, const std::string& path) {
    return MakePdf(program, path, 72, 36,
                   {"0 0 18 36 rectfill 1 0 0 setrgbcolor 18 0 18 36 rectfill",
                    "36 0 36 36 rectfill", "0 0 72 36 rectfill"});
}

bool MakeB4Pdf(const std::string& program, const std::string& path) {
    // 364 × 257 mm in points.
    return MakePdf(program, path, 364 / 25.4 * 72, 257 / 25.4 * 72,
                   {"0.5 setlinewidth\n"
                    "0 20 1031 { dup 0 moveto 728 lineto } for\n"
                    "0 20 728 { dup 0 exch moveto 1031 exch lineto } for stroke\n"
                    "/Helvetica findfont 48 scalefont setfont 100 300 moveto (B4 drawing) show"});
}

}  // namespace vellumo::test

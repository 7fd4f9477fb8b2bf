#pragma once
// The report driver: the block of report lines and the status text for one file.

#include <cstdint>
#include <string>
#include <vector>

#include "check/DrawingJudgement.h"
#include "check/ReportView.h"
#include "inspect/ImageInfo.h"

namespace vellumo {

struct CheckOptions {
    bool drawingCheck = true;  ///< "図面のチェック"
    bool showPath = false;     ///< "Pathも表示"
    bool ghostscriptAvailable = false;
};

struct CheckResult {
    ImageInfo info;
    /// The drawing check's lines as written (empty when it did not run).
    std::vector<JudgedLine> judgedLines;
    DrawingVerdict verdict;
};

/// The plain data-size line: KB up to 1,048,576 bytes, MB above.
std::string PlainDataSizeLine(uint64_t size);
/// The report's resolution text from the platform decoder ("96 x 96 dpi", "-").
std::string ResolutionText(const std::string& path);

/// Writes the report block of one file to `view`. Throws Error (invalid header, zero size,
/// file access, a zero RATIONAL denominator) before anything is written; the status line
/// is then empty. The report names the file by `shownPath` (the name and folder as the
/// user should read them; the name rule judges that name), by default `path` itself; the
/// folder line shows it as an absolute path, whatever folder the program runs in.
CheckResult CheckFile(const std::string& path, const CheckOptions& options, ReportView& view,
                      const std::string& shownPath = {});

}  // namespace vellumo

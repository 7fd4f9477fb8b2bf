#pragma once
// The drawing check of one TIFF as judged lines: each report line of the drawing rules with
// what it judged and whether it confirmed it. The report, the command line and the drawing
// prediction all take their lines and their verdict from here.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "inspect/ImageInfo.h"

namespace vellumo {

/// The nine properties the drawing check judges, each confirmed by a line in 【確認】.
enum class JudgedItem {
    Name,
    ImageType,
    Compression,
    BitDepth,
    Orientation,
    Resolution,
    DataSize,
    PageCount,
    PaperSize
};
inline constexpr size_t kJudgedItemCount = 9;

/// One line the drawing check writes.
struct JudgedLine {
    /// The property the line judges; nothing for the lines that only add to a judgement
    /// (the resolution unit, the paper-size detail, a data size that cannot be computed).
    std::optional<JudgedItem> item;
    std::string text;
    /// The line ends in 【確認】.
    bool confirmed = false;
    friend bool operator==(const JudgedLine&, const JudgedLine&) = default;
};

/// How a drawing check came out, line by line.
struct DrawingVerdict {
    bool ran = false;  ///< the drawing check was on and the file is a TIFF
    std::array<bool, kJudgedItemCount> confirmed{};  ///< by JudgedItem
    int faultLines = 0;  ///< drawing-rule lines that do not end in 【確認】
    /// Every judged line was written and confirmed, and no other rule line named a fault.
    bool Passed() const;
};

/// The report's line for a data size that cannot be judged (a resolution unit other than
/// inch or none), with the drawing check on or off.
inline constexpr std::string_view kUncomputableDataSizeLine =
    " データサイズ： *** 【計算できません】";

/// The lines of a TIFF's report with the drawing check on, from the file-name line to the
/// paper size, in report order: the name rule, then the drawing rules (the data-size line
/// only when the resolution unit is 0 or 2, otherwise the line that says it cannot be
/// computed, after the page count). `size` is the file's size in bytes.
std::vector<JudgedLine> JudgeDrawing(std::string_view fileName, const ImageInfo& info,
                                     uint64_t size);

/// The verdict of the judged lines of one check (`ran` is true).
DrawingVerdict VerdictOf(const std::vector<JudgedLine>& lines);

}  // namespace vellumo

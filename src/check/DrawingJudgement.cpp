#include "check/DrawingJudgement.h"

#include "check/DrawingRules.h"
#include "check/NameRule.h"

namespace vellumo {

namespace {

void Add(std::vector<JudgedLine>& out, std::optional<JudgedItem> item, const RuleLines& lines) {
    for (const RuleLine& line : lines) out.push_back({item, line.text, line.confirmed});
}

}  // namespace

bool DrawingVerdict::Passed() const {
    if (!ran || faultLines != 0) return false;
    for (bool c : confirmed)
        if (!c) return false;
    return true;
}

std::vector<JudgedLine> JudgeDrawing(std::string_view fileName, const ImageInfo& info,
                                     uint64_t size) {
    std::vector<JudgedLine> lines;
    Add(lines, JudgedItem::Name, {NameRuleLine(std::string(fileName))});
    Add(lines, JudgedItem::ImageType, ImageTypeRuleLines());
    Add(lines, JudgedItem::Compression, CompressionRuleLines(info));
    Add(lines, JudgedItem::BitDepth, BitDepthRuleLines(info));
    Add(lines, JudgedItem::Orientation, OrientationRuleLines(info));
    Add(lines, JudgedItem::Resolution, ResolutionRuleLines(info));
    Add(lines, std::nullopt, ResolutionUnitRuleLines(info));
    const bool sizeComputable = info.resolutionUnit == 0 || info.resolutionUnit == 2;
    if (sizeComputable) Add(lines, JudgedItem::DataSize, DataSizeRuleLines(size));
    Add(lines, JudgedItem::PageCount, PageCountRuleLines(info));
    if (!sizeComputable) Add(lines, std::nullopt, {{std::string(kUncomputableDataSizeLine)}});
    // The first paper line judges the size; the detail line only tells the exact measures.
    const RuleLines paper = PaperSizeRuleLines(info);
    Add(lines, JudgedItem::PaperSize, {paper.front()});
    Add(lines, std::nullopt, RuleLines(paper.begin() + 1, paper.end()));
    return lines;
}

DrawingVerdict VerdictOf(const std::vector<JudgedLine>& lines) {
    DrawingVerdict verdict;
    verdict.ran = true;
    for (const JudgedLine& line : lines) {
        if (line.confirmed && line.item) verdict.confirmed[static_cast<size_t>(*line.item)] = true;
        if (!line.confirmed) ++verdict.faultLines;
    }
    return verdict;
}

}  // namespace vellumo

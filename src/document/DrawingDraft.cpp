#include "document/DrawingDraft.h"

#include "check/DrawingRules.h"
#include "check/NameRule.h"
#include "check/ReportFormat.h"
#include "document/DrawingPage.h"
#include "document/DrawingPipeline.h"
#include "document/DrawingPrediction.h"
#include "imaging/Threshold.h"

namespace vellumo {

std::string DrawingFileName(std::string_view kind, std::string_view number) {
    std::string name(kind);
    name += number;
    name += ".tif";
    return name;
}

std::optional<std::pair<std::string, std::string>> DrawingNameParts(std::string_view stem) {
    for (std::string_view kind : kDrawingKinds) {
        if (!stem.starts_with(kind)) continue;
        const std::string_view number = stem.substr(kind.size());
        const bool digits = !number.empty() && number.size() <= 5 &&
                            number.find_first_not_of("0123456789") == std::string_view::npos;
        if (digits) return std::pair{std::string(kind), std::string(number)};
    }
    return std::nullopt;
}

std::optional<std::string> DrawingNameRefusal(const std::string& fileName) {
    const RuleLine line = NameRuleLine(fileName);
    if (line.confirmed) return std::nullopt;
    // The verdict is the line's bracketed end, as the report names the fault.
    const size_t open = line.text.rfind("【");
    const std::string verdict = open == std::string::npos ? std::string() : line.text.substr(open);
    return "　" + fileName + " は図面のファイル名になりません" + verdict + "。　";
}

std::optional<std::string> DrawingFitNeeded(const Bitmap& picture,
                                            const ViewResolution& resolution) {
    if (picture.Empty()) return "　画像データがありません。　";
    const bool at400 =
        DrawingDpi(resolution.DpiX) == kDrawingDpi && DrawingDpi(resolution.DpiY) == kDrawingDpi;
    // The same rule the report judges the page with, so a page it confirms is never sent
    // to be fitted again.
    const bool b4 =
        PaperSizeRuleLines(SavedDrawingInfo(picture.Width(), picture.Height())).front().confirmed;
    if (at400 && b4) return std::nullopt;
    const std::string dpi = resolution.DpiX == resolution.DpiY
                                ? FormatFixed(DrawingDpi(resolution.DpiX), 0)
                                : FormatFixed(DrawingDpi(resolution.DpiX), 0) + "×" +
                                      FormatFixed(DrawingDpi(resolution.DpiY), 0);
    return "B4 400dpi に合わせてください（今は " + std::to_string(picture.Width()) + "×" +
           std::to_string(picture.Height()) + "、" + dpi + "dpi）";
}

Bitmap DrawingOfPicture(const Bitmap& source, int threshold) {
    if (source.Format() == PixelFormat::Bit1) return source;
    return ThresholdToMono(source, 255 - threshold);
}

std::string_view JudgedItemLabel(JudgedItem item) {
    switch (item) {
        case JudgedItem::Name:
            return "名前";
        case JudgedItem::ImageType:
            return "形式";
        case JudgedItem::Compression:
            return "圧縮";
        case JudgedItem::BitDepth:
            return "色数";
        case JudgedItem::Orientation:
            return "向き";
        case JudgedItem::Resolution:
            return "解像度";
        case JudgedItem::DataSize:
            return "容量";
        case JudgedItem::PageCount:
            return "頁数";
        case JudgedItem::PaperSize:
            return "用紙";
    }
    return "";
}

std::string DataSizeAgainstLimit(uint64_t bytes) {
    return FormatFixed(double(bytes) / 1024.0, 1) + " KB／300 KB";
}

std::string PredictedVerdictText(const DrawingVerdict& verdict) {
    if (verdict.Passed()) return "合格見込み";
    int faults = 0;
    for (bool confirmed : verdict.confirmed) faults += confirmed ? 0 : 1;
    return "不合格見込み（" + std::to_string(faults) + " 項目）";
}

}  // namespace vellumo

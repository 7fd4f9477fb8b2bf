#include "print/PaperGeometry.h"

#include <cmath>

#include "platform/Rounding.h"

namespace vellumo {

namespace {

// Tenths of a millimetre from printer pixels. The product is taken in 64 bits (a sheet
// wider than 8.4 million pixels would overflow 32), the quotient in floating point and
// truncated toward zero.
int32_t TenthsOfMillimetre(int32_t pixels, int32_t dotsPerInch) {
    if (dotsPerInch == 0) return 0;
    const double tenths = double(int64_t(pixels) * 254) / double(dotsPerInch);
    if (!(std::abs(tenths) < 2147483647.0)) return 0;
    return int32_t(std::trunc(tenths));
}

}  // namespace

PaperScale GetPaperScale(const DeviceCaps& caps) {
    PaperScale s;
    s.PaperWidth = caps.physicalWidth;
    s.PaperHeight = caps.physicalHeight;
    s.PaperWmm = TenthsOfMillimetre(caps.physicalWidth, caps.logPixelsX);
    s.PaperHmm = TenthsOfMillimetre(caps.physicalHeight, caps.logPixelsY);
    s.PaperLO = caps.physicalOffsetX;
    s.PaperTO = caps.physicalOffsetY;
    return s;
}

PageTransform Scalling(const PaperScale& paper) {
    PageTransform t;
    if (paper.PaperWmm != 0) t.scaleX = double(paper.PaperWidth) / double(paper.PaperWmm);
    if (paper.PaperHmm != 0) t.scaleY = double(paper.PaperHeight) / double(paper.PaperHmm);
    t.offsetX = -double(paper.PaperLO);
    t.offsetY = -double(paper.PaperTO);
    return t;
}

const std::array<PaperEntry, 4> kPaperEntries{{
    {"A3（横）", 8, true},
    {"B4（横）", 12, true},
    {"A4（横）", 9, true},
    {"任意用紙", 0, false},
}};

std::optional<PaperChoice> PaperAt(int position) {
    if (position < 0 || position >= int(kPaperEntries.size())) return std::nullopt;
    return PaperChoice(position);
}

PrintLayout LayOutPicture(PaperChoice paper, bool waku, uint32_t imageWidth, uint32_t imageHeight,
                          const PaperScale& sheet) {
    const double r = imageWidth == 0 ? 0.0 : double(imageHeight) / double(imageWidth);
    PrintLayout layout;
    if (paper == PaperChoice::A3) {
        layout.placement = {360, 200, 4000, 200 + RoundHalfEvenToInt(3640 * r)};
        if (waku) layout.frame = LogicalRect{358, 198, 4002, 200 + RoundHalfEvenToInt(3644 * r)};
    } else {
        layout.placement = {0, 0, sheet.PaperWmm, RoundHalfEvenToInt(sheet.PaperWmm * r)};
    }
    return layout;
}

int JobCopies(int copiesAsked, bool printerMakesCopies) {
    return printerMakesCopies ? copiesAsked : 1;
}

std::string JobTitle(std::string_view viewedFile) {
    const size_t slash = viewedFile.find_last_of('/');
    return std::string(slash == std::string_view::npos ? viewedFile : viewedFile.substr(slash + 1));
}

std::string PrintConfirmationText(std::string_view printer) {
    return "ＯＫボタンを押すと直ちに印刷します。準備はよろしいですか？\n\n　出力先 ：［" +
           std::string(printer) + "］";
}

std::string PrinterStatusText(std::string_view printer) {
    return "　出力先（プリンター）　： " + std::string(printer);
}

const char* const kNoPrinterText =
    "プリンターが見つかりません。\nプリンターを登録してから印刷してください。";

const char* const kPresetPrinterName = "DocuWorks Printer";

}  // namespace vellumo

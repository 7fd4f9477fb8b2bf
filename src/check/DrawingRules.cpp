#include "check/DrawingRules.h"

#include <string_view>

#include "check/ReportFormat.h"

namespace vellumo {

namespace {

constexpr std::string_view kImageType = " 画像型式　　：";
constexpr std::string_view kCompression = " 圧縮方式　　：";
constexpr std::string_view kBitDepth = " 色数（bit） ：";
constexpr std::string_view kOrientation = " Orientation ：";
constexpr std::string_view kResolution = " 解像度　　　：";
constexpr std::string_view kResolutionUnit = " 解像度単位　：";
constexpr std::string_view kDataSize = " データサイズ：";
constexpr std::string_view kPageCount = " ページ数　　：";
constexpr std::string_view kPaperSize = " 用紙サイズ　：";
constexpr std::string_view kPaperDetail = " 詳細サイズ　：H= ";

std::string Concat(std::initializer_list<std::string_view> parts) {
    std::string s;
    for (std::string_view p : parts) s += p;
    return s;
}

RuleLine Confirmed(std::initializer_list<std::string_view> parts) { return {Concat(parts), true}; }
RuleLine Fault(std::initializer_list<std::string_view> parts) { return {Concat(parts), false}; }

}  // namespace

std::string CompressionName(uint32_t compression) {
    switch (compression) {
        case 1:
            return "非圧縮";
        case 2:
            return "一次元ﾗﾝﾚﾝｸﾞｽ符号化";
        case 3:
            return "CCITT G3";
        case 4:
            return "CCITT G4";
        case 5:
            return "LZW圧縮";
        case 6:
            return "JPEG圧縮";
        case 7:
            return "JPEG圧縮-２";
        case 32773:
            return "PackBits圧縮";
        case 32946:
            return "ZIP(inTIFF)";
        default:
            return "";
    }
}

std::string OrientationName(uint32_t orientation) {
    switch (orientation) {
        case 1:
            return "１（左上から水平方向）";
        case 2:
            return "２（TOP_RIGHT）";
        case 3:
            return "３（BOT_RIGHT）";
        case 4:
            return "４（BOT_LEFT）";
        case 5:
            return "５（LEFT_TOP）";
        case 6:
            return "６（RIGHT_TOP）";
        case 7:
            return "７（RIGHT_BOT）";
        case 8:
            return "８（LEFT_BOT）";
        default:
            return "";
    }
}

std::string ResolutionUnitText(uint32_t unit) {
    switch (unit) {
        case 0:
            return "【タグがありません。Default→inch】";
        case 1:
            return "なし";
        case 2:
            return "(inch)";
        case 3:
            return "( cm )";
        default:
            return "";
    }
}

RuleLines ImageTypeRuleLines() {
    return {Confirmed({kImageType, "Tif", " 　　　　　　　　　【確認】"})};
}

RuleLines CompressionRuleLines(const ImageInfo& info) {
    if (info.compressionMissing) return {};
    const std::string name = CompressionName(info.compression);
    if (info.compression == 4) return {Confirmed({kCompression, name, "              【確認】"})};
    return {Fault({kCompression, name, " 【圧縮方式が違います。】"})};
}

RuleLines BitDepthRuleLines(const ImageInfo& info) {
    // Several samples a pixel (RGB, gray with alpha) are never one-bit monochrome, even
    // at one bit a sample.
    if (info.samplesPerPixel > 1 || info.bitsPerSample > 1)
        return {Fault({kBitDepth, " ** 【カラー又はグレースケール画像です。】"})};
    if (info.bitsPerSample == 1) return {Confirmed({kBitDepth, "１（bit）モノクロ     【確認】"})};
    return {};
}

RuleLines OrientationRuleLines(const ImageInfo& info) {
    RuleLines lines;
    if (info.orientationMissing) lines.push_back(Fault({kOrientation, "【タグがありません。】"}));
    const std::string name = OrientationName(info.orientation);
    if (info.orientation == 1) {
        lines.push_back(Confirmed({kOrientation, name, "【確認】"}));
    } else if (info.orientation > 1) {
        lines.push_back(Fault({kOrientation, name, "【方向が違います。】"}));
    }
    return lines;
}

RuleLines ResolutionRuleLines(const ImageInfo& info) {
    RuleLines lines;
    const uint32_t x = info.xResolution, y = info.yResolution;
    if (info.xResolutionMissing || info.yResolutionMissing)
        lines.push_back(Fault({kResolution, "【タグがありません。】"}));
    if (!info.xResolutionMissing && (x == 0 || y == 0))
        lines.push_back(Fault({kResolution, "【不明】"}));
    if (!info.xResolutionMissing && x > 1 && y > 1) {
        const std::string t = std::to_string(x) + " x " + std::to_string(y) + " dpi";
        if (x == 400 && y == 400) {
            lines.push_back(Confirmed({kResolution, t, "         【確認】"}));
        } else {
            lines.push_back(Fault({kResolution, t, "      【解像度が違います。】"}));
        }
    }
    return lines;
}

RuleLines ResolutionUnitRuleLines(const ImageInfo& info) {
    if (info.resolutionUnit == 2) return {};
    return {Fault({kResolutionUnit, ResolutionUnitText(info.resolutionUnit)})};
}

RuleLines DataSizeRuleLines(uint64_t size) {
    const std::string bytes = FormatThousands(static_cast<int64_t>(size));
    const std::string kb = FormatFixed(static_cast<double>(size) / 1024.0, 1);
    auto kbLine = [&](bool confirmed, std::string_view tail) {
        return RuleLine{Concat({kDataSize, kb, " KB (", bytes, "Byte)", tail}), confirmed};
    };
    if (size <= 5120) return {kbLine(false, " 【サイズが異常です。】")};
    if (size <= 9216) return {kbLine(true, "    【確認】")};
    if (size <= 101376) return {kbLine(true, "  【確認】")};
    // 101,377 to 102,400 bytes lie between the two confirmed bands; they are within the
    // limit and take the form of the band above.
    if (size <= 307200) return {kbLine(true, "【確認】")};
    if (size <= 1048576) return {kbLine(false, "【300KBを越えています。】")};
    const std::string mb = FormatFixed(static_cast<double>(size) / 1048576.0, 1);
    return {Fault({kDataSize, mb, " MB (", bytes, "Byte)【300KBを越えています。】"})};
}

RuleLines PageCountRuleLines(const ImageInfo& info) {
    if (info.pageCount > 1)
        return {Fault(
            {kPageCount, std::to_string(info.pageCount), "ページ      【Multi-tiffです。】"})};
    if (info.pageCount == 1) return {Confirmed({kPageCount, "１ページ　　　　　　　【確認】"})};
    return {};
}

RuleLines PaperSizeRuleLines(const ImageInfo& info) {
    const uint32_t x = info.xResolution;
    if (info.xResolutionMissing || x == 0) return {Fault({kPaperSize, "【計算できません】"})};
    // Millimetres from the pixel size and the horizontal resolution alone.
    const double hExact = static_cast<double>(info.height) * 25.4 / static_cast<double>(x);
    const double wExact = static_cast<double>(info.width) * 25.4 / static_cast<double>(x);
    const double h = RoundHalfEven(hExact), w = RoundHalfEven(wExact);

    struct Paper {
        double h, w;
        std::string_view line;
    };
    static constexpr Paper kPapers[] = {
        {257, 364, "B4 横（257mm×364mm） 【確認】"},
        {364, 257, "B4 縦（364mm×257mm）【向きが違います。】"},
        {210, 297, "A4 横（210mm×297mm）  【サイズが違います。】"},
        {297, 210, "A4 縦（297mm×210mm）  【サイズが違います。】"},
        {297, 420, "A3 横（297mm×420mm）  【サイズが違います。】"},
        {420, 297, "A3 縦（420mm×297mm）  【サイズが違います。】"},
        {420, 593, "A2 横（420mm×593mm）  【サイズが違います。】"},
        {593, 420, "A2 縦（593mm×420mm）  【サイズが違います。】"},
        {420, 594, "A2 横（420mm×594mm）  【サイズが違います。】"},
        {594, 420, "A2 縦（594mm×420mm）  【サイズが違います。】"},
    };
    RuleLines lines;
    bool b4Landscape = false;
    const Paper* found = nullptr;
    for (const Paper& paper : kPapers) {
        if (paper.h == h && paper.w == w) {
            found = &paper;
            break;
        }
    }
    if (found) {
        b4Landscape = found == &kPapers[0];
        lines.push_back({Concat({kPaperSize, found->line}), b4Landscape});
    } else {
        lines.push_back(Fault({kPaperSize, FormatFixed(h, 0), "mm", "×", FormatFixed(w, 0),
                               "mm   【サイズが違います。】"}));
    }
    if (!b4Landscape) {
        lines.push_back(Fault({kPaperDetail, FormatUpToTwoDecimals(hExact), "mm  ",
                               "W= ", FormatUpToTwoDecimals(wExact), "mm"}));
    }
    return lines;
}

}  // namespace vellumo

// The drawing file-name rule: every verdict code, the filler, and the UTF-16 count.

#include <gtest/gtest.h>

#include <string>

#include "check/NameRule.h"

namespace vellumo {
namespace {

const std::string kPrefix = " ファイル名　：";

std::string Spaces(size_t n) { return std::string(n, ' '); }

// The line's text; the line confirms the name exactly when it says 【確認】 at the end.
std::string Text(const RuleLine& line) {
    EXPECT_EQ(line.confirmed, line.text.ends_with("【確認】")) << line.text;
    return line.text;
}

struct NameCase {
    std::string name;
    std::string afterName;  // what follows the name on the line
};

TEST(NameRuleLine, EveryVerdict) {
    const NameCase rows[] = {
        // Full rule: the filler pads the name to 22 units.
        {"sokuryouzu1.tif", Spaces(7) + "【確認】"},
        {"tatemono00001.tif", Spaces(5) + "【確認】"},
        {"tiekiken99999.tif", Spaces(5) + "【確認】"},
        {"tatemono0.tif", Spaces(9) + "【確認】"},
        {"sokuryouzu12345.tif", Spaces(3) + "【確認】"},
        // 0: kind, digits and extension found, but more besides.
        {"tiekiken_1.tif", Spaces(8) + "【不要文字混入】"},
        {"tatemono123-456.tif", Spaces(3) + "【不要文字混入】"},
        {"tatemono1.tif.tif", Spaces(5) + "【不要文字混入】"},
        {"tatemono1 .tif", Spaces(8) + "【不要文字混入】"},
        {"tatemono1_abcdefghijkl.tif", "【不要文字混入】"},
        {"tatemono12345678901.tif", "  【数字部桁過大】"},
        // 1: no digits.
        {"tatemono.tif", "  【数字部の誤り】"},
        {"tatemono１.tif", "  【数字部の誤り】"},  // full-width digits are no \d
        // 2: six or more digits in a row.
        {"tatemono123456.tif", "  【数字部桁過大】"},
        {"sokuryouzu000000.tif", "  【数字部桁過大】"},
        // 10: wrong kind (case-sensitive); digits in a wrong kind word count.
        {"Tatemono1.tif", " 【図面種別名の誤り】"},
        {"zumen2tatemono.tif", " 【図面種別名の誤り】"},
        {"_tatemono1.tif", " 【図面種別名の誤り】"},
        // 11, 12
        {"zumen.tif", "  【図面種別名・数字部の誤り】"},
        {".tif", "  【図面種別名・数字部の誤り】"},
        {"zumen1234567.tif", " 【種別名誤り・数字部桁過大】"},
        // 100: wrong extension (case-sensitive); digits after the extension count.
        {"tatemono1.TIF", "  【拡張子の誤り】"},
        {"tatemono1.tiff", "  【拡張子の誤り】"},
        {"tatemono.tif1", "  【拡張子の誤り】"},
        {"tatemono1", "  【拡張子の誤り】"},
        // 101: no digits and wrong extension, with the filler.
        {"tatemono.TIF", Spaces(10) + "【ファイル名異常】"},
        {"tiekiken", Spaces(14) + "【ファイル名異常】"},
        {"tatemono_abcdefghijklmn.TIF", "【ファイル名異常】"},
        // 102, 110, 111, 112
        {"tatemono1234567.tif.bak", "  【数字桁過大・拡張子誤り】"},
        {"zumen1.TIF", "  【図面種別・拡張子の誤り】"},
        {"zumen.TIF", " 【図面種別・数字部・拡張子の誤り】"},
        {"", " 【図面種別・数字部・拡張子の誤り】"},
        {"zumen1234567.TIF", " 【図面種別・数字桁過大・拡張子の誤り】"},
    };
    for (const NameCase& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(Text(NameRuleLine(r.name)), kPrefix + r.name + r.afterName);
    }
}

TEST(NameRuleLine, FillerCountsUtf16Units) {
    const NameCase rows[] = {
        // 8 + 1 + 3 + 4 = 16 units (the UTF-8 form has 22 bytes).
        {"tatemono1（写）.tif", Spaces(6) + "【不要文字混入】"},
        // A character outside the BMP is a surrogate pair: 8 + 1 + 2 + 4 = 15 units.
        {"tatemono1\xF0\xA0\xAE\xB7.tif", Spaces(7) + "【不要文字混入】"},
        {"tatemono図面.TIF", Spaces(22 - 14) + "【ファイル名異常】"},
    };
    for (const NameCase& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(Text(NameRuleLine(r.name)), kPrefix + r.name + r.afterName);
    }
}

TEST(NameRuleLine, DollarMatchesBeforeAFinalNewline) {
    // PCRE's "$" without options also matches before a newline that ends the subject.
    const std::string name = "tatemono1.tif\n";
    EXPECT_EQ(Text(NameRuleLine(name)), kPrefix + name + Spaces(8) + "【確認】");
}

TEST(Utf16Length, Table) {
    const struct {
        const char* text;
        size_t units;
    } rows[] = {
        {"", 0},
        {"abc", 3},
        {"ファイル", 4},
        {"（）", 2},
        {"\xF0\xA0\xAE\xB7", 2},
        {"a\xFF"
         "b",
         3},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(Utf16Length(r.text), r.units);
    }
}

}  // namespace
}  // namespace vellumo

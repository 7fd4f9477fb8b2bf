#include "check/NameRule.h"

#include <pcre2.h>

#include <array>
#include <string_view>
#include <vector>

namespace vellumo {

namespace {

constexpr std::string_view kPrefix = " ファイル名　：";

// UTF-8 to UTF-16. File names on this platform are bytes; a byte that is not part of a
// well-formed sequence becomes U+FFFD, so every name has a UTF-16 form.
std::u16string ToUtf16(const std::string& s) {
    std::u16string out;
    out.reserve(s.size());
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const size_t n = s.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        uint32_t cp = 0xFFFD;
        size_t len = 1;
        auto cont = [&](size_t k) { return i + k < n && (p[i + k] & 0xC0) == 0x80; };
        if (c < 0x80) {
            cp = c;
        } else if (c >= 0xC2 && c <= 0xDF && cont(1)) {
            cp = ((c & 0x1Fu) << 6) | (p[i + 1] & 0x3Fu);
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF && cont(1) && cont(2)) {
            cp = ((c & 0x0Fu) << 12) | ((p[i + 1] & 0x3Fu) << 6) | (p[i + 2] & 0x3Fu);
            if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF))
                len = 3;
            else
                cp = 0xFFFD;
        } else if (c >= 0xF0 && c <= 0xF4 && cont(1) && cont(2) && cont(3)) {
            cp = ((c & 0x07u) << 18) | ((p[i + 1] & 0x3Fu) << 12) | ((p[i + 2] & 0x3Fu) << 6) |
                 (p[i + 3] & 0x3Fu);
            if (cp >= 0x10000 && cp <= 0x10FFFF)
                len = 4;
            else
                cp = 0xFFFD;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += len;
    }
    return out;
}

// The five patterns of the rule, compiled once for the program's life.
class NamePatterns {
  public:
    enum Id { Full, SomeDigits, TooManyDigits, Kind, Extension, Count };

    NamePatterns() {
        static constexpr std::array<std::u16string_view, Count> kSources{
            u"^(sokuryouzu|tatemono|tiekiken)(\\d{1,5})(\\.tif$)",
            u"(\\d{1,5})",
            u"\\d{6,}",
            u"^(sokuryouzu|tatemono|tiekiken)",
            u"(\\.tif$)",
        };
        for (size_t i = 0; i < Count; ++i) {
            int error = 0;
            PCRE2_SIZE offset = 0;
            code_[i] = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kSources[i].data()),
                                     kSources[i].size(), 0, &error, &offset, nullptr);
        }
        match_ = pcre2_match_data_create(4, nullptr);
    }
    ~NamePatterns() {
        pcre2_match_data_free(match_);
        for (pcre2_code* c : code_) pcre2_code_free(c);
    }
    NamePatterns(const NamePatterns&) = delete;
    NamePatterns& operator=(const NamePatterns&) = delete;

    bool Finds(Id id, const std::u16string& subject) {
        if (!code_[id] || !match_) return false;
        const int rc = pcre2_match(code_[id], reinterpret_cast<PCRE2_SPTR>(subject.data()),
                                   subject.size(), 0, 0, match_, nullptr);
        return rc >= 0;
    }

  private:
    std::array<pcre2_code*, Count> code_{};
    pcre2_match_data* match_ = nullptr;
};

NamePatterns& Patterns() {
    static NamePatterns patterns;
    return patterns;
}

}  // namespace

size_t Utf16Length(const std::string& utf8) { return ToUtf16(utf8).size(); }

RuleLine NameRuleLine(const std::string& fileName) {
    const std::u16string name = ToUtf16(fileName);
    NamePatterns& re = Patterns();
    const std::string filler(name.size() < 22 ? 22 - name.size() : 0, ' ');
    std::string line(kPrefix);
    line += fileName;

    if (re.Finds(NamePatterns::Full, name)) return {line + filler + "【確認】", true};

    int code = 0;
    if (re.Finds(NamePatterns::TooManyDigits, name))
        code += 2;
    else if (!re.Finds(NamePatterns::SomeDigits, name))
        code += 1;
    if (!re.Finds(NamePatterns::Kind, name)) code += 10;
    if (!re.Finds(NamePatterns::Extension, name)) code += 100;

    switch (code) {
        case 0:
            return {line + filler + "【不要文字混入】", false};
        case 1:
            return {line + "  【数字部の誤り】", false};
        case 2:
            return {line + "  【数字部桁過大】", false};
        case 10:
            return {line + " 【図面種別名の誤り】", false};
        case 11:
            return {line + "  【図面種別名・数字部の誤り】", false};
        case 12:
            return {line + " 【種別名誤り・数字部桁過大】", false};
        case 100:
            return {line + "  【拡張子の誤り】", false};
        case 102:
            return {line + "  【数字桁過大・拡張子誤り】", false};
        case 110:
            return {line + "  【図面種別・拡張子の誤り】", false};
        case 111:
            return {line + " 【図面種別・数字部・拡張子の誤り】", false};
        case 112:
            return {line + " 【図面種別・数字桁過大・拡張子の誤り】", false};
        default:
            return {line + filler + "【ファイル名異常】", false};  // 101, and any other code
    }
}

}  // namespace vellumo

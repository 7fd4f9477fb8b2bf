#include "cli/DisplayPath.h"

#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace vellumo {

namespace {

/// The length of the valid UTF-8 sequence at s[i] and its code point, or nothing.
std::optional<std::pair<size_t, uint32_t>> Utf8At(std::string_view s, size_t i) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const unsigned char c = b(0);
    if (c < 0x80) return std::pair<size_t, uint32_t>{1, c};
    size_t len = 0;
    uint32_t cp = 0, min = 0;
    if (c >= 0xC2 && c <= 0xDF)
        len = 2, cp = c & 0x1F, min = 0x80;
    else if (c >= 0xE0 && c <= 0xEF)
        len = 3, cp = c & 0x0F, min = 0x800;
    else if (c >= 0xF0 && c <= 0xF4)
        len = 4, cp = c & 0x07, min = 0x10000;
    else
        return std::nullopt;
    if (s.size() - i < len) return std::nullopt;
    for (size_t k = 1; k < len; ++k) {
        if ((b(k) & 0xC0) != 0x80) return std::nullopt;
        cp = (cp << 6) | (b(k) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return std::nullopt;
    return std::pair<size_t, uint32_t>{len, cp};
}

bool ValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const auto at = Utf8At(s, i);
        if (!at) return false;
        i += at->first;
    }
    return true;
}

/// The component decoded from CP932 to UTF-8, or nothing when some byte sequence is not
/// CP932.
std::optional<std::string> FromCp932(std::string_view s) {
    static const iconv_t converter = ::iconv_open("UTF-8", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    ::iconv(converter, nullptr, nullptr, nullptr, nullptr);  // the initial state
    std::string in(s);
    std::string out(s.size() * 3 + 4, '\0');  // a CP932 byte gives at most 3 UTF-8 bytes
    char* inPtr = in.data();
    size_t inLeft = in.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    if (::iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) ||
        inLeft != 0) {
        return std::nullopt;
    }
    out.resize(out.size() - outLeft);
    return out;
}

bool Hidden(uint32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0x2028 || cp == 0x2029 ||
           (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069) || cp == 0x200E ||
           cp == 0x200F || cp == 0x061C;
}

void AppendEscape(std::string& out, const char* format, unsigned value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, format, value);
    out += buf;
}

/// Valid UTF-8 stays, except the hidden characters; invalid bytes become "\xNN".
std::string Escaped(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const auto at = Utf8At(s, i);
        if (!at) {
            AppendEscape(out, "\\x%02x", static_cast<unsigned char>(s[i]));
            ++i;
            continue;
        }
        const auto [len, cp] = *at;
        if (Hidden(cp)) {
            AppendEscape(out, cp < 0x80 ? "\\x%02x" : "\\u%04x", cp);
        } else {
            out.append(s.substr(i, len));
        }
        i += len;
    }
    return out;
}

std::string DisplayComponent(std::string_view component) {
    if (ValidUtf8(component)) return Escaped(component);
    if (auto decoded = FromCp932(component)) return Escaped(*decoded);
    return Escaped(component);
}

}  // namespace

std::string DisplayPath(std::string_view path) {
    // Most paths are printable ASCII, shown as they are.
    if (std::all_of(path.begin(), path.end(), [](char c) { return c >= 0x20 && c < 0x7F; }))
        return std::string(path);
    std::string out;
    size_t start = 0;
    for (;;) {
        const size_t slash = path.find('/', start);
        out += DisplayComponent(path.substr(start, slash - start));
        if (slash == std::string_view::npos) return out;
        out += '/';
        start = slash + 1;
    }
}

namespace {

std::string ReplaceAll(std::string_view text, std::string_view from, const std::string& to) {
    if (from.empty() || from == to) return std::string(text);
    std::string out;
    for (size_t i = 0;;) {
        const size_t at = text.find(from, i);
        out.append(text.substr(i, at - i));
        if (at == std::string_view::npos) return out;
        out += to;
        i = at + from.size();
    }
}

}  // namespace

std::string DisplayMessage(std::string_view text, std::string_view path) {
    // The whole path first, then the file name alone (some texts name only the file).
    std::string replaced = ReplaceAll(text, path, DisplayPath(path));
    const size_t slash = path.rfind('/');
    if (slash != std::string_view::npos) {
        const std::string_view name = path.substr(slash + 1);
        replaced = ReplaceAll(replaced, name, DisplayPath(name));
    }
    std::string joined;
    for (size_t i = 0; i < replaced.size(); ++i) {
        const char c = replaced[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < replaced.size() && replaced[i + 1] == '\n') ++i;
            if (!joined.empty() && joined.back() != ' ') joined += ' ';
            continue;
        }
        joined += c;
    }
    return Escaped(joined);
}

std::string ErrorLine(std::string_view program, std::string_view path, std::string_view message) {
    std::string line(program);
    line += ": ";
    if (!path.empty()) {
        line += DisplayPath(path);
        line += ": ";
    }
    line += DisplayMessage(message, path);
    line += '\n';
    return line;
}

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 2]);
        out += kDigits[(v >> 18) & 63];
        out += kDigits[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? kDigits[(v >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[v & 63] : '=';
    }
    return out;
}

}  // namespace vellumo

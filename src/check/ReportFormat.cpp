#include "check/ReportFormat.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace vellumo {

std::string FormatThousands(int64_t n) {
    const bool negative = n < 0;
    // Work on the magnitude as unsigned so that INT64_MIN has one too.
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
    std::string digits = std::to_string(magnitude);
    std::string out;
    out.reserve(digits.size() + digits.size() / 3 + 1);
    if (negative) out += '-';
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string FormatFixed(double value, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    return buf;
}

std::string FormatUpToTwoDecimals(double value) {
    std::string text = FormatFixed(value, 2);
    if (text.find('.') != std::string::npos) {
        while (!text.empty() && text.back() == '0') text.pop_back();
        if (!text.empty() && text.back() == '.') text.pop_back();
    }
    const bool negative = !text.empty() && text[0] == '-';
    const size_t digitsAt = negative ? 1 : 0;
    // "#" placeholders write no leading zero: 0.5 is ".5".
    if (text.size() > digitsAt + 1 && text[digitsAt] == '0' && text[digitsAt + 1] == '.')
        text.erase(digitsAt, 1);
    if (text.empty() || text == "0" || text == "-0" || text == "-") return "0";
    return text;
}

std::string FormatShortest(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", value);
    return buf;
}

std::string FormatFloatShortest(float value) {
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}

}  // namespace vellumo

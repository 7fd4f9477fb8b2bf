#include "platform/NaturalOrder.h"

namespace vellumo {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Compares the digit runs that begin at a[i] and b[j] by value and moves both indices past
// them. Runs of any length: no conversion to a number, so nothing overflows.
int CompareRuns(std::string_view a, size_t& i, std::string_view b, size_t& j) {
    while (i < a.size() && a[i] == '0') ++i;
    while (j < b.size() && b[j] == '0') ++j;
    const size_t aStart = i, bStart = j;
    while (i < a.size() && IsDigit(a[i])) ++i;
    while (j < b.size() && IsDigit(b[j])) ++j;
    const size_t aLen = i - aStart, bLen = j - bStart;
    if (aLen != bLen) return aLen < bLen ? -1 : 1;
    const int c = a.substr(aStart, aLen).compare(b.substr(bStart, bLen));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

bool NaturalLess(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const int c = CompareRuns(a, i, b, j);
            if (c != 0) return c < 0;
            continue;
        }
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[j]);
        if (x != y) return x < y;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size()) return j < b.size();  // a shorter rest comes first
    return a < b;                                           // equal but for leading zeros
}

}  // namespace vellumo

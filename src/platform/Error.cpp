#include "platform/Error.h"

namespace vellumo {

std::string ErrorBoxText(std::string_view message) {
    std::string text(message);
    // The comparison is by code unit; every byte of a multi-byte UTF-8 character is above
    // '.', just as every Japanese UTF-16 code unit is, so the rule reads the same here.
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    return text;
}

std::string WithLfLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

}  // namespace vellumo

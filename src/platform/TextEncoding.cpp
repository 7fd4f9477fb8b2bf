#include "platform/TextEncoding.h"

#include <iconv.h>

#include <cerrno>

namespace vellumo {

bool IsValidUtf8(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t len;
        unsigned char lo = 0x80, hi = 0xBF;  // the second byte's range
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            if (c == 0xE0) lo = 0xA0;
            if (c == 0xED) hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            if (c == 0xF0) lo = 0x90;
            if (c == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        if (bytes.size() - i < len) return false;
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        if (second < lo || second > hi) return false;
        for (size_t k = 2; k < len; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        }
        i += len;
    }
    return true;
}

std::optional<std::string> Cp932ToUtf8(std::string_view bytes) {
    const iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    // A CP932 character is one or two bytes and at most three in UTF-8.
    std::string out(bytes.size() * 3 + 1, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* to = out.data();
    size_t outLeft = out.size();
    const size_t rc = iconv(cd, &in, &inLeft, &to, &outLeft);
    const bool complete = rc != static_cast<size_t>(-1) && inLeft == 0;
    iconv_close(cd);
    if (!complete) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace vellumo

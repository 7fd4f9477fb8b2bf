#include "imaging/RowTo24.h"

#include <cstring>

namespace vellumo {

namespace {

inline uint8_t Widen5(unsigned v) { return uint8_t((v << 3) | (v >> 2)); }
inline uint8_t Widen6(unsigned v) { return uint8_t((v << 2) | (v >> 4)); }

inline void Put(uint8_t* d, const RgbQuad& c) {
    d[0] = c.b;
    d[1] = c.g;
    d[2] = c.r;
}

}  // namespace

RowTo24::RowTo24(const Bitmap& source) : source_(source) {
    for (unsigned i = 0; i < 256; ++i) lut_[i] = PaletteColor(source.Palette(), i);
}

const uint8_t* RowTo24::Row(uint32_t y, uint8_t* buffer) const {
    if (source_.Format() == PixelFormat::Bit24) return source_.Row(y);
    ExpandInto(y, buffer);
    return buffer;
}

void RowTo24::ExpandInto(uint32_t y, uint8_t* d) const {
    const uint32_t w = source_.Width();
    const uint8_t* s = source_.Row(y);
    switch (source_.Format()) {
        case PixelFormat::Bit1:
            for (uint32_t x = 0; x < w; ++x) Put(d + 3 * x, lut_[(s[x >> 3] >> (7 - (x & 7))) & 1]);
            break;
        case PixelFormat::Bit4:
            for (uint32_t x = 0; x < w; ++x)
                Put(d + 3 * x, lut_[(x & 1) ? s[x >> 1] & 0x0F : s[x >> 1] >> 4]);
            break;
        case PixelFormat::Bit8:
            for (uint32_t x = 0; x < w; ++x) Put(d + 3 * x, lut_[s[x]]);
            break;
        case PixelFormat::Bit15:
            for (uint32_t x = 0; x < w; ++x) {
                const unsigned v = s[2 * x] | (s[2 * x + 1] << 8);
                d[3 * x] = Widen5(v & 31);
                d[3 * x + 1] = Widen5((v >> 5) & 31);
                d[3 * x + 2] = Widen5((v >> 10) & 31);
            }
            break;
        case PixelFormat::Bit16:
            for (uint32_t x = 0; x < w; ++x) {
                const unsigned v = s[2 * x] | (s[2 * x + 1] << 8);
                d[3 * x] = Widen5(v & 31);
                d[3 * x + 1] = Widen6((v >> 5) & 63);
                d[3 * x + 2] = Widen5((v >> 11) & 31);
            }
            break;
        case PixelFormat::Bit24:
            std::memcpy(d, s, size_t(w) * 3);
            break;
        case PixelFormat::Bit32:
            for (uint32_t x = 0; x < w; ++x) {
                d[3 * x] = s[4 * x];
                d[3 * x + 1] = s[4 * x + 1];
                d[3 * x + 2] = s[4 * x + 2];
            }
            break;
        default:
            std::memset(d, 0, size_t(w) * 3);
            break;
    }
}

}  // namespace vellumo

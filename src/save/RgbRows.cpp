#include "save/RgbRows.h"

namespace vellumo {

namespace {

inline uint8_t Widen5(unsigned v) { return uint8_t((v << 3) | (v >> 2)); }
inline uint8_t Widen6(unsigned v) { return uint8_t((v << 2) | (v >> 4)); }

}  // namespace

RgbRowReader::RgbRowReader(const Bitmap& bitmap) : bitmap_(bitmap) {
    for (unsigned i = 0; i < 256; ++i) {
        const RgbQuad c = PaletteColor(bitmap.Palette(), i);
        lut_[i][0] = c.r, lut_[i][1] = c.g, lut_[i][2] = c.b;
    }
}

void RgbRowReader::Read(uint32_t y, uint8_t* out) const {
    const uint8_t* s = bitmap_.Row(y);
    const uint32_t w = bitmap_.Width();
    auto put = [&](uint32_t x, const uint8_t* rgb) {
        out[3 * x] = rgb[0], out[3 * x + 1] = rgb[1], out[3 * x + 2] = rgb[2];
    };
    switch (bitmap_.Format()) {
    case PixelFormat::Bit1:
        for (uint32_t x = 0; x < w; ++x) put(x, lut_[(s[x >> 3] >> (7 - (x & 7))) & 1]);
        break;
    case PixelFormat::Bit4:
        for (uint32_t x = 0; x < w; ++x)
            put(x, lut_[(x & 1) ? s[x >> 1] & 0x0F : s[x >> 1] >> 4]);
        break;
    case PixelFormat::Bit8:
        for (uint32_t x = 0; x < w; ++x) put(x, lut_[s[x]]);
        break;
    case PixelFormat::Bit15:
        for (uint32_t x = 0; x < w; ++x) {
            const unsigned v = s[2 * x] | (s[2 * x + 1] << 8);
            out[3 * x] = Widen5((v >> 10) & 31);
            out[3 * x + 1] = Widen5((v >> 5) & 31);
            out[3 * x + 2] = Widen5(v & 31);
        }
        break;
    case PixelFormat::Bit16:
        for (uint32_t x = 0; x < w; ++x) {
            const unsigned v = s[2 * x] | (s[2 * x + 1] << 8);
            out[3 * x] = Widen5((v >> 11) & 31);
            out[3 * x + 1] = Widen6((v >> 5) & 63);
            out[3 * x + 2] = Widen5(v & 31);
        }
        break;
    case PixelFormat::Bit24:
        for (uint32_t x = 0; x < w; ++x) {
            out[3 * x] = s[3 * x + 2], out[3 * x + 1] = s[3 * x + 1], out[3 * x + 2] = s[3 * x];
        }
        break;
    case PixelFormat::Bit32:
        for (uint32_t x = 0; x < w; ++x) {
            out[3 * x] = s[4 * x + 2], out[3 * x + 1] = s[4 * x + 1], out[3 * x + 2] = s[4 * x];
        }
        break;
    case PixelFormat::Device:
    case PixelFormat::Custom: break;  // Bitmap never holds these
    }
}

}  // namespace vellumo

#include "platform/RowUnpack.h"

#include <cstring>

namespace vellumo {

namespace {

// Blue goes to byte kB and red to byte kR of each pixel; green is always in the middle.
template <int kB, int kR>
void UnpackRow(const Bitmap& source, const uint8_t (*lut)[3], uint32_t y, uint8_t* d) {
    const uint32_t w = source.Width();
    const uint8_t* s = source.Row(y);
    auto put = [d](uint32_t x, unsigned b, unsigned g, unsigned r) {
        d[3 * x + kB] = uint8_t(b), d[3 * x + 1] = uint8_t(g), d[3 * x + kR] = uint8_t(r);
    };
    switch (source.Format()) {
        case PixelFormat::Bit1:
            for (uint32_t x = 0; x < w; ++x)
                std::memcpy(d + 3 * x, lut[(s[x >> 3] >> (7 - (x & 7))) & 1], 3);
            break;
        case PixelFormat::Bit4:
            for (uint32_t x = 0; x < w; ++x)
                std::memcpy(d + 3 * x, lut[(x & 1) ? s[x >> 1] & 0x0F : s[x >> 1] >> 4], 3);
            break;
        case PixelFormat::Bit8:
            for (uint32_t x = 0; x < w; ++x) std::memcpy(d + 3 * x, lut[s[x]], 3);
            break;
        case PixelFormat::Bit15:
            for (uint32_t x = 0; x < w; ++x) {
                const unsigned v = s[2 * x] | (s[2 * x + 1] << 8);
                put(x, Widen5(v & 31), Widen5((v >> 5) & 31), Widen5((v >> 10) & 31));
            }
            break;
        case PixelFormat::Bit16:
            for (uint32_t x = 0; x < w; ++x) {
                const unsigned v = s[2 * x] | (s[2 * x + 1] << 8);
                put(x, Widen5(v & 31), Widen6((v >> 5) & 63), Widen5((v >> 11) & 31));
            }
            break;
        case PixelFormat::Bit24:
            if (kB == 0) {
                std::memcpy(d, s, size_t(w) * 3);
            } else {
                for (uint32_t x = 0; x < w; ++x) put(x, s[3 * x], s[3 * x + 1], s[3 * x + 2]);
            }
            break;
        case PixelFormat::Bit32:
            for (uint32_t x = 0; x < w; ++x) put(x, s[4 * x], s[4 * x + 1], s[4 * x + 2]);
            break;
        case PixelFormat::Device:
        case PixelFormat::Custom:  // a Bitmap never holds these
            std::memset(d, 0, size_t(w) * 3);
            break;
    }
}

}  // namespace

RowUnpacker::RowUnpacker(const Bitmap& source, ChannelOrder order)
    : source_(source), order_(order) {
    const bool rgb = order == ChannelOrder::Rgb;
    for (unsigned i = 0; i < 256; ++i) {
        const RgbQuad c = PaletteColor(source.Palette(), i);
        lut_[i][0] = rgb ? c.r : c.b, lut_[i][1] = c.g, lut_[i][2] = rgb ? c.b : c.r;
    }
}

void RowUnpacker::Unpack(uint32_t y, uint8_t* out) const {
    if (order_ == ChannelOrder::Rgb) {
        UnpackRow<2, 0>(source_, lut_, y, out);
    } else {
        UnpackRow<0, 2>(source_, lut_, y, out);
    }
}

const uint8_t* RowUnpacker::Row(uint32_t y, uint8_t* buffer) const {
    if (order_ == ChannelOrder::Bgr && source_.Format() == PixelFormat::Bit24)
        return source_.Row(y);
    Unpack(y, buffer);
    return buffer;
}

}  // namespace vellumo

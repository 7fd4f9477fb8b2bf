#include "platform/RowUnpack.h"

#include <cstring>

namespace vellumo {

namespace {

// Blue goes to byte kB and red to byte kR of each kN-byte pixel; green is always in the
// middle, and a fourth byte is 255.
template <int kB, int kR, int kN>
void UnpackRow(const Bitmap& source, const uint8_t (*lut)[4], uint32_t y, uint8_t* d) {
    const uint32_t w = source.Width();
    const uint8_t* s = source.Row(y);
    auto put = [d](uint32_t x, unsigned b, unsigned g, unsigned r) {
        uint8_t* p = d + size_t(kN) * x;
        p[kB] = uint8_t(b), p[1] = uint8_t(g), p[kR] = uint8_t(r);
        if constexpr (kN == 4) p[3] = 255;
    };
    auto index = [d, lut](uint32_t x, unsigned i) { std::memcpy(d + size_t(kN) * x, lut[i], kN); };
    switch (source.Format()) {
        case PixelFormat::Bit1:
            for (uint32_t x = 0; x < w; ++x) index(x, (s[x >> 3] >> (7 - (x & 7))) & 1);
            break;
        case PixelFormat::Bit4:
            for (uint32_t x = 0; x < w; ++x) index(x, (x & 1) ? s[x >> 1] & 0x0F : s[x >> 1] >> 4);
            break;
        case PixelFormat::Bit8:
            for (uint32_t x = 0; x < w; ++x) index(x, s[x]);
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
            if constexpr (kB == 0 && kN == 3) {
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
            for (uint32_t x = 0; x < w; ++x) put(x, 0, 0, 0);
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
        lut_[i][3] = 255;
    }
}

void RowUnpacker::Unpack(uint32_t y, uint8_t* out) const {
    switch (order_) {
        case ChannelOrder::Bgr:
            UnpackRow<0, 2, 3>(source_, lut_, y, out);
            break;
        case ChannelOrder::Rgb:
            UnpackRow<2, 0, 3>(source_, lut_, y, out);
            break;
        case ChannelOrder::Bgra:
            UnpackRow<0, 2, 4>(source_, lut_, y, out);
            break;
    }
}

const uint8_t* RowUnpacker::Row(uint32_t y, uint8_t* buffer) const {
    if (order_ == ChannelOrder::Bgr && source_.Format() == PixelFormat::Bit24)
        return source_.Row(y);
    Unpack(y, buffer);
    return buffer;
}

}  // namespace vellumo

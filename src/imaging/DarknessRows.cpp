#include "imaging/DarknessRows.h"

#include "imaging/PixelSums.h"

namespace vellumo {

DarknessRows::DarknessRows(const Bitmap& source)
    : source_(source), rows24_(source, ChannelOrder::Bgr) {
    const bool mono = source.Format() == PixelFormat::Bit1;
    for (unsigned i = 0; i < 256; ++i) {
        const RgbQuad c = PaletteColor(source.Palette(), i);
        lut_[i] = mono ? (IsNearerBlack(c) ? 255 : 0)
                       : uint8_t(255 - DivideBy3(unsigned(c.b) + c.g + c.r));
    }
}

void DarknessRows::Read(uint32_t y, uint8_t* out) const {
    const uint32_t w = source_.Width();
    const uint8_t* s = source_.Row(y);
    switch (source_.Format()) {
        case PixelFormat::Bit1:
            for (uint32_t x = 0; x < w; ++x) out[x] = lut_[(s[x >> 3] >> (7 - (x & 7))) & 1];
            return;
        case PixelFormat::Bit8:
            for (uint32_t x = 0; x < w; ++x) out[x] = lut_[s[x]];
            return;
        case PixelFormat::Bit32:
            for (uint32_t x = 0; x < w; ++x) {
                const uint8_t* p = s + 4 * x;
                unsigned sum = unsigned(p[0]) + p[1] + p[2];
                if (source_.HasAlpha() && p[3] != 255)
                    sum = unsigned(OverWhite(p[0], p[3])) + OverWhite(p[1], p[3]) +
                          OverWhite(p[2], p[3]);
                out[x] = uint8_t(255 - DivideBy3(sum));
            }
            return;
        default: {
            buffer_.resize(size_t(w) * 3);
            const uint8_t* row = rows24_.Row(y, buffer_.data());
            for (uint32_t x = 0; x < w; ++x)
                out[x] = uint8_t(255 -
                                 DivideBy3(unsigned(row[3 * x]) + row[3 * x + 1] + row[3 * x + 2]));
            return;
        }
    }
}

}  // namespace vellumo

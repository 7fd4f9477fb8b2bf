#pragma once
// The B4 drawing as a flatbed scan of a print: the picture the benchmarks time the colour
// paths on.

#include <cstdint>

#include "platform/Bitmap.h"

namespace vellumo {

/// `drawing` (one bit) as a 24-bit scan: paper near 238 and ink near 35 with noise of ±8
/// and a slight warm tint. The same drawing always gives the same pixels.
inline Bitmap NoisyScan(const Bitmap& drawing) {
    Bitmap out(drawing.Width(), drawing.Height(), PixelFormat::Bit24);
    uint32_t seed = 2463534242u;
    for (uint32_t y = 0; y < drawing.Height(); ++y) {
        uint8_t* row = out.Row(y);
        for (uint32_t x = 0; x < drawing.Width(); ++x) {
            seed ^= seed << 13, seed ^= seed >> 17, seed ^= seed << 5;
            const int base = drawing.PixelIndex(x, y) ? 238 : 35;
            const int n = int(seed % 17) - 8;
            row[3 * x] = uint8_t(base + n - 6);
            row[3 * x + 1] = uint8_t(base + n - 2);
            row[3 * x + 2] = uint8_t(base + n);
        }
    }
    return out;
}

}  // namespace vellumo

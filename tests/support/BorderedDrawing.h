#pragma once
// The drawing the printing tests print: B4-shaped (r = 257 / 364), one bit, black in a band
// along every edge and white inside, so a printed sheet shows where the picture begins and
// ends on every side.

#include "platform/Bitmap.h"

namespace vellumo::test {

inline Bitmap BorderedDrawing(uint32_t w = 728, uint32_t h = 514, uint32_t band = 10) {
    Bitmap b(w, h, PixelFormat::Bit1);
    b.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
    b.Fill(0xFF);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            if (x < band || y < band || x >= w - band || y >= h - band) b.SetPixelIndex(x, y, 0);
    return b;
}

}  // namespace vellumo::test

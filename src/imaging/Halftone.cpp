#include "imaging/Halftone.h"

#include <cmath>

#include "platform/Error.h"

namespace vellumo {

namespace {

constexpr int kCubeStart = 10;
constexpr int kGrayStart = 226;
constexpr int kGrays = 20;

std::vector<RgbQuad> MakePalette() {
    std::vector<RgbQuad> p(256);
    auto rgb = [](int r, int g, int b) { return RgbQuad{uint8_t(b), uint8_t(g), uint8_t(r), 0}; };
    const RgbQuad low[10] = {rgb(0, 0, 0),      rgb(128, 0, 0),     rgb(0, 128, 0),
                             rgb(128, 128, 0),  rgb(0, 0, 128),     rgb(128, 0, 128),
                             rgb(0, 128, 128),  rgb(192, 192, 192), rgb(192, 220, 192),
                             rgb(166, 202, 240)};
    const RgbQuad high[10] = {rgb(255, 251, 240), rgb(160, 160, 164), rgb(128, 128, 128),
                              rgb(255, 0, 0),     rgb(0, 255, 0),     rgb(255, 255, 0),
                              rgb(0, 0, 255),     rgb(255, 0, 255),   rgb(0, 255, 255),
                              rgb(255, 255, 255)};
    for (int i = 0; i < 10; ++i) p[i] = low[i];
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                p[kCubeStart + 36 * r + 6 * g + b] = rgb(51 * r, 51 * g, 51 * b);
    for (int k = 1; k <= kGrays; ++k) {
        const int v = int(std::lround(k * 255.0 / 21.0));
        p[kGrayStart + k - 1] = rgb(v, v, v);
    }
    for (int i = 0; i < 10; ++i) p[246 + i] = high[i];
    return p;
}

inline int Distance(const RgbQuad& c, int r, int g, int b) {
    const int dr = c.r - r, dg = c.g - g, db = c.b - b;
    return dr * dr + dg * dg + db * db;
}

}  // namespace

const std::vector<RgbQuad>& HalftonePalette() {
    static const std::vector<RgbQuad> palette = MakePalette();
    return palette;
}

uint8_t NearestHalftoneIndex(uint8_t r, uint8_t g, uint8_t b) {
    const std::vector<RgbQuad>& p = HalftonePalette();
    // The cube is a grid, so its nearest entry is the nearest level in each channel (51 is
    // odd: no channel value lies halfway). Only the 40 entries outside it can beat it.
    int best = kCubeStart + 36 * ((r + 25) / 51) + 6 * ((g + 25) / 51) + (b + 25) / 51;
    int bestDistance = Distance(p[best], r, g, b);
    auto consider = [&](int i) {
        const int d = Distance(p[i], r, g, b);
        if (d < bestDistance || (d == bestDistance && i < best)) {
            best = i;
            bestDistance = d;
        }
    };
    for (int i = 0; i < kCubeStart; ++i) consider(i);
    for (int i = kGrayStart; i < 256; ++i) consider(i);
    return uint8_t(best);
}

HalftoneMapper::HalftoneMapper() : keys_(kSlots, 0), values_(kSlots, 0) {}

void HalftoneMapper::MapRow(const uint8_t* bgr, uint32_t width, uint8_t* out) {
    for (uint32_t x = 0; x < width; ++x) {
        const uint8_t b = bgr[3 * x], g = bgr[3 * x + 1], r = bgr[3 * x + 2];
        const uint32_t key = (uint32_t(r) << 16 | uint32_t(g) << 8 | b) + 1;
        const uint32_t slot = ((key * 2654435761u) >> 20) & (kSlots - 1);
        if (keys_[slot] != key) {
            keys_[slot] = key;
            values_[slot] = NearestHalftoneIndex(r, g, b);
        }
        out[x] = values_[slot];
    }
}

Bitmap ConvertToHalftone8(const Bitmap& source24) {
    if (source24.Format() != PixelFormat::Bit24) throw Error("ビットマップの形式が不正です");
    Bitmap out(source24.Width(), source24.Height(), PixelFormat::Bit8);
    out.Palette() = HalftonePalette();
    HalftoneMapper mapper;
    for (uint32_t y = 0; y < source24.Height(); ++y)
        mapper.MapRow(source24.Row(y), source24.Width(), out.Row(y));
    return out;
}

}  // namespace vellumo

#include "crop/CutOut.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "crop/CropFrame.h"
#include "platform/Error.h"

namespace vellumo {

namespace {

inline unsigned IndexAt(const uint8_t* row, int bits, uint32_t x) {
    switch (bits) {
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 4:
            return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
        default:
            return row[x];
    }
}

inline void SetIndexAt(uint8_t* row, int bits, uint32_t x, unsigned v) {
    switch (bits) {
        case 1: {
            const uint8_t mask = uint8_t(0x80 >> (x & 7));
            row[x >> 3] = v ? uint8_t(row[x >> 3] | mask) : uint8_t(row[x >> 3] & ~mask);
            break;
        }
        case 4:
            row[x >> 1] = (x & 1) ? uint8_t((row[x >> 1] & 0xF0) | v)
                                  : uint8_t((row[x >> 1] & 0x0F) | (v << 4));
            break;
        default:
            row[x] = uint8_t(v);
            break;
    }
}

bool IsWhite(const RgbQuad& c) { return c.r == 255 && c.g == 255 && c.b == 255; }

// The palette index to fill with white, changing the palette if it has to; `used` marks the
// indices of the framed pixels, whose colours must not change.
unsigned WhiteIndex(std::vector<RgbQuad>& palette, int bits, const std::vector<bool>& used) {
    const unsigned entries = 1u << bits;
    for (unsigned i = 0; i < palette.size() && i < entries; ++i)
        if (IsWhite(palette[i])) return i;
    if (palette.size() < entries && !used[palette.size()]) {
        palette.push_back(RgbQuad{255, 255, 255, 0});
        return unsigned(palette.size() - 1);
    }
    for (unsigned i = 0; i < entries; ++i) {
        if (used[i]) continue;
        // Entries past the table's end show black; keep them so up to the new one.
        if (palette.size() <= i) palette.resize(i + 1, RgbQuad{0, 0, 0, 0});
        palette[i] = RgbQuad{255, 255, 255, 0};
        return i;
    }
    unsigned best = 0;
    int bestDistance = 1 << 30;
    for (unsigned i = 0; i < entries; ++i) {
        const RgbQuad c = PaletteColor(palette, i);
        const int d =
            (255 - c.r) * (255 - c.r) + (255 - c.g) * (255 - c.g) + (255 - c.b) * (255 - c.b);
        if (d < bestDistance) best = i, bestDistance = d;
    }
    return best;
}

}  // namespace

std::optional<std::string_view> CutOutRefusal(int32_t w, int32_t h) {
    if (w < 1 || h < 1) return kCutOutFailedText;
    if (!CutOutWithinLimit(w, h)) return kCutOutTooLargeText;
    return std::nullopt;
}

Bitmap CutOut(const Bitmap& source, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (auto refusal = CutOutRefusal(w, h)) throw Error(std::string(*refusal));
    Bitmap out(uint32_t(w), uint32_t(h), source.Format());
    out.Palette() = source.Palette();
    out.SetHasAlpha(true);
    const int bits = source.Bits();
    const size_t bytes = size_t(bits / 8);  // whole bytes per pixel; 0 for 1 and 4 bits

    // The part of the frame that lies on the picture, in source coordinates.
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t(x) + w, source.Width());
    const int64_t bottom = std::min<int64_t>(int64_t(y) + h, source.Height());
    const bool overlaps = left < right && top < bottom;
    const bool inside =
        overlaps && left == x && top == y && right == int64_t(x) + w && bottom == int64_t(y) + h;

    if (!inside) {
        if (bits >= 15) {
            // All ones is white in every direct format but 5-5-5, whose top bit stays clear.
            const bool bit15 = source.Format() == PixelFormat::Bit15;
            for (uint32_t row = 0; row < out.Height(); ++row) {
                uint8_t* d = out.Row(row);
                std::memset(d, 0xFF, out.Width() * bytes);
                if (bit15)
                    for (uint32_t i = 0; i < out.Width(); ++i) d[2 * i + 1] = 0x7F;
            }
        } else {
            std::vector<bool> used(size_t(1) << bits, false);
            if (overlaps)
                for (int64_t sy = top; sy < bottom; ++sy)
                    for (int64_t sx = left; sx < right; ++sx)
                        used[IndexAt(source.Row(uint32_t(sy)), bits, uint32_t(sx))] = true;
            const unsigned white = WhiteIndex(out.Palette(), bits, used);
            for (uint32_t row = 0; row < out.Height(); ++row)
                for (uint32_t i = 0; i < out.Width(); ++i) SetIndexAt(out.Row(row), bits, i, white);
        }
    }
    if (!overlaps) return out;

    const uint32_t dx = uint32_t(left - x);
    const uint32_t n = uint32_t(right - left);
    for (int64_t sy = top; sy < bottom; ++sy) {
        const uint8_t* s = source.Row(uint32_t(sy));
        uint8_t* d = out.Row(uint32_t(sy - y));
        if (bytes) {
            std::memcpy(d + dx * bytes, s + size_t(left) * bytes, n * bytes);
        } else {
            for (uint32_t i = 0; i < n; ++i)
                SetIndexAt(d, bits, dx + i, IndexAt(s, bits, uint32_t(left) + i));
        }
        if (bits == 32 && !source.HasAlpha())
            for (uint32_t i = 0; i < n; ++i) d[4 * (dx + i) + 3] = 255;
    }
    return out;
}

}  // namespace vellumo

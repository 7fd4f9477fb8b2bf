#include "save/FaxBitmap.h"

#include <cstring>

namespace vellumo {

namespace {

inline bool IsBlack(unsigned r, unsigned g, unsigned b) {
    return IsNearerBlack(RgbQuad{uint8_t(b), uint8_t(g), uint8_t(r), 0});
}

inline bool IsBlack(const RgbQuad& c) { return IsNearerBlack(c); }

/// Packs the flags black(0) ... black(width - 1), each 0 or 1, into `out`, first pixel in
/// the most significant bit.
template <typename BlackAt>
void PackRow(uint32_t width, uint8_t* out, BlackAt black) {
    const uint32_t full = width / 8;
    for (uint32_t i = 0; i < full; ++i) {
        const uint32_t x = i * 8;
        out[i] = uint8_t(black(x) << 7 | black(x + 1) << 6 | black(x + 2) << 5 | black(x + 3) << 4 |
                         black(x + 4) << 3 | black(x + 5) << 2 | black(x + 6) << 1 | black(x + 7));
    }
    if (width % 8) {
        uint8_t v = 0;
        for (uint32_t x = full * 8; x < width; ++x) v |= uint8_t(black(x) << (7 - (x & 7)));
        out[full] = v;
    }
}

void FromMono(const Bitmap& picture, Bitmap& out) {
    const bool black0 = IsBlack(PaletteColor(picture.Palette(), 0));
    const bool black1 = IsBlack(PaletteColor(picture.Palette(), 1));
    const size_t bytes = (size_t(picture.Width()) + 7) / 8;
    // Bits past the width stay 0, whatever the picture holds there.
    const uint8_t lastMask = uint8_t(0xFF << ((8 - picture.Width() % 8) % 8));
    for (uint32_t y = 0; y < picture.Height(); ++y) {
        const uint8_t* s = picture.Row(y);
        uint8_t* d = out.Row(y);
        if (black0 == black1) {
            std::memset(d, black0 ? 0xFF : 0x00, bytes);
        } else if (black0) {  // index 0 black: the usual [black, white] table, inverted
            for (size_t i = 0; i < bytes; ++i) d[i] = uint8_t(~s[i]);
        } else {
            std::memcpy(d, s, bytes);
        }
        d[bytes - 1] &= lastMask;
    }
}

}  // namespace

Bitmap MakeFaxBitmap(const Bitmap& picture) {
    Bitmap out(picture.Width(), picture.Height(), PixelFormat::Bit1);
    out.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
    if (picture.Empty()) return out;
    const uint32_t w = picture.Width();
    switch (picture.Format()) {
        case PixelFormat::Bit1:
            FromMono(picture, out);
            break;
        case PixelFormat::Bit4:
        case PixelFormat::Bit8: {
            bool black[256];
            for (unsigned i = 0; i < 256; ++i)
                black[i] = IsBlack(PaletteColor(picture.Palette(), i));
            const bool four = picture.Format() == PixelFormat::Bit4;
            for (uint32_t y = 0; y < picture.Height(); ++y) {
                const uint8_t* s = picture.Row(y);
                if (four)
                    PackRow(w, out.Row(y), [&](uint32_t x) {
                        return unsigned(black[(x & 1) ? s[x >> 1] & 0x0F : s[x >> 1] >> 4]);
                    });
                else
                    PackRow(w, out.Row(y), [&](uint32_t x) { return unsigned(black[s[x]]); });
            }
            break;
        }
        case PixelFormat::Bit24:
            for (uint32_t y = 0; y < picture.Height(); ++y) {
                const uint8_t* s = picture.Row(y);
                PackRow(w, out.Row(y), [&](uint32_t x) {
                    return unsigned(IsBlack(s[3 * x + 2], s[3 * x + 1], s[3 * x]));
                });
            }
            break;
        case PixelFormat::Bit32:
            for (uint32_t y = 0; y < picture.Height(); ++y) {
                const uint8_t* s = picture.Row(y);
                PackRow(w, out.Row(y), [&](uint32_t x) {
                    return unsigned(IsBlack(s[4 * x + 2], s[4 * x + 1], s[4 * x]));
                });
            }
            break;
        default:  // 15 and 16 bits: rare enough for the slow path
            for (uint32_t y = 0; y < picture.Height(); ++y)
                PackRow(w, out.Row(y),
                        [&](uint32_t x) { return unsigned(IsBlack(picture.PixelColor(x, y))); });
            break;
    }
    return out;
}

}  // namespace vellumo

#include "platform/Bitmap.h"

#include <algorithm>
#include <cstring>

#include "platform/Error.h"

namespace vellumo {

int BitsPerPixel(PixelFormat format) {
    switch (format) {
    case PixelFormat::Bit1: return 1;
    case PixelFormat::Bit4: return 4;
    case PixelFormat::Bit8: return 8;
    case PixelFormat::Bit15: return 16;
    case PixelFormat::Bit16: return 16;
    case PixelFormat::Bit24: return 24;
    case PixelFormat::Bit32: return 32;
    case PixelFormat::Device:
    case PixelFormat::Custom: return 0;
    }
    return 0;
}

PixelFormat PixelFormatOfBits(int bits) {
    switch (bits) {
    case 1: return PixelFormat::Bit1;
    case 4: return PixelFormat::Bit4;
    case 8: return PixelFormat::Bit8;
    case 15: return PixelFormat::Bit15;
    case 16: return PixelFormat::Bit16;
    case 24: return PixelFormat::Bit24;
    case 32: return PixelFormat::Bit32;
    default: return PixelFormat::Custom;
    }
}

const char* BitmapFormatName(PixelFormat format) {
    switch (format) {
    case PixelFormat::Device: return "Device";
    case PixelFormat::Bit1: return "1bit";
    case PixelFormat::Bit4: return "4bit";
    case PixelFormat::Bit8: return "8bit";
    case PixelFormat::Bit15: return "15bit";
    case PixelFormat::Bit16: return "16bit";
    case PixelFormat::Bit24: return "24bit";
    case PixelFormat::Bit32: return "32bit";
    case PixelFormat::Custom: return "Custom";
    }
    return "Custom";
}

size_t StrideFor(uint32_t width, int bitsPerPixel) {
    return ((uint64_t(width) * unsigned(bitsPerPixel) + 31) / 32) * 4;
}

Bitmap::Bitmap(uint32_t width, uint32_t height, PixelFormat format) {
    if (format == PixelFormat::Device || format == PixelFormat::Custom)
        throw Error("ビットマップの形式が不正です");
    if (width > kMaxSide || height > kMaxSide || uint64_t(width) * height > kMaxPixels)
        throw Error("画像が大きすぎます（" + std::to_string(width) + " × " +
                    std::to_string(height) + "）");
    width_ = width;
    height_ = height;
    format_ = format;
    stride_ = StrideFor(width, BitsPerPixel(format));
    pixels_.assign(stride_ * height, 0);
}

void Bitmap::Fill(uint8_t value) { std::fill(pixels_.begin(), pixels_.end(), value); }

RgbQuad PaletteColor(const std::vector<RgbQuad>& palette, unsigned index) {
    if (index < palette.size()) {
        RgbQuad c = palette[index];
        c.reserved = 0;
        return c;
    }
    return RgbQuad{};
}

uint8_t Bitmap::PixelIndex(uint32_t x, uint32_t y) const {
    const uint8_t* row = Row(y);
    switch (format_) {
    case PixelFormat::Bit1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case PixelFormat::Bit4: return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    case PixelFormat::Bit8: return row[x];
    default: return 0;
    }
}

void Bitmap::SetPixelIndex(uint32_t x, uint32_t y, uint8_t index) {
    uint8_t* row = Row(y);
    switch (format_) {
    case PixelFormat::Bit1: {
        const uint8_t mask = uint8_t(0x80 >> (x & 7));
        row[x >> 3] = (index & 1) ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask);
        break;
    }
    case PixelFormat::Bit4:
        if (x & 1)
            row[x >> 1] = uint8_t((row[x >> 1] & 0xF0) | (index & 0x0F));
        else
            row[x >> 1] = uint8_t((row[x >> 1] & 0x0F) | (index << 4));
        break;
    case PixelFormat::Bit8: row[x] = index; break;
    default: break;
    }
}

namespace {

inline uint8_t Widen5(unsigned v) { return uint8_t((v << 3) | (v >> 2)); }
inline uint8_t Widen6(unsigned v) { return uint8_t((v << 2) | (v >> 4)); }

}  // namespace

RgbQuad Bitmap::PixelColor(uint32_t x, uint32_t y) const {
    const uint8_t* row = Row(y);
    switch (format_) {
    case PixelFormat::Bit1:
    case PixelFormat::Bit4:
    case PixelFormat::Bit8: return PaletteColor(palette_, PixelIndex(x, y));
    case PixelFormat::Bit15: {
        const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
        return RgbQuad{Widen5(v & 31), Widen5((v >> 5) & 31), Widen5((v >> 10) & 31), 0};
    }
    case PixelFormat::Bit16: {
        const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
        return RgbQuad{Widen5(v & 31), Widen6((v >> 5) & 63), Widen5((v >> 11) & 31), 0};
    }
    case PixelFormat::Bit24: return RgbQuad{row[3 * x], row[3 * x + 1], row[3 * x + 2], 0};
    case PixelFormat::Bit32:
        return RgbQuad{row[4 * x], row[4 * x + 1], row[4 * x + 2], row[4 * x + 3]};
    default: return RgbQuad{};
    }
}

Bitmap ConvertTo24(const Bitmap& source) {
    if (source.Format() == PixelFormat::Bit24) return source;
    Bitmap out(source.Width(), source.Height(), PixelFormat::Bit24);
    out.Palette() = source.Palette();
    const uint32_t w = source.Width();
    // Indexed formats go through a full 256-entry lookup so that indices past the palette
    // show black, as GDI does.
    RgbQuad lut[256] = {};
    for (unsigned i = 0; i < 256; ++i) lut[i] = PaletteColor(source.Palette(), i);
    for (uint32_t y = 0; y < source.Height(); ++y) {
        const uint8_t* s = source.Row(y);
        uint8_t* d = out.Row(y);
        switch (source.Format()) {
        case PixelFormat::Bit1:
            for (uint32_t x = 0; x < w; ++x) {
                const RgbQuad& c = lut[(s[x >> 3] >> (7 - (x & 7))) & 1];
                d[3 * x] = c.b, d[3 * x + 1] = c.g, d[3 * x + 2] = c.r;
            }
            break;
        case PixelFormat::Bit4:
            for (uint32_t x = 0; x < w; ++x) {
                const RgbQuad& c = lut[(x & 1) ? s[x >> 1] & 0x0F : s[x >> 1] >> 4];
                d[3 * x] = c.b, d[3 * x + 1] = c.g, d[3 * x + 2] = c.r;
            }
            break;
        case PixelFormat::Bit8:
            for (uint32_t x = 0; x < w; ++x) {
                const RgbQuad& c = lut[s[x]];
                d[3 * x] = c.b, d[3 * x + 1] = c.g, d[3 * x + 2] = c.r;
            }
            break;
        case PixelFormat::Bit15:
        case PixelFormat::Bit16:
            for (uint32_t x = 0; x < w; ++x) {
                const RgbQuad c = source.PixelColor(x, y);
                d[3 * x] = c.b, d[3 * x + 1] = c.g, d[3 * x + 2] = c.r;
            }
            break;
        case PixelFormat::Bit32:
            for (uint32_t x = 0; x < w; ++x) {
                d[3 * x] = s[4 * x], d[3 * x + 1] = s[4 * x + 1], d[3 * x + 2] = s[4 * x + 2];
            }
            break;
        default: break;
        }
    }
    return out;
}

Bitmap ConvertTo32(const Bitmap& source) {
    if (source.Format() == PixelFormat::Bit32) return source;
    const Bitmap rgb = ConvertTo24(source);
    Bitmap out(source.Width(), source.Height(), PixelFormat::Bit32);
    for (uint32_t y = 0; y < rgb.Height(); ++y) {
        const uint8_t* s = rgb.Row(y);
        uint8_t* d = out.Row(y);
        for (uint32_t x = 0; x < rgb.Width(); ++x) {
            d[4 * x] = s[3 * x], d[4 * x + 1] = s[3 * x + 1], d[4 * x + 2] = s[3 * x + 2];
            d[4 * x + 3] = 255;
        }
    }
    return out;
}

Bitmap ReduceToMono(const Bitmap& source) {
    Bitmap out(source.Width(), source.Height(), PixelFormat::Bit1);
    out.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
    for (uint32_t y = 0; y < source.Height(); ++y) {
        uint8_t* d = out.Row(y);
        for (uint32_t x = 0; x < source.Width(); ++x) {
            const RgbQuad c = source.PixelColor(x, y);
            // 0.299, 0.587, 0.114 in thousandths; 128 or more is the nearer to white.
            if (299u * c.r + 587u * c.g + 114u * c.b >= 128'000u)
                d[x >> 3] = uint8_t(d[x >> 3] | (0x80 >> (x & 7)));
        }
    }
    return out;
}

}  // namespace vellumo

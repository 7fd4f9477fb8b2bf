#include "platform/Bitmap.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "platform/Error.h"
#include "platform/RowUnpack.h"

namespace vellumo {

int BitsPerPixel(PixelFormat format) {
    switch (format) {
        case PixelFormat::Bit1:
            return 1;
        case PixelFormat::Bit4:
            return 4;
        case PixelFormat::Bit8:
            return 8;
        case PixelFormat::Bit15:
            return 16;
        case PixelFormat::Bit16:
            return 16;
        case PixelFormat::Bit24:
            return 24;
        case PixelFormat::Bit32:
            return 32;
        case PixelFormat::Device:
        case PixelFormat::Custom:
            return 0;
    }
    return 0;
}

PixelFormat PixelFormatOfBits(int bits) {
    switch (bits) {
        case 1:
            return PixelFormat::Bit1;
        case 4:
            return PixelFormat::Bit4;
        case 8:
            return PixelFormat::Bit8;
        case 15:
            return PixelFormat::Bit15;
        case 16:
            return PixelFormat::Bit16;
        case 24:
            return PixelFormat::Bit24;
        case 32:
            return PixelFormat::Bit32;
        default:
            return PixelFormat::Custom;
    }
}

const char* BitmapFormatName(PixelFormat format) {
    switch (format) {
        case PixelFormat::Device:
            return "Device";
        case PixelFormat::Bit1:
            return "1bit";
        case PixelFormat::Bit4:
            return "4bit";
        case PixelFormat::Bit8:
            return "8bit";
        case PixelFormat::Bit15:
            return "15bit";
        case PixelFormat::Bit16:
            return "16bit";
        case PixelFormat::Bit24:
            return "24bit";
        case PixelFormat::Bit32:
            return "32bit";
        case PixelFormat::Custom:
            return "Custom";
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
    size_ = stride_ * height;
    if (size_ != 0) pixels_ = Allocate(size_);
}

#if defined(__SANITIZE_ADDRESS__)
#define VELLUMO_HEAP_ONLY 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELLUMO_HEAP_ONLY 1
#endif
#endif

Bitmap::Pixels Bitmap::Allocate(size_t size) {
// Under AddressSanitizer every picture stays on the heap, where overruns are caught.
#if defined(__linux__) && defined(MADV_HUGEPAGE) && !defined(VELLUMO_HEAP_ONLY)
    // From this size on a picture gets a mapping of its own, offered to the kernel for huge
    // pages: a fresh B4 scan (93 MB in 32 bits) then costs some 50 page faults instead of
    // 23,000, which takes about a third off loading it.
    constexpr size_t kOwnMappingFrom = size_t(8) << 20;
    constexpr size_t kHugePage = size_t(2) << 20;
    if (size >= kOwnMappingFrom) {
        const size_t length = (size + kHugePage - 1) & ~(kHugePage - 1);
        void* p =
            ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        ::madvise(p, length, MADV_HUGEPAGE);  // only a hint; without it the pages are small
        return Pixels(static_cast<uint8_t*>(p), FreeBytes{length});  // anonymous pages are zero
    }
#endif
    Pixels pixels(static_cast<uint8_t*>(std::calloc(size, 1)), FreeBytes{});
    if (!pixels) throw std::bad_alloc();
    return pixels;
}

void Bitmap::FreeBytes::operator()(uint8_t* p) const {
    if (mapped != 0)
        ::munmap(p, mapped);
    else
        std::free(p);
}

Bitmap::Bitmap(const Bitmap& other)
    : width_(other.width_),
      height_(other.height_),
      format_(other.format_),
      stride_(other.stride_),
      hasAlpha_(other.hasAlpha_),
      palette_(other.palette_),
      size_(other.size_) {
    if (size_ != 0) {
        pixels_ = Allocate(size_);
        std::memcpy(pixels_.get(), other.pixels_.get(), size_);
    }
}

Bitmap& Bitmap::operator=(const Bitmap& other) {
    if (this != &other) *this = Bitmap(other);
    return *this;
}

Bitmap::Bitmap(Bitmap&& other) noexcept
    : width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      format_(other.format_),
      stride_(std::exchange(other.stride_, 0)),
      hasAlpha_(std::exchange(other.hasAlpha_, false)),
      palette_(std::move(other.palette_)),
      pixels_(std::move(other.pixels_)),
      size_(std::exchange(other.size_, 0)) {
    other.palette_.clear();
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
    if (this != &other) {
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
        format_ = other.format_;
        stride_ = std::exchange(other.stride_, 0);
        hasAlpha_ = std::exchange(other.hasAlpha_, false);
        palette_ = std::move(other.palette_);
        other.palette_.clear();
        pixels_ = std::move(other.pixels_);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

void Bitmap::Fill(uint8_t value) {
    if (size_ != 0) std::memset(pixels_.get(), value, size_);
}

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
        case PixelFormat::Bit1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case PixelFormat::Bit4:
            return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
        case PixelFormat::Bit8:
            return row[x];
        default:
            return 0;
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
        case PixelFormat::Bit8:
            row[x] = index;
            break;
        default:
            break;
    }
}

RgbQuad Bitmap::PixelColor(uint32_t x, uint32_t y) const {
    const uint8_t* row = Row(y);
    switch (format_) {
        case PixelFormat::Bit1:
        case PixelFormat::Bit4:
        case PixelFormat::Bit8:
            return PaletteColor(palette_, PixelIndex(x, y));
        case PixelFormat::Bit15: {
            const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
            return RgbQuad{Widen5(v & 31), Widen5((v >> 5) & 31), Widen5((v >> 10) & 31), 0};
        }
        case PixelFormat::Bit16: {
            const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
            return RgbQuad{Widen5(v & 31), Widen6((v >> 5) & 63), Widen5((v >> 11) & 31), 0};
        }
        case PixelFormat::Bit24:
            return RgbQuad{row[3 * x], row[3 * x + 1], row[3 * x + 2], 0};
        case PixelFormat::Bit32:
            return RgbQuad{row[4 * x], row[4 * x + 1], row[4 * x + 2], row[4 * x + 3]};
        default:
            return RgbQuad{};
    }
}

Bitmap ConvertTo24(const Bitmap& source) {
    if (source.Format() == PixelFormat::Bit24) return source;
    Bitmap out(source.Width(), source.Height(), PixelFormat::Bit24);
    out.Palette() = source.Palette();
    const RowUnpacker rows(source, ChannelOrder::Bgr);
    for (uint32_t y = 0; y < source.Height(); ++y) rows.Unpack(y, out.Row(y));
    return out;
}

namespace {

/// Whether a colour is the nearer to white: luminance 0.299 R + 0.587 G + 0.114 B of 128 or
/// more, in thousandths so that the decision is exact.
inline bool NearerWhite(unsigned r, unsigned g, unsigned b) {
    return 299u * r + 587u * g + 114u * b >= 128'000u;
}

}  // namespace

Bitmap ConvertTo32(const Bitmap& source) {
    if (source.Format() == PixelFormat::Bit32) return source;
    Bitmap out(source.Width(), source.Height(), PixelFormat::Bit32);
    const RowUnpacker rows(source, ChannelOrder::Bgra);
    for (uint32_t y = 0; y < source.Height(); ++y) rows.Unpack(y, out.Row(y));
    return out;
}

Bitmap ReduceToMono(const Bitmap& source) {
    Bitmap out(source.Width(), source.Height(), PixelFormat::Bit1);
    out.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
    const uint32_t w = source.Width();
    bool white[256];
    for (unsigned i = 0; i < 256; ++i) {
        const RgbQuad c = PaletteColor(source.Palette(), i);
        white[i] = NearerWhite(c.r, c.g, c.b);
    }
    if (source.Format() == PixelFormat::Bit1) {
        // Each bit becomes white[bit]: a copy, an inversion, or all one colour, byte by byte.
        const uint8_t zero = white[0] ? 0xFF : 0x00;
        const uint8_t one = white[1] ? 0xFF : 0x00;
        const size_t rowBytes = (size_t(w) + 7) / 8;
        const uint8_t mask = uint8_t(0xFF << ((8 - w % 8) % 8));
        for (uint32_t y = 0; y < source.Height(); ++y) {
            const uint8_t* s = source.Row(y);
            uint8_t* d = out.Row(y);
            for (size_t i = 0; i < rowBytes; ++i) d[i] = uint8_t((s[i] & one) | (~s[i] & zero));
            d[rowBytes - 1] &= mask;
        }
        return out;
    }
    // Packs eight answers a byte; `white_at(s, x)` says whether pixel x of row s is white.
    const auto pack = [&](const uint8_t* s, uint8_t* d, auto white_at) {
        for (uint32_t x0 = 0; x0 < w; x0 += 8) {
            const uint32_t n = std::min<uint32_t>(8, w - x0);
            unsigned byte = 0;
            for (uint32_t i = 0; i < n; ++i) byte |= unsigned(white_at(s, x0 + i)) << (7 - i);
            d[x0 >> 3] = uint8_t(byte);
        }
    };
    if (source.Format() == PixelFormat::Bit8) {
        // An index is answered once per palette entry above, not once per pixel.
        for (uint32_t y = 0; y < source.Height(); ++y)
            pack(source.Row(y), out.Row(y),
                 [&](const uint8_t* s, uint32_t x) { return white[s[x]]; });
        return out;
    }
    const RowUnpacker rows(source, ChannelOrder::Bgr);
    std::vector<uint8_t> buffer(size_t(w) * 3);
    for (uint32_t y = 0; y < source.Height(); ++y) {
        const uint8_t* s = rows.Row(y, buffer.data());
        pack(s, out.Row(y), [](const uint8_t* row, uint32_t x) {
            const uint8_t* p = row + 3 * size_t(x);
            return NearerWhite(p[2], p[1], p[0]);
        });
    }
    return out;
}

}  // namespace vellumo

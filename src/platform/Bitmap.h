#pragma once
// The picture every pixel operation, writer and window works on: a device-independent
// bitmap in the Windows sense (formats, palettes, 4-byte row stride), stored top row first.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vellumo {

/// Bits per pixel of a bitmap. Device and Custom exist only so that the status line can
/// name them; no operation here creates them.
enum class PixelFormat { Device, Bit1, Bit4, Bit8, Bit15, Bit16, Bit24, Bit32, Custom };

/// One palette entry, in the byte order of a BMP colour table.
struct RgbQuad {
    uint8_t b = 0;
    uint8_t g = 0;
    uint8_t r = 0;
    uint8_t reserved = 0;
    friend bool operator==(const RgbQuad&, const RgbQuad&) = default;
};

/// Bits of storage per pixel (15-bit pixels take 16 bits); 0 for Device and Custom.
int BitsPerPixel(PixelFormat format);
/// The format for a bit count of 1, 4, 8, 15, 16, 24 or 32; Custom for any other.
PixelFormat PixelFormatOfBits(int bits);
/// The bitmap pixel format name of the viewer's status line ("1bit" ... "Custom").
const char* BitmapFormatName(PixelFormat format);

/// The largest picture any decoder or operation accepts, in pixels: A0 (841 × 1189 mm) at
/// 600 dpi is 19866 × 28087 = 558 Mpx; the limit leaves room for a margin around it. At 32
/// bits per pixel such a picture takes 2.4 GB.
constexpr uint64_t kMaxPixels = 600'000'000;
/// The largest width or height accepted on its own (keeps stride arithmetic in 32 bits).
constexpr uint32_t kMaxSide = 100'000;

/// Row stride in bytes for a width and bit count: ((w × bpp + 31) / 32) × 4.
size_t StrideFor(uint32_t width, int bitsPerPixel);

/// A bitmap: width, height, pixel format, palette and rows. Rows are stored top row first;
/// each row is `Stride()` bytes, padded to 4 bytes, padding zero. 1- and 4-bit pixels are
/// packed most significant bits first, as in BMP. 16-bit pixels are 5-6-5 (blue in the low
/// bits), 15-bit pixels 5-5-5; 24-bit pixels are blue, green, red; 32-bit pixels blue,
/// green, red and a fourth byte that is opacity only when `HasAlpha()`.
///
/// Copyable (a deep copy) and movable. An empty bitmap has width and height 0.
class Bitmap {
  public:
    Bitmap() = default;
    /// A bitmap of the given size and format with every byte zero and an empty palette.
    /// Throws Error when the size exceeds kMaxPixels or kMaxSide, or the format is Device
    /// or Custom; allocation failure throws std::bad_alloc. A large picture costs no
    /// clearing pass: its pages come zeroed from the system and are touched on first write.
    Bitmap(uint32_t width, uint32_t height, PixelFormat format);
    Bitmap(const Bitmap& other);
    Bitmap& operator=(const Bitmap& other);
    Bitmap(Bitmap&& other) noexcept;
    Bitmap& operator=(Bitmap&& other) noexcept;
    ~Bitmap() = default;

    uint32_t Width() const { return width_; }
    uint32_t Height() const { return height_; }
    PixelFormat Format() const { return format_; }
    int Bits() const { return BitsPerPixel(format_); }
    size_t Stride() const { return stride_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    size_t ByteSize() const { return size_; }

    /// Row y (0 is the top row); y must be below Height().
    uint8_t* Row(uint32_t y) { return pixels_.get() + size_t(y) * stride_; }
    const uint8_t* Row(uint32_t y) const { return pixels_.get() + size_t(y) * stride_; }
    uint8_t* Data() { return pixels_.get(); }
    const uint8_t* Data() const { return pixels_.get(); }

    /// The colour table: up to 2^bits entries for 1, 4 and 8 bits; empty for the others
    /// (a copied palette at 24 bits is kept but means nothing, as in a DIB).
    std::vector<RgbQuad>& Palette() { return palette_; }
    const std::vector<RgbQuad>& Palette() const { return palette_; }

    /// Whether the fourth byte of a 32-bit pixel is opacity when the picture is drawn.
    bool HasAlpha() const { return hasAlpha_; }
    void SetHasAlpha(bool on) { hasAlpha_ = on; }

    /// Fills every pixel byte (padding included) with `value`.
    void Fill(uint8_t value);

    /// The colour of pixel (x, y) in any format, through the palette for indexed formats;
    /// the reserved byte carries the fourth byte of a 32-bit pixel, else 0. For tests and
    /// slow paths only: kernels use row pointers.
    RgbQuad PixelColor(uint32_t x, uint32_t y) const;
    /// The palette index of pixel (x, y) of a 1-, 4- or 8-bit bitmap.
    uint8_t PixelIndex(uint32_t x, uint32_t y) const;
    /// Sets the palette index of pixel (x, y) of a 1-, 4- or 8-bit bitmap.
    void SetPixelIndex(uint32_t x, uint32_t y, uint8_t index);

  private:
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    PixelFormat format_ = PixelFormat::Bit24;
    size_t stride_ = 0;
    bool hasAlpha_ = false;
    std::vector<RgbQuad> palette_;
    struct FreeBytes {
        FreeBytes() noexcept : mapped(0) {}
        explicit FreeBytes(size_t length) noexcept : mapped(length) {}
        void operator()(uint8_t* p) const;
        size_t mapped;  // the length of an own mapping, or 0 for the heap
    };
    using Pixels = std::unique_ptr<uint8_t[], FreeBytes>;
    // Fresh zeroed memory (calloc, or a mapping of its own for a large picture) rather than a
    // vector: a vector clears every byte itself, a full extra pass over up to 2.4 GB.
    static Pixels Allocate(size_t size);
    Pixels pixels_;
    size_t size_ = 0;
};

/// The palette entry for an index, or black when the index lies past the palette's end
/// (as GDI shows it).
RgbQuad PaletteColor(const std::vector<RgbQuad>& palette, unsigned index);

/// The picture converted to 24 bits per pixel (Windows semantics): palette images expand
/// through their colour table, 15- and 16-bit pixels widen their channels (v << 3 | v >> 2),
/// 32-bit pixels drop their fourth byte, 24 bits is a copy. The palette is carried over.
Bitmap ConvertTo24(const Bitmap& source);

/// The picture converted to 32 bits per pixel, the fourth byte 255 (opaque) for every
/// format but 32 bits, which is a copy. Alpha flag: kept from a 32-bit source, else false.
Bitmap ConvertTo32(const Bitmap& source);

/// Whether a colour goes to black when a picture is reduced to black and white: its
/// luminance 0.299 R + 0.587 G + 0.114 B is below 128 (decided exactly, in thousandths).
/// The rule of ReduceToMono and of the fax writers.
inline bool IsNearerBlack(const RgbQuad& c) {
    return 299u * c.r + 587u * c.g + 114u * c.b < 128'000u;
}

/// Reduction to one bit per pixel keeping each pixel black or white: each pixel goes to the
/// nearer of black and white (index 1, white, when its luminance 0.299 R + 0.587 G +
/// 0.114 B is 128 or more, else index 0); the colour table is [black, white]. Meant for
/// pictures whose pixels are all black or white, which keep their look exactly.
Bitmap ReduceToMono(const Bitmap& source);

}  // namespace vellumo

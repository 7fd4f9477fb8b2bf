#pragma once
// What the per-format decoders share: the bytes of the file, the failure they raise, the
// size check, and the row converters that write 32-bit BGRA pixels.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/ImageDecoder.h"

namespace vellumo::decode {

/// The bytes of one file: held in memory, or read from an open descriptor with pread.
class ByteSource {
  public:
    /// Over memory; the bytes must outlive the source.
    explicit ByteSource(std::span<const uint8_t> bytes) : memory_(bytes), size_(bytes.size()) {}
    /// Over an open regular file of `size` bytes (the descriptor stays the caller's).
    ByteSource(int fd, uint64_t size) : fd_(fd), size_(size) {}

    uint64_t Size() const { return size_; }
    /// The whole content when it lies in memory, else an empty span.
    std::span<const uint8_t> Memory() const { return memory_; }
    /// Copies up to `len` bytes at `offset` to `out` and returns how many there were (fewer
    /// at the end of the file). Throws Failure when the file cannot be read.
    size_t ReadAt(uint64_t offset, void* out, size_t len) const;
    /// The `len` bytes at `offset`: a pointer into memory, or `scratch` filled from the file
    /// (resized as needed). Throws Failure when fewer than `len` bytes are there.
    const uint8_t* View(uint64_t offset, size_t len, std::vector<uint8_t>& scratch) const;

  private:
    std::span<const uint8_t> memory_;
    int fd_ = -1;
    uint64_t size_ = 0;
};

/// What a decoder is asked for.
enum class Target {
    Picture32,      ///< the 32-bit BGRA picture
    OneBitIndexed,  ///< a "1bppIndexed" frame in its own one-bit format with its palette
    /// Two-colour frames in one bit, all others as Picture32: a "1bppIndexed" frame as
    /// OneBitIndexed gives it, a "BlackWhite" frame with the colour table [black, white]
    /// (where the decoder reads its rows packed; else as Picture32).
    OneBitWhereTwoColour,
};

/// Whether a decoder asked for `target` keeps a frame named `pixelFormatName` in one bit
/// (the decoder passes `packedBilevel` false when it cannot read BlackWhite rows packed).
inline bool KeepsOneBit(Target target, const std::string& pixelFormatName,
                        bool packedBilevel = true) {
    if (target == Target::OneBitIndexed) return true;
    if (target != Target::OneBitWhereTwoColour) return false;
    return pixelFormatName == "1bppIndexed" || (packedBilevel && pixelFormatName == "BlackWhite");
}

/// A decoder's result.
struct Frame {
    std::string pixelFormatName;
    Bitmap picture;
};

/// The failure a decoder raises; the caller turns it into the DecodeError of the file.
struct Failure {
    std::string reason;
};
[[noreturn]] void Fail(std::string reason);

/// Refuses a frame of these dimensions when it is empty or over the limits.
void CheckSize(uint64_t width, uint64_t height, const DecodeLimits& limits);
/// The failure for a frame that is not "1bppIndexed" when the one-bit load asked for one.
[[noreturn]] void FailNotOneBitIndexed(const std::string& pixelFormatName);

/// Makes the rows of a new picture resident in steps of about a megabyte just before they
/// are written: one call per step instead of one page fault per 4 KB page, which takes a
/// fifth off filling a fresh picture. Merely a hint; kernels without it change nothing.
class RowPrefault {
  public:
    explicit RowPrefault(Bitmap& picture) : picture_(picture) {}
    /// Call before writing row `y`; rows are expected in rising order.
    void Before(uint32_t y) {
        if (y >= until_) Advance(y);
    }

  private:
    void Advance(uint32_t y);
    Bitmap& picture_;
    uint32_t until_ = 0;
};

/// A 32-bit BGRA pixel as the four bytes are stored (little-endian word).
constexpr uint32_t Bgra(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
    return uint32_t(b) | (uint32_t(g) << 8) | (uint32_t(r) << 16) | (uint32_t(a) << 24);
}

/// Expands packed palette indices (1, 2, 4 or 8 bits, most significant first) to BGRA
/// through a 256-entry colour table; for 1, 2 and 4 bits one lookup yields the pixels of a
/// whole source byte.
class IndexedExpander {
  public:
    /// `colors` holds the colour of every index a pixel of `bits` bits can take.
    IndexedExpander(int bits, const uint32_t (&colors)[256]);
    /// Writes `count` pixels from `src` (starting at a byte boundary) to `dst`.
    void Expand(const uint8_t* src, uint8_t* dst, uint32_t count) const;

  private:
    int bits_;
    uint32_t colors_[256];
    // Pixels of each source byte: 8, 4 or 2 of them for 1, 2 or 4 bits.
    std::vector<uint32_t> byteTable_;
};

/// Sample layouts of direct colour rows (one interleaved row of `samples` values per pixel,
/// 8-bit or native-order 16-bit).
struct SampleLayout {
    enum Kind { Gray, Rgb, Cmyk } kind = Rgb;
    int samples = 3;    ///< values per pixel, the extra ones included
    bool wide = false;  ///< 16-bit samples in native byte order
    int alpha = -1;     ///< index of the opacity sample, or -1
    bool premultiplied = false;
    bool invert = false;  ///< Gray: 0 is white; Cmyk: stored inverted (Adobe JPEG)
};

/// Writes `count` pixels of `layout` from `src` to BGRA `dst`; 16-bit values keep their
/// high byte.
void ConvertSamples(const SampleLayout& layout, const uint8_t* src, uint8_t* dst, uint32_t count);

/// Per-format decoders. Each checks the size against `limits` before it allocates.
Frame DecodeBmp(const ByteSource& source, Target target, const DecodeLimits& limits);
Frame DecodePng(const ByteSource& source, Target target, const DecodeLimits& limits);
Frame DecodeJpeg(const ByteSource& source, Target target, const DecodeLimits& limits);
Frame DecodeGif(const ByteSource& source, Target target, const DecodeLimits& limits);
Frame DecodeTiff(const ByteSource& source, Target target, const DecodeLimits& limits);

}  // namespace vellumo::decode

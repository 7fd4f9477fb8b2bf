#pragma once
// Image files for the decoder tests, written by the formats' own libraries (TIFF, PNG,
// JPEG, GIF) or byte by byte (BMP), and a pixel comparison that names the first wrong pixel.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Bitmap.h"

namespace vellumo::test {

using FileBytes = std::vector<uint8_t>;

/// A colour as its four BGRA bytes form a little-endian word.
constexpr uint32_t Argb(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
    return uint32_t(b) | (uint32_t(g) << 8) | (uint32_t(r) << 16) | (uint32_t(a) << 24);
}

/// Whether every pixel (x, y) of the 32-bit `picture` is `expected(x, y)`; names the first
/// that is not, with both colours.
::testing::AssertionResult SamePixels(const Bitmap& picture,
                                      const std::function<uint32_t(uint32_t, uint32_t)>& expected);

/// Rows of packed samples, `rowBytes` each, filled with a pattern that reaches every value.
std::vector<uint8_t> PatternRows(uint32_t rowBytes, uint32_t rows, uint32_t seed = 1);

/// A TIFF written by libtiff from packed contiguous rows (or, with `separate`, from rows of
/// `samples` planes one after the other per row).
struct TiffSpec {
    uint32_t width = 8, height = 4;
    uint16_t bits = 8, samples = 1;
    uint16_t photometric = 1;   // min-is-black
    uint16_t compression = 1;   // none
    uint32_t rowsPerStrip = 0;  // 0: the library's default
    uint32_t tileSize = 0;      // 0: strips; else square tiles of this side
    bool separate = false;
    std::vector<uint16_t> extraSamples;  // ExtraSamples values
    std::vector<uint16_t> colorMap;      // r[2^bits], g[...], b[...]
    uint16_t jpegQuality = 0;            // JPEG: quality (YCbCr colour when 3 samples)
};
FileBytes TiffFile(const TiffSpec& shape, const std::vector<uint8_t>& rows);

/// A PNG written by libpng from packed rows in PNG order (16-bit samples big-endian).
struct PngSpec {
    uint32_t width = 8, height = 4;
    int colorType = 0, depth = 8;
    bool interlace = false;
    std::vector<uint8_t> palette;  // r, g, b triples
    std::vector<uint8_t> trns;     // palette alphas, or the transparent value as PNG bytes
};
FileBytes PngFile(const PngSpec& shape, const std::vector<uint8_t>& rows);

/// A JPEG written by libjpeg from interleaved 8-bit rows of `components` (1 gray, 3 RGB,
/// 4 CMYK, which libjpeg writes with an Adobe marker, inverted as Adobe files are).
FileBytes JpegFile(uint32_t width, uint32_t height, int components,
                   const std::vector<uint8_t>& pixels, int quality = 100, bool progressive = false);

/// A GIF written by giflib: indices row by row, a 256-entry colour map of r, g, b triples.
FileBytes GifFile(uint32_t width, uint32_t height, const std::vector<uint8_t>& indices,
                  const std::vector<uint8_t>& colorMap, int transparent = -1,
                  bool interlace = false);

/// A BMP: file header, a header of `headerSize` bytes (12, 40, 56, 108, 124), masks after a
/// 40-byte header when `masks` is given with compression 3, the palette (b, g, r, 0
/// quads; triples for a 12-byte header), then `data` (rows as stored in the file).
struct BmpSpec {
    int32_t width = 8, height = 4;  // negative height: top-down
    uint16_t bits = 8;
    uint32_t compression = 0;
    uint32_t headerSize = 40;
    std::vector<uint32_t> masks;   // red, green, blue[, alpha]
    std::vector<uint8_t> palette;  // b, g, r triples
    uint32_t colorsUsed = 0;
};
FileBytes BmpFile(const BmpSpec& shape, const std::vector<uint8_t>& data);

}  // namespace vellumo::test

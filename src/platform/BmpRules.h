#pragma once
// The BMP headers the decoder reads, as one rule for every reader of BMP headers: a file
// the viewer shows has its resolution read by the same rule.

#include <cstdint>

namespace vellumo {

inline constexpr uint32_t kBmpRgb = 0, kBmpRle8 = 1, kBmpRle4 = 2, kBmpBitfields = 3,
                          kBmpAlphaBitfields = 6;

/// The core (12), info (40), 52-, 56- and 64-byte, v4 (108) and v5 (124) headers.
inline bool BmpHeaderSizeKnown(uint32_t size) {
    switch (size) {
        case 12:
        case 40:
        case 52:
        case 56:
        case 64:
        case 108:
        case 124:
            return true;
        default:
            return false;
    }
}

/// Whether a header with `compression` and `bits` per pixel is decoded: plain rows, RLE8 at
/// 8 bits, RLE4 at 4 bits, bit fields (with or without alpha) at 16 and 32 bits.
inline bool BmpCompressionDecodes(uint32_t compression, int bits) {
    const bool fields = compression == kBmpBitfields || compression == kBmpAlphaBitfields;
    return compression == kBmpRgb || (compression == kBmpRle8 && bits == 8) ||
           (compression == kBmpRle4 && bits == 4) || (fields && (bits == 16 || bits == 32));
}

}  // namespace vellumo

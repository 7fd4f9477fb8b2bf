#pragma once
// Rows of any picture read as ink darkness, one byte a pixel: what a drawing keeps of a
// picture once it is made black and white. The resampling in gray and the search for a
// drawing's content read pictures through it.

#include <cstdint>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/RowUnpack.h"

namespace vellumo {

/// Reads the rows of one bitmap as darkness 0 (white) to 255 (black):
/// - one bit: 255 where the pixel's colour is nearer black (IsNearerBlack), else 0;
/// - every other format: 255 − (B + G + R) div 3, the stored value of the viewer's gray
///   picture, so the viewer's threshold makes the same pixels black from it; a 32-bit
///   picture that HasAlpha() is first laid over white paper.
/// The bitmap must outlive the reader and keep its size.
class DarknessRows {
  public:
    explicit DarknessRows(const Bitmap& source);

    /// Row y as Width() darkness bytes in `out`.
    void Read(uint32_t y, uint8_t* out) const;

  private:
    const Bitmap& source_;
    RowUnpacker rows24_;
    uint8_t lut_[256];                     // darkness of each palette index
    mutable std::vector<uint8_t> buffer_;  // a 24-bit row of the formats unpacked
};

/// The colour of a 32-bit pixel with opacity `alpha` laid over white: c × a / 255 +
/// 255 × (1 − a / 255), rounded.
inline uint8_t OverWhite(unsigned c, unsigned alpha) {
    return uint8_t((c * alpha + 255u * (255u - alpha) + 127u) / 255u);
}

}  // namespace vellumo

#pragma once
// The general 256-colour halftone palette, and the reduction of 24-bit pixels to it: the
// format an 8-bit picture comes back in from the despeckle filter (the platform reduction
// to 8 bits does not keep the picture's own palette).
//
// The palette follows the Windows halftone palette: entries 0–9 are the first ten static
// system colours, 10–225 a 6 × 6 × 6 colour cube (levels 0, 51, 102, 153, 204, 255; entry
// 10 + 36 r + 6 g + b), 226–245 twenty grays round(k × 255 / 21) for k = 1 … 20 that
// fill the gaps between the cube's six grays, and 246–255 the last ten static colours.
// Reserved bytes are 0.

#include <cstdint>
#include <vector>

#include "platform/Bitmap.h"

namespace vellumo {

/// The 256 entries described above.
const std::vector<RgbQuad>& HalftonePalette();

/// The index of the palette entry nearest to (r, g, b) in plain RGB distance; of equally
/// near entries the lowest index.
uint8_t NearestHalftoneIndex(uint8_t r, uint8_t g, uint8_t b);

/// Maps 24-bit rows to halftone indices, remembering recent colours (pictures that came
/// from 8 bits hold few of them). One mapper per thread.
class HalftoneMapper {
  public:
    HalftoneMapper();
    /// Maps `width` pixels of blue, green, red bytes to one index byte each.
    void MapRow(const uint8_t* bgr, uint32_t width, uint8_t* out);

  private:
    static constexpr unsigned kSlots = 4096;
    std::vector<uint32_t> keys_;  // colour + 1; 0 marks an empty slot
    std::vector<uint8_t> values_;
};

/// A 24-bit picture reduced to 8 bits per pixel with the halftone palette. Throws Error for
/// any other format.
Bitmap ConvertToHalftone8(const Bitmap& source24);

}  // namespace vellumo

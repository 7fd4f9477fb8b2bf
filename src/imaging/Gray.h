#pragma once
// The 8-bit grayscale picture of the viewer: 256 palette entries where entry k is gray
// 255 − k, each pixel storing its darkness d = 255 − (B + G + R) div 3.

#include <vector>

#include "platform/Bitmap.h"

namespace vellumo {

/// The palette of the gray format: entry k has red = green = blue = 255 − k, flags 0
/// (entry 0 white, entry 255 black).
std::vector<RgbQuad> CreateGrayPalette();

/// The gray picture of `source` (any format, read through its palette where it has one);
/// `source` itself is converted to 24 bits per pixel in place, as the viewer's picture is
/// when it is turned gray (its look does not change). Channels weigh equally and the
/// division truncates: (10, 20, 30) gives gray 20, stored value 235.
Bitmap ConvertToGray8(Bitmap& source);

/// The same gray picture without touching `source`: for callers that replace the source
/// with the result anyway and need not hold a 24-bit copy meanwhile.
Bitmap GrayOf(const Bitmap& source);

}  // namespace vellumo

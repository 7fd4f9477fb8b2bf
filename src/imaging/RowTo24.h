#pragma once
// Rows of any pixel format read as 24-bit blue, green, red bytes, one row at a time, so
// that a kernel written for 24 bits serves every format without converting the whole
// picture first (which would hold a second full copy in memory).

#include <cstdint>
#include <vector>

#include "platform/Bitmap.h"

namespace vellumo {

/// Reads the rows of one bitmap as 24-bit rows with the colours ConvertTo24 gives: palette
/// formats through their colour table (indices past its end black), 15- and 16-bit pixels
/// with widened channels, 32-bit pixels without their fourth byte. The bitmap must outlive
/// the reader and keep its size.
class RowTo24 {
  public:
    explicit RowTo24(const Bitmap& source);

    /// Row y as 3 × Width() bytes. For a 24-bit source this is the bitmap's own row;
    /// otherwise the row is expanded into `buffer` (at least 3 × Width() bytes), which is
    /// returned.
    const uint8_t* Row(uint32_t y, uint8_t* buffer) const;

    /// Expands row y into `buffer` whatever the format (a copy for 24 bits).
    void ExpandInto(uint32_t y, uint8_t* buffer) const;

  private:
    const Bitmap& source_;
    RgbQuad lut_[256];
};

}  // namespace vellumo

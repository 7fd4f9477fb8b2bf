#pragma once
// Rows of any bitmap as red, green, blue bytes: what the TIFF, JPEG and PNG writers store
// for a colour picture, without making a 24-bit copy of the whole picture first.

#include <cstdint>

#include "platform/Bitmap.h"

namespace vellumo {

/// Reads the rows of one bitmap as 8-bit red, green, blue triples, with the colours
/// ConvertTo24 gives (indexed pixels through the palette, an index past its end black;
/// 15- and 16-bit channels widened; the fourth byte of 32-bit pixels dropped). The bitmap
/// must outlive the reader and keep its format and palette.
class RgbRowReader {
public:
    explicit RgbRowReader(const Bitmap& bitmap);

    /// Writes Width() × 3 bytes for row `y` (below Height()) to `out`.
    void Read(uint32_t y, uint8_t* out) const;

private:
    const Bitmap& bitmap_;
    uint8_t lut_[256][3] = {};
};

}  // namespace vellumo

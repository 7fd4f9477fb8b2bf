#pragma once
// Rows of any pixel format as three bytes a pixel (four for the viewer's opaque 32-bit
// picture), one row at a time: what the image kernels (blue, green, red) and the writers
// (red, green, blue) read, without a converted copy of the whole picture.

#include <cstdint>

#include "platform/Bitmap.h"

namespace vellumo {

/// The bytes of an unpacked pixel: three, or four with a fourth byte 255 (opaque).
enum class ChannelOrder { Bgr, Rgb, Bgra };

/// 5- and 6-bit channels widened to 8 bits as Windows does (v << 3 | v >> 2).
constexpr uint8_t Widen5(unsigned v) { return uint8_t((v << 3) | (v >> 2)); }
constexpr uint8_t Widen6(unsigned v) { return uint8_t((v << 2) | (v >> 4)); }

/// Unpacks the rows of one bitmap with the colours ConvertTo24 gives: palette formats
/// through their colour table (an index past its end black), 15- and 16-bit pixels with
/// widened channels, 32-bit pixels without their fourth byte. The bitmap must outlive the
/// unpacker and keep its size, format and palette.
class RowUnpacker {
  public:
    RowUnpacker(const Bitmap& source, ChannelOrder order);

    /// Writes 3 × Width() bytes (4 × for Bgra) of row `y` (below Height()) to `out`.
    void Unpack(uint32_t y, uint8_t* out) const;

    /// Row `y` as 3 × Width() bytes: the bitmap's own row where it already is in that form
    /// (24 bits, blue first), else unpacked into `buffer`, which is returned.
    const uint8_t* Row(uint32_t y, uint8_t* buffer) const;

  private:
    const Bitmap& source_;
    ChannelOrder order_;
    uint8_t lut_[256][4] = {};
};

}  // namespace vellumo

#pragma once
// The five row filters of PNG and the adaptive choice among them that libpng makes: the
// filter whose output bytes, read as signed numbers, have the smallest sum of magnitudes,
// the earlier one (None, Sub, Up, Average, Paeth) on a tie.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vellumo {

enum class PngFiltering {
    Sub,       ///< the Sub filter on every row
    Adaptive,  ///< the best of the five for each row
};

/// Filters rows for one picture. Holds the scratch rows of one thread.
class PngRowFilter {
  public:
    /// Rows of `rowBytes` bytes whose whole pixels are `pixelBytes` bytes (1 for pixels
    /// smaller than a byte).
    PngRowFilter(PngFiltering filtering, size_t rowBytes, unsigned pixelBytes);

    /// Writes the filter type byte and the filtered `row` (rowBytes + 1 bytes) to `out`;
    /// `previous` is the row above, all zeros for the first row.
    void Filter(const uint8_t* row, const uint8_t* previous, uint8_t* out);

  private:
    PngFiltering filtering_;
    size_t rowBytes_;
    unsigned bpp_;
    std::vector<uint8_t> trial_;
    std::vector<uint8_t> best_;
};

}  // namespace vellumo

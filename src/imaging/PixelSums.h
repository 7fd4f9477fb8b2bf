#pragma once
// Row kernels shared by the operations that judge a pixel by the sum of its three channels
// (threshold, gray, despeckle). Sums are 0 … 765 and kept as int16_t.

#include <cstdint>

namespace vellumo {

/// s div 3 for 0 ≤ s ≤ 765 (exact over that range, checked at compile time), without a
/// division.
constexpr inline unsigned DivideBy3(unsigned s) { return (s * 43691u) >> 17; }

/// sums[x] = blue + green + red of each of `width` pixels of 3 bytes.
void SumRow24(const uint8_t* row, uint32_t width, int16_t* sums);
/// The same for pixels of 4 bytes, the fourth ignored.
void SumRow32(const uint8_t* row, uint32_t width, int16_t* sums);

/// Packs `width` sums into bits, most significant bit first, 1 where the sum is at least
/// `limit` (0 … 766); the unused low bits of the last byte are 0.
void PackAtLeast(const int16_t* sums, uint32_t width, int limit, uint8_t* bits);

/// darkness[x] = 255 − sums[x] div 3.
void DarknessRow(const int16_t* sums, uint32_t width, uint8_t* darkness);

}  // namespace vellumo

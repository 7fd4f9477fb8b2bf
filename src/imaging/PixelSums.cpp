#include "imaging/PixelSums.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vellumo {

namespace {

// Both ways of dividing by three used here are exact over every channel sum.
static_assert([] {
    for (unsigned s = 0; s <= 765; ++s)
        if (DivideBy3(s) != s / 3 || (s * 21846u) >> 16 != s / 3) return false;
    return true;
}());

#if defined(__SSE2__)
// Bit order of a byte reversed: movemask gives the first pixel in the lowest bit, the rows
// want it in the highest.
struct Reversed {
    uint8_t v[256];
    constexpr Reversed() : v() {
        for (unsigned i = 0; i < 256; ++i) {
            unsigned r = 0;
            for (unsigned b = 0; b < 8; ++b) r |= ((i >> b) & 1u) << (7 - b);
            v[i] = uint8_t(r);
        }
    }
};
constexpr Reversed kReversed;
#endif

}  // namespace

void SumRow24(const uint8_t* row, uint32_t width, int16_t* sums) {
    for (uint32_t x = 0; x < width; ++x)
        sums[x] = int16_t(row[3 * x] + row[3 * x + 1] + row[3 * x + 2]);
}

void SumRow32(const uint8_t* row, uint32_t width, int16_t* sums) {
    uint32_t x = 0;
#if defined(__SSE2__)
    // Per 32-bit pixel: madd of (blue, red) with (1, 1) plus madd of (green, fourth) with
    // (1, 0).
    const __m128i low = _mm_set1_epi16(0x00FF);
    const __m128i ones = _mm_set1_epi16(1);
    const __m128i first = _mm_set1_epi32(1);
    for (; x + 8 <= width; x += 8) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 4 * x));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 4 * x + 16));
        const __m128i sa = _mm_add_epi32(_mm_madd_epi16(_mm_and_si128(a, low), ones),
                                         _mm_madd_epi16(_mm_srli_epi16(a, 8), first));
        const __m128i sb = _mm_add_epi32(_mm_madd_epi16(_mm_and_si128(b, low), ones),
                                         _mm_madd_epi16(_mm_srli_epi16(b, 8), first));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + x), _mm_packs_epi32(sa, sb));
    }
#endif
    for (; x < width; ++x) sums[x] = int16_t(row[4 * x] + row[4 * x + 1] + row[4 * x + 2]);
}

void PackAtLeast(const int16_t* sums, uint32_t width, int limit, uint8_t* bits) {
    uint32_t x = 0;
#if defined(__SSE2__)
    const __m128i below = _mm_set1_epi16(int16_t(limit - 1));
    for (; x + 16 <= width; x += 16) {
        const __m128i a =
            _mm_cmpgt_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + x)), below);
        const __m128i b =
            _mm_cmpgt_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + x + 8)), below);
        const unsigned m = unsigned(_mm_movemask_epi8(_mm_packs_epi16(a, b)));
        bits[x / 8] = kReversed.v[m & 0xFF];
        bits[x / 8 + 1] = kReversed.v[m >> 8];
    }
#endif
    for (; x < width; x += 8) {
        unsigned byte = 0;
        for (uint32_t k = 0; k < 8 && x + k < width; ++k)
            byte |= unsigned(sums[x + k] >= limit) << (7 - k);
        bits[x / 8] = uint8_t(byte);
    }
}

void DarknessRow(const int16_t* sums, uint32_t width, uint8_t* darkness) {
    uint32_t x = 0;
#if defined(__SSE2__)
    // The high half of s × 21846 is s div 3 for every channel sum (checked above).
    const __m128i third = _mm_set1_epi16(21846);
    const __m128i white = _mm_set1_epi16(255);
    for (; x + 16 <= width; x += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + x));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + x + 8));
        const __m128i da = _mm_sub_epi16(white, _mm_mulhi_epu16(a, third));
        const __m128i db = _mm_sub_epi16(white, _mm_mulhi_epu16(b, third));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(darkness + x), _mm_packus_epi16(da, db));
    }
#endif
    for (; x < width; ++x) darkness[x] = uint8_t(255 - DivideBy3(unsigned(sums[x])));
}

}  // namespace vellumo

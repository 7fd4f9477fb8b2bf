#include "save/PngRowFilter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace vellumo {

namespace {

enum Type : uint8_t { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };

inline unsigned Magnitude(uint8_t v) { return v < 128 ? v : 256u - v; }

inline uint8_t Paeth(int a, int b, int c) {
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    if (pa <= pb && pa <= pc) return uint8_t(a);
    return uint8_t(pb <= pc ? b : c);
}

/// Byte i of the row under filter `type`; a and c are 0 left of the first pixel.
template <Type type>
inline uint8_t Filtered(const uint8_t* row, const uint8_t* prev, size_t i, unsigned bpp) {
    const int x = row[i];
    const int a = i >= bpp ? row[i - bpp] : 0;
    const int b = prev[i];
    const int c = i >= bpp ? prev[i - bpp] : 0;
    switch (type) {
        case kSub:
            return uint8_t(x - a);
        case kUp:
            return uint8_t(x - b);
        case kAverage:
            return uint8_t(x - ((a + b) >> 1));
        case kPaeth:
            return uint8_t(x - Paeth(a, b, c));
        default:
            return uint8_t(x);
    }
}

/// Writes the filtered row to out[1..] and returns its sum of magnitudes, or stops once the
/// sum reaches `limit` (the filter can then not win) and returns at least `limit`. Blocks
/// keep the inner loop free of the test.
template <Type type>
size_t Apply(const uint8_t* row, const uint8_t* prev, size_t bytes, unsigned bpp, uint8_t* out,
             size_t limit) {
    out[0] = type;
    uint8_t* d = out + 1;
    size_t sum = 0;
    const size_t head = std::min<size_t>(bpp, bytes);
    for (size_t i = 0; i < head; ++i) sum += Magnitude(d[i] = Filtered<type>(row, prev, i, bpp));
    constexpr size_t kBlock = 256;
    for (size_t start = head; start < bytes && sum < limit; start += kBlock) {
        const size_t end = std::min(bytes, start + kBlock);
        for (size_t i = start; i < end; ++i) {
            const int x = row[i], a = row[i - bpp], b = prev[i], c = prev[i - bpp];
            uint8_t v;
            if constexpr (type == kSub)
                v = uint8_t(x - a);
            else if constexpr (type == kUp)
                v = uint8_t(x - b);
            else if constexpr (type == kAverage)
                v = uint8_t(x - ((a + b) >> 1));
            else
                v = uint8_t(x - Paeth(a, b, c));
            d[i] = v;
            sum += Magnitude(v);
        }
    }
    return sum;
}

}  // namespace

PngRowFilter::PngRowFilter(PngFiltering filtering, size_t rowBytes, unsigned pixelBytes)
    : filtering_(filtering), rowBytes_(rowBytes), bpp_(std::max(1u, pixelBytes)) {
    if (filtering_ == PngFiltering::Adaptive) {
        trial_.resize(rowBytes + 1);
        best_.resize(rowBytes + 1);
    }
}

void PngRowFilter::Filter(const uint8_t* row, const uint8_t* previous, uint8_t* out) {
    const size_t n = rowBytes_;
    if (filtering_ == PngFiltering::Sub) {
        Apply<kSub>(row, previous, n, bpp_, out, SIZE_MAX);
        return;
    }
    size_t best = 0;
    for (size_t i = 0; i < n; ++i) best += Magnitude(row[i]);
    Type chosen = kNone;
    auto attempt = [&](Type type, size_t sum) {
        if (sum < best) {
            best = sum;
            chosen = type;
            std::swap(trial_, best_);
        }
    };
    attempt(kSub, Apply<kSub>(row, previous, n, bpp_, trial_.data(), best));
    attempt(kUp, Apply<kUp>(row, previous, n, bpp_, trial_.data(), best));
    attempt(kAverage, Apply<kAverage>(row, previous, n, bpp_, trial_.data(), best));
    attempt(kPaeth, Apply<kPaeth>(row, previous, n, bpp_, trial_.data(), best));
    if (chosen == kNone) {
        out[0] = kNone;
        std::memcpy(out + 1, row, n);
    } else {
        std::memcpy(out, best_.data(), n + 1);
    }
}

}  // namespace vellumo

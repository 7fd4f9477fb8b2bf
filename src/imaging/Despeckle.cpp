#include "imaging/Despeckle.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imaging/Halftone.h"
#include "imaging/PixelSums.h"
#include "platform/RowUnpack.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vellumo {

namespace {

// The three source rows around row y, as pixels of N bytes (blue, green, red first), with
// their channel sums; the rows above the top and below the bottom are null.
template <int N>
struct Neighbourhood {
    const uint8_t* rows[3];
    const int16_t* sums[3];
    uint32_t width;
};

// The viewer's rule for one pixel, exactly: collect the window in reading order, order it
// by the partial selection, and replace when the centre is far enough from entry n div 2.
// Which of several equal-sum colours ends up there depends on this exchange order, so it
// is run as written for every pixel that is replaced.
template <int N>
inline void ExactPixel(const Neighbourhood<N>& nb, uint32_t x, int threshold, uint8_t* out) {
    struct Entry {
        const uint8_t* colour;
        int sum;
    };
    Entry e[9];
    int n = 0;
    const uint32_t x0 = x > 0 ? x - 1 : 0;
    const uint32_t x1 = std::min(x + 1, nb.width - 1);
    for (int r = 0; r < 3; ++r) {
        if (!nb.rows[r]) continue;
        for (uint32_t xx = x0; xx <= x1; ++xx)
            e[n++] = Entry{nb.rows[r] + size_t(N) * xx, nb.sums[r][xx]};
    }
    const int m = n / 2;
    for (int i = 0; i <= m; ++i)
        for (int j = i + 1; j < n; ++j)
            if (e[i].sum > e[j].sum) std::swap(e[i], e[j]);
    const int centre = nb.sums[1][x];
    if (std::abs(centre - e[m].sum) >= threshold) std::memcpy(out, e[m].colour, 3);
}

// An interior pixel known to be replaced by a window median of sum `median`. The entry the
// selection leaves in the middle has that sum; when every window pixel of that sum has the
// same colour, that colour is the answer whatever the exchange order (always so in a
// drawing, nearly always in a scan), and the selection runs only otherwise.
template <int N>
inline void ReplaceInterior(const Neighbourhood<N>& nb, uint32_t x, int median, int threshold,
                            uint8_t* out) {
    const uint8_t* found = nullptr;
    for (int r = 0; r < 3; ++r)
        for (uint32_t xx = x - 1; xx <= x + 1; ++xx) {
            if (nb.sums[r][xx] != median) continue;
            const uint8_t* p = nb.rows[r] + size_t(N) * xx;
            if (!found) {
                found = p;
            } else if (std::memcmp(p, found, 3) != 0) {
                ExactPixel(nb, x, threshold, out);
                return;
            }
        }
    std::memcpy(out, found, 3);
}

template <int N>
void SumRow(const uint8_t* row, uint32_t w, int16_t* sums) {
    if constexpr (N == 4)
        SumRow32(row, w, sums);
    else
        SumRow24(row, w, sums);
}

// The interior of row y (1 ≤ x ≤ w − 2, neighbours above and below present). The median of
// nine sums is med3(max of the column minima, med3 of the column medians, min of the column
// maxima), which is the value entry 4 takes after the selection; only pixels it marks for
// replacement need the exact selection, for their colour.
template <int N>
void InteriorRow(const Neighbourhood<N>& nb, int threshold, int16_t* lo, int16_t* mid, int16_t* hi,
                 uint8_t* out) {
    const uint32_t w = nb.width;
    const int16_t* a = nb.sums[0];
    const int16_t* b = nb.sums[1];
    const int16_t* c = nb.sums[2];
    uint32_t x = 0;
#if defined(__SSE2__)
    for (; x + 8 <= w; x += 8) {
        const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + x));
        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + x));
        const __m128i vc = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + x));
        const __m128i l = _mm_min_epi16(va, vb), t = _mm_max_epi16(va, vb);
        const __m128i u = _mm_min_epi16(t, vc);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(hi + x), _mm_max_epi16(t, vc));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(mid + x), _mm_max_epi16(l, u));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(lo + x), _mm_min_epi16(l, u));
    }
#endif
    for (; x < w; ++x) {
        const int16_t l = std::min(a[x], b[x]), t = std::max(a[x], b[x]);
        const int16_t u = std::min(t, c[x]);
        hi[x] = std::max(t, c[x]);
        mid[x] = std::max(l, u);
        lo[x] = std::min(l, u);
    }

    auto med3 = [](int p, int q, int r) {
        return std::max(std::min(p, q), std::min(std::max(p, q), r));
    };
    x = 1;
#if defined(__SSE2__)
    const __m128i limit = _mm_set1_epi16(int16_t(threshold - 1));
    alignas(16) int16_t medians[8];
    for (; x + 8 <= w - 1; x += 8) {
        auto load = [](const int16_t* p) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        };
        const __m128i maxLo =
            _mm_max_epi16(_mm_max_epi16(load(lo + x - 1), load(lo + x)), load(lo + x + 1));
        const __m128i minHi =
            _mm_min_epi16(_mm_min_epi16(load(hi + x - 1), load(hi + x)), load(hi + x + 1));
        const __m128i m0 = load(mid + x - 1), m1 = load(mid + x), m2 = load(mid + x + 1);
        const __m128i medMid =
            _mm_max_epi16(_mm_min_epi16(m0, m1), _mm_min_epi16(_mm_max_epi16(m0, m1), m2));
        const __m128i median = _mm_max_epi16(_mm_min_epi16(maxLo, medMid),
                                             _mm_min_epi16(_mm_max_epi16(maxLo, medMid), minHi));
        const __m128i centre = load(b + x);
        const __m128i diff =
            _mm_max_epi16(_mm_sub_epi16(centre, median), _mm_sub_epi16(median, centre));
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_cmpgt_epi16(diff, limit)));
        if (mask) _mm_store_si128(reinterpret_cast<__m128i*>(medians), median);
        while (mask) {
            const unsigned lane = unsigned(__builtin_ctz(mask)) / 2;
            mask &= ~(3u << (2 * lane));
            ReplaceInterior(nb, x + lane, medians[lane], threshold, out + size_t(N) * (x + lane));
        }
    }
#endif
    for (; x + 1 < w; ++x) {
        const int maxLo = std::max({lo[x - 1], lo[x], lo[x + 1]});
        const int minHi = std::min({hi[x - 1], hi[x], hi[x + 1]});
        const int median = med3(maxLo, med3(mid[x - 1], mid[x], mid[x + 1]), minHi);
        if (std::abs(b[x] - median) >= threshold)
            ReplaceInterior(nb, x, median, threshold, out + size_t(N) * x);
    }
}

// Copies the centre row to the output row (the pixels that stay), the fourth byte 255.
void CopyOpaque32(const uint8_t* in, uint32_t w, uint8_t* out) {
    std::memcpy(out, in, size_t(w) * 4);
    for (uint32_t x = 0; x < w; ++x) out[4 * x + 3] = 255;
}

// Runs the filter over rows given as N-byte pixels by `rowAt(y)` (valid for the three rows
// around the one being worked). Each output row is written into `outRow(y)`, which holds
// N-byte pixels, then handed to `finish(y, row)`.
template <int N, typename RowAt, typename OutRow, typename Finish>
void Filter(uint32_t w, uint32_t h, int threshold, RowAt rowAt, OutRow outRow, Finish finish,
            const std::function<void(uint32_t)>& rowDone,
            const std::function<void()>& letMessagesRun) {
    std::vector<int16_t> sumRows(size_t(w) * 3);
    std::vector<int16_t> sorted(size_t(w) * 3);
    int16_t* lo = sorted.data();
    int16_t* mid = lo + w;
    int16_t* hi = mid + w;
    // The sums of picture row y live in slot y % 3.
    auto sumsOf = [&](uint32_t y) { return sumRows.data() + size_t(y % 3) * w; };
    SumRow<N>(rowAt(0), w, sumsOf(0));
    for (uint32_t y = 0; y < h; ++y) {
        if (y + 1 < h) SumRow<N>(rowAt(y + 1), w, sumsOf(y + 1));
        const bool above = y > 0, below = y + 1 < h;
        const Neighbourhood<N> nb{
            {above ? rowAt(y - 1) : nullptr, rowAt(y), below ? rowAt(y + 1) : nullptr},
            {above ? sumsOf(y - 1) : nullptr, sumsOf(y), below ? sumsOf(y + 1) : nullptr},
            w};
        uint8_t* out = outRow(y);
        if constexpr (N == 4)
            CopyOpaque32(nb.rows[1], w, out);
        else
            std::memcpy(out, nb.rows[1], size_t(w) * 3);
        if (!above || !below || w < 3) {
            for (uint32_t x = 0; x < w; ++x) ExactPixel(nb, x, threshold, out + size_t(N) * x);
        } else {
            ExactPixel(nb, 0, threshold, out);
            InteriorRow(nb, threshold, lo, mid, hi, out);
            ExactPixel(nb, w - 1, threshold, out + size_t(N) * (w - 1));
        }
        finish(y, out);
        if (rowDone) rowDone(y);
        if (letMessagesRun) letMessagesRun();
    }
}

// Source rows of a format other than 24 and 32 bits, expanded to 24 bits on first use and
// kept for the three rows the filter looks at.
class ExpandedRows {
  public:
    explicit ExpandedRows(const Bitmap& source)
        : reader_(source, ChannelOrder::Bgr),
          width_(source.Width()),
          buffer_(size_t(source.Width()) * 9) {}
    const uint8_t* operator()(uint32_t y) {
        uint8_t* slot = buffer_.data() + size_t(y % 3) * width_ * 3;
        if (held_[y % 3] != int64_t(y)) {
            reader_.Unpack(y, slot);
            held_[y % 3] = y;
        }
        return slot;
    }

  private:
    RowUnpacker reader_;
    uint32_t width_;
    std::vector<uint8_t> buffer_;
    int64_t held_[3] = {-1, -1, -1};
};

}  // namespace

int DespeckleThreshold(int strength) { return int((int64_t(100) - strength) * 255 / 100); }

bool DespeckleShowsProgress(uint32_t height) { return height > 2000; }

Bitmap DespeckleBitmap(const Bitmap& image, int strength,
                       const std::function<void(uint32_t row)>& rowDone,
                       const std::function<void()>& letMessagesRun) {
    const uint32_t w = image.Width();
    const uint32_t h = image.Height();
    // Beyond these bounds every pixel, or none, is replaced; the bounds keep the vector
    // comparison inside 16 bits.
    const int threshold = std::clamp(DespeckleThreshold(strength), 0, 766);
    const PixelFormat f = image.Format();
    const PixelFormat outFormat = f == PixelFormat::Bit8    ? PixelFormat::Bit8
                                  : f == PixelFormat::Bit32 ? PixelFormat::Bit32
                                                            : PixelFormat::Bit24;
    Bitmap out(w, h, outFormat);
    if (outFormat == PixelFormat::Bit24) out.Palette() = image.Palette();
    if (out.Empty()) return out;

    const auto noFinish = [](uint32_t, const uint8_t*) {};
    const auto outRow = [&](uint32_t y) { return out.Row(y); };
    if (f == PixelFormat::Bit32) {
        Filter<4>(
            w, h, threshold, [&](uint32_t y) { return image.Row(y); }, outRow, noFinish, rowDone,
            letMessagesRun);
    } else if (f == PixelFormat::Bit24) {
        Filter<3>(
            w, h, threshold, [&](uint32_t y) { return image.Row(y); }, outRow, noFinish, rowDone,
            letMessagesRun);
    } else if (f == PixelFormat::Bit8) {
        out.Palette() = HalftonePalette();
        std::vector<uint8_t> row(size_t(w) * 3);
        HalftoneMapper mapper;
        Filter<3>(
            w, h, threshold, ExpandedRows(image), [&](uint32_t) { return row.data(); },
            [&](uint32_t y, const uint8_t* r) { mapper.MapRow(r, w, out.Row(y)); }, rowDone,
            letMessagesRun);
    } else {
        Filter<3>(w, h, threshold, ExpandedRows(image), outRow, noFinish, rowDone, letMessagesRun);
    }
    return out;
}

}  // namespace vellumo

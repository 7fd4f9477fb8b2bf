#include "imaging/Rotate.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vellumo {

namespace {

enum class Turn { Left, Right };

// Transposes an 8 × 8 bit matrix held with row 0 in the most significant byte and column 0
// in the most significant bit of each byte.
inline uint64_t Transpose8x8(uint64_t x) {
    uint64_t t;
    t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
    x = x ^ t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
    x = x ^ t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
    x = x ^ t ^ (t << 28);
    return x;
}

std::vector<const uint8_t*> SourceRows(const Bitmap& s) {
    std::vector<const uint8_t*> rows(s.Height());
    for (uint32_t y = 0; y < s.Height(); ++y) rows[y] = s.Row(y);
    return rows;
}

std::vector<uint8_t*> TargetRows(Bitmap& t) {
    std::vector<uint8_t*> rows(t.Height());
    for (uint32_t y = 0; y < t.Height(); ++y) rows[y] = t.Row(y);
    return rows;
}

// One bit per pixel, in 8 × 8 blocks: eight source rows give one target byte in each of
// eight target rows. Target byte k of a row holds target columns 8k … 8k + 7.
void Turn1(const Bitmap& s, Bitmap& t, Turn turn) {
    const uint32_t w = s.Width(), h = s.Height();
    const auto src = SourceRows(s);
    const auto dst = TargetRows(t);
    const uint32_t sourceBytes = (w + 7) / 8;
    const uint32_t targetBytes = (h + 7) / 8;
    for (uint32_t k = 0; k < targetBytes; ++k) {
        // Source row feeding bit j (from the top) of target byte k, or null past the edge.
        const uint8_t* rows[8];
        for (uint32_t j = 0; j < 8; ++j) {
            const uint64_t tx = uint64_t(8) * k + j;
            if (tx >= h)
                rows[j] = nullptr;
            else
                rows[j] = src[turn == Turn::Right ? h - 1 - tx : tx];
        }
        for (uint32_t b = 0; b < sourceBytes; ++b) {
            uint64_t m = 0;
            for (int j = 0; j < 8; ++j) m = (m << 8) | (rows[j] ? rows[j][b] : 0u);
            m = Transpose8x8(m);
            // Byte i (from the top) of m now holds source column 8b + i.
            for (uint32_t i = 0; i < 8; ++i) {
                const uint32_t sx = 8 * b + i;
                if (sx >= w) break;
                const uint32_t ty = turn == Turn::Right ? sx : w - 1 - sx;
                dst[ty][k] = uint8_t(m >> (56 - 8 * i));
            }
        }
    }
}

// Four bits per pixel, the high nibble holding the even column.
void Turn4(const Bitmap& s, Bitmap& t, Turn turn) {
    const uint32_t w = s.Width(), h = s.Height();
    const auto src = SourceRows(s);
    const auto dst = TargetRows(t);
    for (uint32_t ty = 0; ty < w; ++ty) {
        const uint32_t sx = turn == Turn::Right ? ty : w - 1 - ty;
        const unsigned shift = (sx & 1) ? 0 : 4;
        uint8_t* out = dst[ty];
        for (uint32_t tx = 0; tx < h; ++tx) {
            const uint32_t sy = turn == Turn::Right ? h - 1 - tx : tx;
            const unsigned v = (src[sy][sx >> 1] >> shift) & 0x0F;
            uint8_t& o = out[tx >> 1];
            o = (tx & 1) ? uint8_t((o & 0xF0) | v) : uint8_t((o & 0x0F) | (v << 4));
        }
    }
}

// Whole pixels of N bytes. Target rows are done in bands of kBand, so that each source row
// is read as kBand neighbouring pixels at a time instead of one pixel per cache line.
template <size_t N>
void TurnBytes(const Bitmap& s, Bitmap& t, Turn turn) {
    constexpr uint32_t kBand = 16;
    const uint32_t w = s.Width(), h = s.Height();
    const auto src = SourceRows(s);
    const auto dst = TargetRows(t);
    for (uint32_t band = 0; band < w; band += kBand) {
        const uint32_t n = std::min(kBand, w - band);
        for (uint32_t tx = 0; tx < h; ++tx) {
            const uint32_t sy = turn == Turn::Right ? h - 1 - tx : tx;
            const uint8_t* in = src[sy];
            for (uint32_t i = 0; i < n; ++i) {
                const uint32_t ty = band + i;
                const uint32_t sx = turn == Turn::Right ? ty : w - 1 - ty;
                std::memcpy(dst[ty] + size_t(tx) * N, in + size_t(sx) * N, N);
            }
        }
    }
}

Bitmap Rotate(const Bitmap& s, Turn turn) {
    Bitmap t(s.Height(), s.Width(), s.Format());
    t.Palette() = s.Palette();
    switch (s.Bits()) {
        case 1:
            Turn1(s, t, turn);
            break;
        case 4:
            Turn4(s, t, turn);
            break;
        case 8:
            TurnBytes<1>(s, t, turn);
            break;
        case 16:
            TurnBytes<2>(s, t, turn);
            break;
        case 24:
            TurnBytes<3>(s, t, turn);
            break;
        case 32:
            TurnBytes<4>(s, t, turn);
            break;
        default:
            break;
    }
    if (s.Bits() == 32) {
        // The turned picture is drawn with its fourth byte as opacity. A source that did not
        // carry alpha may hold anything there (0 in most 32-bit files), which would make the
        // turned picture invisible: its pixels become opaque instead.
        if (!s.HasAlpha())
            for (uint32_t y = 0; y < t.Height(); ++y) {
                uint8_t* row = t.Row(y);
                for (uint32_t x = 0; x < t.Width(); ++x) row[4 * x + 3] = 255;
            }
        t.SetHasAlpha(true);
    }
    return t;
}

}  // namespace

Bitmap RotateLeft(const Bitmap& source) { return Rotate(source, Turn::Left); }
Bitmap RotateRight(const Bitmap& source) { return Rotate(source, Turn::Right); }

}  // namespace vellumo

#include "imaging/Dither.h"

#include <string>
#include <utility>
#include <vector>

#include "imaging/PixelSums.h"
#include "imaging/ReductionMessages.h"
#include "platform/Error.h"
#include "platform/RowUnpack.h"

namespace vellumo {

namespace {

// One error entry: red, green, blue, as the 16-bit values the error rows hold. The errors
// stay within ±2720 (an error of at most M feeds at most 29/32 M back), so 16 bits hold them.
struct Err {
    int16_t r, g, b;
};

// The state carried from one pixel to the next in a row. The serial chain through it is
// the whole cost of the pass, so it carries what the next pixel needs soonest: with the
// running error run = base − (C − q), where q is the pixel's error share e / 32 and base
// 255 or 0, the next share's sum is e' = 12 below + 5 diagonal − 12 C + 12 q + 12 base, and
// only the last two terms wait for this pixel's decision.
struct Carry {
    int qr = 0, qg = 0, qb = 0;  // this pixel's shares
    int cr = 0, cg = 0, cb = 0;  // this pixel's channels
    int white12 = 0;             // 12 × 255 when it was white
};

// Decides one pixel from its bytes (blue, green, red) and the errors of the pixel below and
// of the one below the pixel behind; stores its error in `out` and returns whether it is
// white. Exactly the diffusion's arithmetic: the share is (12 below + 12 running + 5
// diagonal) / 32, truncating toward zero.
inline bool Diffuse(const uint8_t* px, const Err& below, const Err& diagonal, Carry& k, Err& out) {
    const int kr = 12 * below.r + 5 * diagonal.r - 12 * k.cr;
    const int kg = 12 * below.g + 5 * diagonal.g - 12 * k.cg;
    const int kb = 12 * below.b + 5 * diagonal.b - 12 * k.cb;
    k.qr = (kr + 12 * k.qr + k.white12) / 32;
    k.qg = (kg + 12 * k.qg + k.white12) / 32;
    k.qb = (kb + 12 * k.qb + k.white12) / 32;
    k.cr = px[2], k.cg = px[1], k.cb = px[0];
    const bool white = k.qr + k.qg + k.qb <= k.cr + k.cg + k.cb - 384;
    k.white12 = white ? 12 * 255 : 0;
    const int base = white ? 255 : 0;
    out =
        Err{int16_t(base - k.cr + k.qr), int16_t(base - k.cg + k.qg), int16_t(base - k.cb + k.qb)};
    return white;
}

}  // namespace

std::optional<std::string_view> DitherRefusal(const Bitmap& picture) {
    if (picture.Format() == PixelFormat::Bit1) return kAlreadyMonoText;
    return std::nullopt;
}

namespace {

// One row of the pass in the direction of travel `step` (+1 or −1), starting at column
// `first`; pixels are N bytes apart. `whites` receives 1 for each white pixel, by column.
// Pointers move with the pixel instead of being recomputed from the column: the loop is
// bound by its serial chain, and every instruction saved around it counts.
template <int N>
void DiffuseRow(const uint8_t* px, uint32_t w, bool leftToRight, const Err* previous, Err* current,
                int16_t* whites) {
    const int step = leftToRight ? 1 : -1;
    const uint32_t first = leftToRight ? 0 : w - 1;
    const Err* below = previous + first + 1;
    const Err* diagonal = below - step;  // the column behind in the direction of travel
    Err* out = current + first + 1;
    const uint8_t* p = px + size_t(first) * N;
    int16_t* white = whites + first;
    Carry carry;
    for (uint32_t i = 0; i < w; ++i) {
        *white = int16_t(Diffuse(p, *below, *diagonal, carry, *out));
        below += step, diagonal += step, out += step, white += step;
        p += step * N;
    }
}

}  // namespace

Bitmap DitherToMono(const Bitmap& source) {
    if (auto refusal = DitherRefusal(source)) throw Error(std::string(*refusal));
    const uint32_t w = source.Width();
    const uint32_t h = source.Height();
    Bitmap mono(w, h, PixelFormat::Bit1);
    mono.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
    if (mono.Empty()) return mono;

    const RowUnpacker rows(source, ChannelOrder::Bgr);
    const bool direct32 = source.Format() == PixelFormat::Bit32;
    std::vector<uint8_t> buffer(direct32 ? 0 : size_t(w) * 3);
    // Entry x + 1 belongs to column x; entries 0 and w + 1 stay zero as borders. The rows
    // swap roles instead of being copied: every inner entry of the current row is written
    // again in each pass, so the result is the same.
    std::vector<Err> rowA(size_t(w) + 2, Err{0, 0, 0});
    std::vector<Err> rowB(size_t(w) + 2, Err{0, 0, 0});
    Err* previous = rowA.data();
    Err* current = rowB.data();
    std::vector<int16_t> whites(w);

    for (uint32_t r = 0; r < h; ++r) {
        std::swap(previous, current);
        const uint32_t y = h - 1 - r;  // the pass starts at the bottom row
        const bool leftToRight = r % 2 == 0;
        if (direct32)
            DiffuseRow<4>(source.Row(y), w, leftToRight, previous, current, whites.data());
        else
            DiffuseRow<3>(rows.Row(y, buffer.data()), w, leftToRight, previous, current,
                          whites.data());
        PackAtLeast(whites.data(), w, 1, mono.Row(y));
    }
    return mono;
}

}  // namespace vellumo

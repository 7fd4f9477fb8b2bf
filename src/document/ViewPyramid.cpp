#include "document/ViewPyramid.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/RowUnpack.h"

namespace vellumo {

namespace {

constexpr uint32_t kOpaque = 0xFF000000u;

// Levels with fewer pixels than this are made on one thread: starting a second one costs
// more than it saves.
constexpr uint64_t kTwoThreadPixels = uint64_t(1) << 18;

inline uint32_t Pack(unsigned b, unsigned g, unsigned r, unsigned a) {
    return uint32_t(b) | uint32_t(g) << 8 | uint32_t(r) << 16 | uint32_t(a) << 24;
}

// Rounded mean of four BGRA pixels, two channels at a time in 16-bit lanes (4 × 255 + 2
// still fits a lane, so no carry reaches the next channel).
inline uint32_t Mean4(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    constexpr uint32_t m = 0x00FF00FFu;
    const uint32_t even = (a & m) + (b & m) + (c & m) + (d & m) + 0x00020002u;
    const uint32_t odd = (a >> 8 & m) + (b >> 8 & m) + (c >> 8 & m) + (d >> 8 & m) + 0x00020002u;
    return (even >> 2 & m) | (odd >> 2 & m) << 8;
}

// The mean of four pixels of differing opacity: colours weighted by opacity, so that the
// colour of a transparent pixel (often black) does not stain its neighbours.
inline uint32_t WeightedMean4(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    const uint32_t p[4] = {a, b, c, d};
    uint32_t sa = 0, sb = 0, sg = 0, sr = 0;
    for (uint32_t v : p) {
        const uint32_t w = v >> 24;
        sa += w;
        sb += (v & 0xFF) * w;
        sg += (v >> 8 & 0xFF) * w;
        sr += (v >> 16 & 0xFF) * w;
    }
    if (sa == 0) return 0;
    return Pack((sb + sa / 2) / sa, (sg + sa / 2) / sa, (sr + sa / 2) / sa, (sa + 2) / 4);
}

// Makes the rows of one level from the level above it (or the picture). One object serves
// both threads: everything in it is read-only once made, and each thread has its own
// scratch rows.
class Halver {
  public:
    Halver(const Bitmap& source, Bitmap& target) : s_(source), t_(target) {
        switch (source.Format()) {
            case PixelFormat::Bit1:
                kind_ = Kind::OneBit;
                MakeOneBitTable();
                break;
            case PixelFormat::Bit32:
                kind_ = source.HasAlpha() ? Kind::Alpha32 : Kind::Plain32;
                break;
            default:
                kind_ = Kind::Expanded;
                rows_.emplace(source, ChannelOrder::Bgr);
                break;
        }
    }

    // Scratch bytes one thread needs.
    size_t ScratchBytes() const { return kind_ == Kind::Expanded ? size_t(s_.Width()) * 6 : 0; }

    // Makes target rows [y0, y1); returns the AND of every source pixel of 32 bits read
    // (its top byte tells whether all were opaque), or kOpaque for the other formats.
    uint32_t Rows(uint32_t y0, uint32_t y1, uint8_t* scratch) const noexcept {
        uint32_t all = ~0u;
        for (uint32_t y = y0; y < y1; ++y) {
            // Averaging a row or column with itself is the mean of the pixels that exist.
            const uint32_t top = 2 * y, bottom = std::min(2 * y + 1, s_.Height() - 1);
            uint32_t* out = reinterpret_cast<uint32_t*>(t_.Row(y));
            switch (kind_) {
                case Kind::OneBit:
                    OneBitRow(s_.Row(top), s_.Row(bottom), out);
                    break;
                case Kind::Plain32:
                    Row32<false>(s_.Row(top), s_.Row(bottom), out);
                    break;
                case Kind::Alpha32:
                    all &= Row32<true>(s_.Row(top), s_.Row(bottom), out);
                    break;
                case Kind::Expanded: {
                    uint8_t* second = scratch + size_t(s_.Width()) * 3;
                    ExpandedRow(rows_->Row(top, scratch), rows_->Row(bottom, second), out);
                    break;
                }
            }
        }
        return kind_ == Kind::Alpha32 ? all : kOpaque;
    }

  private:
    enum class Kind { OneBit, Plain32, Alpha32, Expanded };

    // pairs_[top nibble << 4 | bottom nibble] is the two target pixels of those 4 × 2 source
    // pixels, so a byte of each source row gives four target pixels in two look-ups.
    void MakeOneBitTable() {
        const RgbQuad c0 = PaletteColor(s_.Palette(), 0), c1 = PaletteColor(s_.Palette(), 1);
        for (unsigned n = 0; n <= 4; ++n) {
            auto mix = [n](unsigned v0, unsigned v1) { return ((4 - n) * v0 + n * v1 + 2) / 4; };
            mix_[n] = Pack(mix(c0.b, c1.b), mix(c0.g, c1.g), mix(c0.r, c1.r), 255);
        }
        for (unsigned top = 0; top < 16; ++top)
            for (unsigned bottom = 0; bottom < 16; ++bottom) {
                auto ones = [](unsigned bits) { return (bits & 1) + (bits >> 1 & 1); };
                const uint32_t left = mix_[ones(top >> 2) + ones(bottom >> 2)];
                const uint32_t right = mix_[ones(top & 3) + ones(bottom & 3)];
                pairs_[top << 4 | bottom][0] = left;
                pairs_[top << 4 | bottom][1] = right;
            }
    }

    void OneBitRow(const uint8_t* top, const uint8_t* bottom, uint32_t* out) const {
        const uint32_t w = s_.Width(), full = w / 8;
        for (uint32_t i = 0; i < full; ++i) {
            const unsigned a = top[i], b = bottom[i];
            std::memcpy(out + 4 * i, pairs_[(a & 0xF0) | b >> 4], 8);
            std::memcpy(out + 4 * i + 2, pairs_[(a & 0x0F) << 4 | (b & 0x0F)], 8);
        }
        // The bits of the last, partial byte: the padding bits past the width must not count.
        auto bit = [](const uint8_t* row, uint32_t x) {
            return unsigned(row[x >> 3] >> (7 - (x & 7)) & 1);
        };
        for (uint32_t j = 4 * full; j < t_.Width(); ++j) {
            const uint32_t x0 = 2 * j, x1 = std::min(x0 + 1, w - 1);
            out[j] = mix_[bit(top, x0) + bit(top, x1) + bit(bottom, x0) + bit(bottom, x1)];
        }
    }

    template <bool kAlpha>
    uint32_t Row32(const uint8_t* topBytes, const uint8_t* bottomBytes, uint32_t* out) const {
        const uint32_t* top = reinterpret_cast<const uint32_t*>(topBytes);
        const uint32_t* bottom = reinterpret_cast<const uint32_t*>(bottomBytes);
        const uint32_t w = s_.Width(), pairs = w / 2;
        // Every pixel averaged plainly first, in a loop the compiler vectorizes; a row with
        // any pixel less than opaque is gone over again, weighting those by opacity. Without
        // alpha the fourth byte means nothing and the level's is 255.
        constexpr uint32_t fill = kAlpha ? 0 : kOpaque;
        uint32_t all = ~0u;
        for (uint32_t j = 0; j < pairs; ++j) {
            const uint32_t a = top[2 * j], b = top[2 * j + 1], c = bottom[2 * j],
                           d = bottom[2 * j + 1];
            all &= a & b & c & d;
            out[j] = Mean4(a, b, c, d) | fill;
        }
        if (w & 1) {
            all &= top[w - 1] & bottom[w - 1];
            out[pairs] = Mean4(top[w - 1], top[w - 1], bottom[w - 1], bottom[w - 1]) | fill;
        }
        auto at = [&](uint32_t j, int i) {
            const uint32_t x = std::min(2 * j + (i & 1), w - 1);
            return i < 2 ? top[x] : bottom[x];
        };
        if (kAlpha && all < kOpaque)
            for (uint32_t j = 0; j < t_.Width(); ++j)
                if ((at(j, 0) & at(j, 1) & at(j, 2) & at(j, 3)) < kOpaque)
                    out[j] = WeightedMean4(at(j, 0), at(j, 1), at(j, 2), at(j, 3));
        return all;
    }

    void ExpandedRow(const uint8_t* top, const uint8_t* bottom, uint32_t* out) const {
        const uint32_t w = s_.Width();
        for (uint32_t j = 0; j < t_.Width(); ++j) {
            const size_t x0 = size_t(2 * j) * 3, x1 = size_t(std::min(2 * j + 1, w - 1)) * 3;
            unsigned c[3];
            for (int i = 0; i < 3; ++i)
                c[i] = (top[x0 + i] + top[x1 + i] + bottom[x0 + i] + bottom[x1 + i] + 2) / 4;
            out[j] = Pack(c[0], c[1], c[2], 255);
        }
    }

    const Bitmap& s_;
    Bitmap& t_;
    Kind kind_ = Kind::Expanded;
    uint32_t mix_[5] = {};
    uint32_t pairs_[256][2] = {};
    std::optional<RowUnpacker> rows_;
};

// Makes `target` from `source`, on two threads when it is large and the machine has two
// cores; returns Halver::Rows's opacity word.
uint32_t MakeLevel(const Bitmap& source, Bitmap& target) {
    const Halver halver(source, target);
    const uint32_t h = target.Height();
    const bool split = uint64_t(target.Width()) * h >= kTwoThreadPixels && h >= 2 &&
                       std::thread::hardware_concurrency() >= 2;
    std::vector<uint8_t> scratch(halver.ScratchBytes() * (split ? 2 : 1));
    if (split) {
        const uint32_t middle = h / 2;
        uint32_t lower = ~0u;
        std::optional<std::thread> helper;
        try {
            helper.emplace(
                [&] { lower = halver.Rows(middle, h, scratch.data() + halver.ScratchBytes()); });
        } catch (const std::system_error&) {
            // No thread to be had: the whole level on this one.
        }
        if (helper) {
            const uint32_t upper = halver.Rows(0, middle, scratch.data());
            helper->join();
            return upper & lower;
        }
    }
    return halver.Rows(0, h, scratch.data());
}

// The AND of every pixel of a 32-bit picture, for a picture too small to have levels.
uint32_t AndOfPixels(const Bitmap& picture) {
    uint32_t all = ~0u;
    for (uint32_t y = 0; y < picture.Height(); ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(picture.Row(y));
        for (uint32_t x = 0; x < picture.Width(); ++x) all &= row[x];
    }
    return all;
}

}  // namespace

void ViewPyramid::Build(const Bitmap& picture) {
    picture_ = nullptr;
    opaque_ = false;
    // The levels held keep their memory where the new sizes are the same (a picture changed
    // in place, as the real-time preview does on every step): no fresh pages to fault in.
    std::vector<Bitmap> old = std::move(levels_);
    levels_.clear();
    if (picture.Empty()) return;
    std::vector<std::pair<uint32_t, uint32_t>> sizes;
    for (uint32_t w = picture.Width(), h = picture.Height(); std::max(w, h) > kSmallestSide;)
        sizes.emplace_back(w = (w + 1) / 2, h = (h + 1) / 2);
    for (size_t i = 0; i < old.size(); ++i)
        if (i >= sizes.size() || old[i].Width() != sizes[i].first ||
            old[i].Height() != sizes[i].second)
            old[i] = Bitmap();  // freed before anything new is allocated
    const bool alpha = picture.Format() == PixelFormat::Bit32 && picture.HasAlpha();
    bool opaque = !alpha;
    std::vector<Bitmap> levels;
    levels.reserve(sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        const Bitmap& above = i == 0 ? picture : levels.back();
        Bitmap level = i < old.size() && !old[i].Empty()
                           ? std::move(old[i])
                           : Bitmap(sizes[i].first, sizes[i].second, PixelFormat::Bit32);
        const uint32_t all = MakeLevel(above, level);
        if (i == 0) opaque = opaque || all >= kOpaque;
        level.SetHasAlpha(!opaque);
        levels.push_back(std::move(level));
    }
    if (!opaque && levels.empty()) opaque = AndOfPixels(picture) >= kOpaque;
    levels_ = std::move(levels);
    opaque_ = opaque;
    picture_ = &picture;
}

void ViewPyramid::Clear() {
    picture_ = nullptr;
    levels_.clear();
    levels_.shrink_to_fit();
    opaque_ = false;
}

double ViewPyramid::NominalScale(int k) { return std::ldexp(1.0, -k); }

double ViewPyramid::ScaleX(int k) const {
    return double(Level(k).Width()) / double(picture_->Width());
}

double ViewPyramid::ScaleY(int k) const {
    return double(Level(k).Height()) / double(picture_->Height());
}

int ViewPyramid::LevelFor(double scale) const {
    if (!(scale < 1.0)) return 0;  // NaN included
    int k = 0;
    while (k + 1 < LevelCount() && NominalScale(k + 1) >= scale) ++k;
    return k;
}

}  // namespace vellumo

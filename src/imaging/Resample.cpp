#include "imaging/Resample.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/DarknessRows.h"
#include "imaging/Gray.h"
#include "platform/Error.h"
#include "platform/RowUnpack.h"

namespace vellumo {

namespace {

// Weights are fixed point with 14 bits, summing to exactly 1 for every output pixel. The
// horizontal pass keeps 8 bits below the pixel value (value × 2^8 in 16 bits); the vertical
// pass sums value × 2^22 in 32 bits: 255 × 2^22 < 2^32.
constexpr int kWeightBits = 14;
constexpr uint32_t kOne = 1u << kWeightBits;
constexpr int kVerticalShift = 22;

constexpr const char* kBadScaleText = "拡大縮小の倍率が正しくありません。";

/// The source pixels each output pixel of one axis is made of, and their weights.
struct Taps {
    std::vector<uint32_t> first;  ///< the first source pixel of each output pixel
    std::vector<uint32_t> begin;  ///< where its weights begin; one more entry at the end
    std::vector<uint16_t> weights;
    uint32_t maxCount = 0;

    uint32_t Count(size_t k) const { return begin[k + 1] - begin[k]; }
};

/// Appends one output pixel's weights, scaled to sum to exactly kOne: each weight is the
/// step between the rounded running sums, so none is negative however many there are.
void AddOutput(Taps& taps, uint32_t first, const std::vector<double>& w) {
    double total = 0;
    for (double v : w) total += v;
    double running = 0;
    long previous = 0;
    for (double v : w) {
        running += v;
        const long now = std::lround(running / total * kOne);
        taps.weights.push_back(static_cast<uint16_t>(now - previous));
        previous = now;
    }
    taps.first.push_back(first);
    taps.begin.push_back(static_cast<uint32_t>(taps.weights.size()));
    taps.maxCount = std::max(taps.maxCount, static_cast<uint32_t>(w.size()));
}

/// The taps of output pixels start … start + count − 1 of an axis of `size` source pixels
/// scaled by `scale`.
Taps AxisTaps(uint32_t size, double scale, uint32_t start, uint32_t count) {
    Taps taps;
    taps.first.reserve(count);
    taps.begin.reserve(size_t(count) + 1);
    taps.begin.push_back(0);
    std::vector<double> w;
    for (uint32_t k = 0; k < count; ++k) {
        const double i = double(start) + k;
        w.clear();
        uint32_t first = 0;
        if (scale < 1.0) {
            // The source span the output pixel covers, cut at the picture's end (the last
            // output pixel of an extent rounded up may reach past it).
            double lo = std::min(i / scale, double(size));
            const double hi = std::min((i + 1) / scale, double(size));
            if (hi - lo < 1e-9) lo = hi - 1;
            first = static_cast<uint32_t>(std::floor(lo));
            const auto last = std::min(static_cast<uint32_t>(std::ceil(hi)) - 1, size - 1);
            for (uint32_t j = first; j <= last; ++j)
                w.push_back(std::max(0.0, std::min(hi, j + 1.0) - std::max(lo, double(j))));
        } else {
            const double centre = (i + 0.5) / scale - 0.5;
            if (centre <= 0) {
                w.push_back(1);
            } else if (centre >= double(size) - 1) {
                first = size - 1;
                w.push_back(1);
            } else {
                first = static_cast<uint32_t>(std::floor(centre));
                const double f = centre - first;
                w.push_back(1 - f);
                if (f > 0) w.push_back(f);
            }
        }
        AddOutput(taps, first, w);
    }
    return taps;
}

/// One source row as C bytes a pixel: darkness (C = 1) or blue, green, red (C = 3).
class SourceRows {
  public:
    SourceRows(const Bitmap& source, int channels)
        : source_(source),
          channels_(channels),
          darkness_(source),
          rows24_(source, ChannelOrder::Bgr),
          buffer_(size_t(source.Width()) * 3) {}

    const uint8_t* Row(uint32_t y) {
        if (channels_ == 1) {
            darkness_.Read(y, buffer_.data());
            return buffer_.data();
        }
        if (source_.Format() == PixelFormat::Bit32 && source_.HasAlpha()) {
            const uint8_t* s = source_.Row(y);
            uint8_t* d = buffer_.data();
            for (uint32_t x = 0; x < source_.Width(); ++x, s += 4, d += 3) {
                d[0] = OverWhite(s[0], s[3]);
                d[1] = OverWhite(s[1], s[3]);
                d[2] = OverWhite(s[2], s[3]);
            }
            return buffer_.data();
        }
        return rows24_.Row(y, buffer_.data());
    }

  private:
    const Bitmap& source_;
    int channels_;
    DarknessRows darkness_;
    RowUnpacker rows24_;
    std::vector<uint8_t> buffer_;
};

template <int C>
void Horizontal(const Taps& taps, const uint8_t* in, uint16_t* out) {
    const size_t n = taps.first.size();
    for (size_t k = 0; k < n; ++k) {
        const uint8_t* p = in + size_t(taps.first[k]) * C;
        const uint16_t* w = taps.weights.data() + taps.begin[k];
        const uint32_t count = taps.Count(k);
        uint32_t sum[C] = {};
        for (uint32_t j = 0; j < count; ++j)
            for (int c = 0; c < C; ++c) sum[c] += uint32_t(w[j]) * p[size_t(j) * C + c];
        for (int c = 0; c < C; ++c)
            out[k * C + c] = static_cast<uint16_t>((sum[c] + 32) >> (kWeightBits - 8));
    }
}

bool IsGrayPicture(const Bitmap& b) {
    return b.Format() == PixelFormat::Bit8 && b.Palette() == CreateGrayPalette();
}

}  // namespace

PixelFormat ResampledFormat(const Bitmap& source, ResampleColour colour) {
    if (source.Format() == PixelFormat::Bit1) return PixelFormat::Bit1;
    if (colour == ResampleColour::Gray || IsGrayPicture(source)) return PixelFormat::Bit8;
    return PixelFormat::Bit24;
}

uint32_t ScaledExtent(uint32_t size, double scale) {
    const double v = std::round(double(size) * scale);
    if (!(v >= 1)) return 1;
    return v >= 4294967295.0 ? 4294967295u : static_cast<uint32_t>(v);
}

Bitmap ResampleArea(const Bitmap& source, double scaleX, double scaleY, const PixelArea& area,
                    ResampleColour colour) {
    if (!(std::isfinite(scaleX) && scaleX > 0 && std::isfinite(scaleY) && scaleY > 0))
        throw Error(kBadScaleText);
    if (source.Empty() || area.width == 0 || area.height == 0 ||
        uint64_t(area.x) + area.width > ScaledExtent(source.Width(), scaleX) ||
        uint64_t(area.y) + area.height > ScaledExtent(source.Height(), scaleY))
        throw Error(kBadScaleText);

    const PixelFormat format = ResampledFormat(source, colour);
    const bool mono = format == PixelFormat::Bit1;
    const bool gray = format == PixelFormat::Bit8;
    const int channels = mono || gray ? 1 : 3;
    Bitmap out(area.width, area.height, format);
    if (mono) out.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
    if (gray) out.Palette() = CreateGrayPalette();

    const Taps across = AxisTaps(source.Width(), scaleX, area.x, area.width);
    const Taps down = AxisTaps(source.Height(), scaleY, area.y, area.height);
    const size_t rowValues = size_t(area.width) * channels;
    // The horizontally scaled source rows still needed, each at (source row) mod the ring's
    // size: the rows of one output row always fit, since they move only forward.
    const uint32_t ringRows = down.maxCount;
    std::vector<uint16_t> ring(size_t(ringRows) * rowValues);
    std::vector<uint32_t> sums(rowValues);
    SourceRows rows(source, channels);

    // Coverage at which a one-bit result is black, on the scale of `sums`; a thousandth
    // below the exact fraction, so that the rounding of the weights never loses a line that
    // lies exactly across two output pixels.
    const double fraction = std::min({0.5, scaleX / 2, scaleY / 2}) - 0.001;
    const double full = 255.0 * double(1u << kVerticalShift);
    const auto inkAt = static_cast<uint32_t>(std::max(1.0, fraction * full));

    uint32_t next = down.first.empty() ? 0 : down.first[0];  // the next source row to scale
    for (uint32_t j = 0; j < area.height; ++j) {
        const uint32_t first = down.first[j];
        const uint32_t count = down.Count(j);
        next = std::max(next, first);
        for (; next < first + count; ++next) {
            uint16_t* slot = ring.data() + size_t(next % ringRows) * rowValues;
            if (channels == 1)
                Horizontal<1>(across, rows.Row(next), slot);
            else
                Horizontal<3>(across, rows.Row(next), slot);
        }
        std::fill(sums.begin(), sums.end(), 0u);
        for (uint32_t t = 0; t < count; ++t) {
            const uint32_t w = down.weights[down.begin[j] + t];
            const uint16_t* h = ring.data() + size_t((first + t) % ringRows) * rowValues;
            for (size_t v = 0; v < rowValues; ++v) sums[v] += w * h[v];
        }
        uint8_t* d = out.Row(j);
        if (mono) {
            // Bit 0 is ink ([black, white]); the padding bits stay 0.
            for (uint32_t x = 0; x < area.width; ++x)
                if (sums[x] < inkAt) d[x >> 3] |= uint8_t(0x80 >> (x & 7));
        } else {
            constexpr uint32_t half = 1u << (kVerticalShift - 1);
            for (size_t v = 0; v < rowValues; ++v)
                d[v] = static_cast<uint8_t>((sums[v] + half) >> kVerticalShift);
        }
    }
    return out;
}

Bitmap Resample(const Bitmap& source, uint32_t width, uint32_t height, ResampleColour colour) {
    if (source.Empty()) throw Error(kBadScaleText);
    return ResampleArea(source, double(width) / source.Width(), double(height) / source.Height(),
                        PixelArea{0, 0, width, height}, colour);
}

}  // namespace vellumo

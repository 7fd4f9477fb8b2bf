#include "crop/CropFrame.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/Bitmap.h"

namespace vellumo {

namespace {

constexpr double kMmPerInch = 25.4;
/// The resolution the readers assume for a file that stores none.
constexpr double kAssumedDpi = 96.0;

int32_t RoundExtent(double v) { return ClampExtent(RoundHalfEvenToInt(v)); }

/// Pixels per millimetre for the paper presets, in double precision from the single
/// precision factor; 0 (no resolution) counts as 96 dpi.
double PerMm(float pixPerMm) {
    return pixPerMm > 0 ? double(pixPerMm) : double(float(kAssumedDpi / kMmPerInch));
}

/// Whether a frame of w × h screen pixels cuts out a picture the decoders would load.
bool CutOutFits(int32_t w, int32_t h, double s) {
    const int64_t pw = RoundHalfEvenToInt(std::abs(w) / s);
    const int64_t ph = RoundHalfEvenToInt(std::abs(h) / s);
    return CutOutWithinLimit(pw, ph);
}

/// 120 % of the frame, or as much of it as stays within the pixel limit: never smaller
/// than the frame is.
void Enlarge(double w0, double h0, double s, int32_t& w, int32_t& h) {
    w = RoundExtent(w0 * 1.2);
    h = RoundExtent(h0 * 1.2);
    if (!(s > 0) || CutOutFits(w, h, s)) return;
    const double pw = std::abs(w0) / s;
    const double ph = std::abs(h0) / s;
    double k = 1.2;
    if (pw > 0 && ph > 0) k = std::min(k, std::sqrt(double(kMaxPixels) / (pw * ph)));
    if (pw > 0) k = std::min(k, kMaxSide / pw);
    if (ph > 0) k = std::min(k, kMaxSide / ph);
    if (k <= 1) {  // already at the limit, or beyond it: the frame stays
        w = int32_t(w0);
        h = int32_t(h0);
        return;
    }
    w = RoundExtent(w0 * k);
    h = RoundExtent(h0 * k);
    // Rounding may put it a pixel over.
    while (!CutOutFits(w, h, s) &&
           (std::abs(w) > std::abs(int32_t(w0)) || std::abs(h) > std::abs(int32_t(h0)))) {
        if (std::abs(w) > std::abs(int32_t(w0))) w -= w > 0 ? 1 : -1;
        if (std::abs(h) > std::abs(int32_t(h0))) h -= h > 0 ? 1 : -1;
    }
}

}  // namespace

bool CutOutWithinLimit(int64_t w, int64_t h) {
    return w <= int64_t(kMaxSide) && h <= int64_t(kMaxSide) &&
           (w <= 0 || h <= 0 || uint64_t(w) * uint64_t(h) <= kMaxPixels);
}

CropRect InitCropRect(uint32_t W, uint32_t H) {
    int32_t w = 0;
    int32_t h = 0;
    if (W > H) {
        h = RoundHalfEvenToInt(H * 0.5);
        w = RoundHalfEvenToInt(h * 4.0 / 3.0);
    } else {
        w = RoundHalfEvenToInt(W * 0.5);
        h = RoundHalfEvenToInt(w * 4.0 / 3.0);
    }
    const int32_t left = RoundHalfEvenToInt((double(W) - w) / 2.0);
    const int32_t top = RoundHalfEvenToInt((double(H) - h) / 2.0);
    auto end = [](int32_t start, int32_t side) {
        return int32_t(
            std::min<int64_t>(int64_t(start) + side, std::numeric_limits<int32_t>::max()));
    };
    return {left, top, end(left, w), end(top, h)};
}

FrameBounds PlaceCropFrame(const CropRect& r, double s, int32_t hpos, int32_t vpos) {
    FrameBounds f;
    f.left = RoundExtent(r.left * s - hpos);
    f.top = RoundExtent(r.top * s - vpos);
    f.width = RoundExtent(double(int64_t(r.right) - r.left) * s);
    f.height = RoundExtent(double(int64_t(r.bottom) - r.top) * s);
    return f;
}

CropRect ReadCropFrame(const FrameBounds& f, double s, int32_t hpos, int32_t vpos) {
    if (!(s > 0)) return {};
    CropRect r;
    r.left = RoundHalfEvenToInt((double(f.left) + hpos) / s);
    r.top = RoundHalfEvenToInt((double(f.top) + vpos) / s);
    r.right = RoundHalfEvenToInt((double(f.left) + f.width + hpos) / s);
    r.bottom = RoundHalfEvenToInt((double(f.top) + f.height + vpos) / s);
    return r;
}

FrameBounds ApplyFramePreset(int preset, const FrameBounds& f, double s, float pixPerMmX,
                             float pixPerMmY) {
    const double w0 = f.width;
    const double h0 = f.height;
    int32_t w = f.width;
    int32_t h = f.height;
    auto paper = [&](double mmWidth, double mmHeight) {
        w = RoundExtent(mmWidth * PerMm(pixPerMmX) * s);
        h = RoundExtent(mmHeight * PerMm(pixPerMmY) * s);
    };
    // The longer side stays; the shorter one follows the ratio long : short.
    auto ratio = [&](double longer, double shorter) {
        if (h0 < w0)
            h = RoundExtent(w0 / longer * shorter);
        else
            w = RoundExtent(h0 / longer * shorter);
    };
    switch (preset) {
        case kPresetSwap:
            std::swap(w, h);
            break;
        case kPresetL:
            paper(127, 89);
            break;
        case kPresetB6:
            paper(182, 128);
            break;
        case kPresetA4:
            paper(210, 297);
            break;
        case kPresetRatio4x3:
            ratio(4, 3);
            break;
        case kPresetRatio16x9:
            ratio(16, 9);
            break;
        case kPresetShrink:
            h = RoundExtent(h0 * 0.8);
            w = RoundExtent(w0 * 0.8);
            break;
        case kPresetEnlarge:
            Enlarge(w0, h0, s, w, h);
            break;
        default:
            return f;
    }
    // The centre stays: two opposite differences round to opposite values, so a swap done
    // twice puts the frame back exactly.
    FrameBounds out;
    out.width = w;
    out.height = h;
    out.left = ClampExtent(int64_t(f.left) + RoundHalfEvenToInt((w0 - w) / 2.0));
    out.top = ClampExtent(int64_t(f.top) + RoundHalfEvenToInt((h0 - h) / 2.0));
    return out;
}

CutOutArea CutOutFromFrame(const FrameBounds& f, double s, int32_t hpos, int32_t vpos) {
    if (!(s > 0)) return {};
    CutOutArea a;
    a.x = RoundHalfEvenToInt((double(f.left) + hpos) / s);
    a.y = RoundHalfEvenToInt((double(f.top) + vpos) / s);
    a.w = RoundHalfEvenToInt(f.width / s);
    a.h = RoundHalfEvenToInt(f.height / s);
    return a;
}

}  // namespace vellumo

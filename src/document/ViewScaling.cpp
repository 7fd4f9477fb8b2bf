#include "document/ViewScaling.h"

#include <cmath>

#include "platform/Rounding.h"

namespace vellumo {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kAssumedDpi = 96.0;

int ClampToInt(double value) {
    if (!(value > 0)) return 0;  // also NaN
    if (value >= 2147483647.0) return 2147483647;
    return static_cast<int>(value);
}

int RoundToInt(double value) { return ClampToInt(RoundHalfEven(value)); }

}  // namespace

int TruncatedSide(uint32_t pictureSide, double scale) {
    return ClampToInt(std::trunc(double(pictureSide) * scale));
}

int RoundedSide(uint32_t pictureSide, double scale) {
    return RoundToInt(double(pictureSide) * scale);
}

ZoomPlacement ZoomAt(int x, int y, double scale, double newScale, int px, int py, uint32_t W,
                     uint32_t H) {
    ZoomPlacement z;
    z.width = TruncatedSide(W, newScale);
    z.height = TruncatedSide(H, newScale);
    // A scale of 0 cannot come from the commands; keep the anchor rather than divide by it.
    const double s = scale > 0 ? scale : newScale;
    const double h = double(x) / s * newScale - px;
    const double v = double(y) / s * newScale - py;
    z.scrollX = h < 0 ? 0 : RoundToInt(h);
    z.scrollY = v < 0 ? 0 : RoundToInt(v);
    return z;
}

double FitScale(int clientWidth, int clientHeight, uint32_t W, uint32_t H) {
    if (W == 0 || H == 0) return 1.0;
    const double a = double(clientWidth) / W;
    const double b = double(clientHeight) / H;
    return a > b ? b : a;
}

double ScreenDpi(int widthPixels, double widthMm) {
    if (!(widthMm > 0) || widthPixels <= 0) return kAssumedDpi;
    return kMmPerInch * widthPixels / widthMm;
}

double ScalingDpi(float dpiX) {
    return std::isfinite(dpiX) && dpiX > 0 ? double(dpiX) : kAssumedDpi;
}

double DeviceScale(double screenDpi, float dpiX, double factor) {
    return factor * screenDpi / ScalingDpi(dpiX);
}

std::optional<double> WheelZoomScale(double scale, int delta) {
    if (delta < 0) {
        if (scale < 0.1) return std::nullopt;
        return scale * 0.9;
    }
    if (delta > 0) {
        if (scale > 3.0) return std::nullopt;
        return scale * 1.1;
    }
    return scale;
}

}  // namespace vellumo

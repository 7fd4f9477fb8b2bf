#include "document/ReadResolution.h"

#include <cmath>

#include "platform/Rounding.h"

namespace vellumo {

namespace {

constexpr double kMmPerInch = 25.4;

/// 25.4 / dpi, computed in double and stored as a float; 0 stands for "no resolution"
/// rather than infinity.
float MmPerPixel(float dpi) { return dpi > 0 ? static_cast<float>(kMmPerInch / dpi) : 0.0f; }

}  // namespace

ViewResolution ResolutionFields(const FileResolution& read) {
    // An unreadable file reads as 0 × 0, as the platform reader reports it.
    const float x = read.decoded ? read.dpiX : 0.0f;
    const float y = read.decoded ? read.dpiY : 0.0f;
    ViewResolution r;
    r.PixPerMmX = static_cast<float>(x / kMmPerInch);
    r.PixPerMmY = static_cast<float>(y / kMmPerInch);
    r.MmPerPixX = MmPerPixel(x);
    r.MmPerPixY = MmPerPixel(y);
    r.DpiY = static_cast<float>(RoundHalfEven(y));
    r.DpiX = static_cast<float>(RoundHalfEven(x));
    r.ShownDpi = r.DpiX > r.DpiY ? r.DpiX : r.DpiY;
    return r;
}

ViewResolution ReadResolution(const std::string& path) {
    return ResolutionFields(ReadFileResolution(path));
}

}  // namespace vellumo

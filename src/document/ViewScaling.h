#pragma once
// The viewer's view arithmetic: the scale of the image control, the scroll positions that
// keep a point in place while zooming, the display's dots per inch. Pure functions, so the
// window only moves the numbers into its controls.

#include <cstdint>
#include <optional>

namespace vellumo {

/// The image control's size for a picture side at a scale, truncated (the zoom commands).
int TruncatedSide(uint32_t pictureSide, double scale);
/// The same, rounded half to even (after a rotation).
int RoundedSide(uint32_t pictureSide, double scale);

/// What `ZoomAt` gives to the image control and the scroll box.
struct ZoomPlacement {
    int width = 0;    ///< image control width: truncate(W × s')
    int height = 0;   ///< image control height: truncate(H × s')
    int scrollX = 0;  ///< horizontal scroll position before the scroll box clamps it
    int scrollY = 0;
};

/// `ZoomAt` for a W × H picture: (x, y) is the anchor in image-control coordinates at the
/// current scale `scale`, (px, py) where that point is shown in the scroll box's client
/// area now; the anchor's image pixel keeps its place in the viewport as far as the
/// scroll span allows. A negative position becomes 0, any other is rounded half to even.
ZoomPlacement ZoomAt(int x, int y, double scale, double newScale, int px, int py, uint32_t W,
                     uint32_t H);

/// The scale that fits a W × H picture into a client area (the smaller of the two ratios).
/// An empty picture gives 1.
double FitScale(int clientWidth, int clientHeight, uint32_t W, uint32_t H);

/// Dots per inch of a display `widthPixels` wide and `widthMm` millimetres wide:
/// 25.4 × pixels / millimetres. A display that does not tell its size (0 mm or less) is
/// taken as 96 dpi.
double ScreenDpi(int widthPixels, double widthMm);

/// The horizontal resolution the true-size commands scale by. A picture whose resolution
/// reads as 0 (unknown), or as no finite number above 0, is taken as 96 dpi, the resolution the
/// readers assume for formats that store none, so true size and double size never divide by zero.
double ScalingDpi(float dpiX);

/// Screen pixels per image pixel for one inch of the drawing to show as `factor` inches on
/// the screen: factor × ScreenDpi / dpi (1 for true size, 2 for double size).
double DeviceScale(double screenDpi, float dpiX, double factor = 1.0);

/// The scale after one wheel notch: delta > 0 (away from the user) multiplies by 1.1
/// unless the scale is above 3.0 already, delta < 0 by 0.9 unless it is below 0.1; delta 0
/// keeps the scale. Nothing when the limit stops the step.
std::optional<double> WheelZoomScale(double scale, int delta);

/// Pixels one wheel notch scrolls (Shift vertically, Ctrl horizontally).
inline constexpr int kWheelScrollStep = 10;
/// One notch of a wheel, as the wheel events count it.
inline constexpr int kWheelNotch = 120;

}  // namespace vellumo

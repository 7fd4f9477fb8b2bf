#pragma once
// The crop frame's geometry: its rectangle in picture pixels, where that rectangle lies on
// the screen at a view scale and scroll position and back, the presets (paper sizes, aspect
// ratios, 80 % and 120 %, the swap of the sides), and the rectangle the cut-out takes. Every
// conversion rounds to the nearest integer, halves to the even neighbour (2.5 gives 2, 3.5
// gives 4). Pure functions: the viewer window only moves the numbers into its controls.

#include <algorithm>
#include <cstdint>

#include "platform/Rounding.h"

namespace vellumo {

/// The crop frame in picture pixels; right and bottom are exclusive.
struct CropRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const CropRect&, const CropRect&) = default;
};

/// A rectangle on the screen, in screen pixels: the crop frame with left and top relative to
/// the visible part of the scroll box (picture pixel X shows at X × scale − hpos), or the
/// tracker's outline in its parent's pixels, whose width and height are negative while a
/// resize has turned it over.
struct FrameBounds {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const FrameBounds&, const FrameBounds&) = default;
};

/// The largest side, and the largest distance from the origin, the frame takes on the
/// screen (the largest size a window control can have). Presets that would grow it further
/// stop there; positions and sides stay far from the ends of 32-bit arithmetic.
inline constexpr int32_t kMaxFrameExtent = 16'777'215;
/// `v` held within ±kMaxFrameExtent.
inline int32_t ClampExtent(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, -kMaxFrameExtent, kMaxFrameExtent));
}

/// The preset numbers of ApplyFramePreset.
enum FramePreset : int {
    kPresetCancel = 0,  ///< "✖ Cancel": the window hides the frame and ends crop mode
    kPresetL = 1,       ///< L 127 × 89 mm
    kPresetB6 = 2,      ///< B6 182 × 128 mm
    kPresetRatio4x3 = 3,
    kPresetRatio16x9 = 4,
    kPresetShrink = 5,   ///< 80 %
    kPresetEnlarge = 6,  ///< 120 %
    kPresetA4 = 7,       ///< A4 210 × 297 mm, upright
    kPresetSwap = 99,    ///< "🔄 縦横変更": width and height exchanged
};

/// The default frame of a W × H picture: a landscape picture (W > H) gets a landscape 4 : 3
/// frame half as high as the picture, any other a portrait 3 : 4 frame half as wide, centred.
/// An empty picture gives the zero rectangle.
CropRect InitCropRect(uint32_t W, uint32_t H);

/// Where `r` shows at scale `s` (screen pixels per picture pixel) with the scroll box
/// scrolled to (hpos, vpos): left = Round(left × s − hpos), top likewise, width =
/// Round((right − left) × s), height likewise. Every value is kept within ±kMaxFrameExtent.
FrameBounds PlaceCropFrame(const CropRect& r, double s, int32_t hpos, int32_t vpos);

/// The picture rectangle under the frame `f`: left = Round((L + hpos) / s), right =
/// Round((L + W + hpos) / s), top and bottom likewise. A scale that is not positive maps
/// nothing and gives the zero rectangle.
CropRect ReadCropFrame(const FrameBounds& f, double s, int32_t hpos, int32_t vpos);

/// The frame after a preset (FramePreset), keeping its centre: paper sizes take
/// mm × pixels-per-mm × s (a resolution of 0, unknown, counts as 96 dpi, the resolution the
/// readers assume where a file stores none); 4 : 3 and 16 : 9 keep the longer side and the
/// orientation (a square turns portrait); 80 % and 120 % scale both sides; the swap exchanges
/// them. Left = L0 + Round((W0 − W) / 2), top likewise. Sides stop at kMaxFrameExtent, and
/// 120 % stops growing the frame where its cut-out would pass the pixel limit of the
/// decoders (CutOutWithinLimit): it grows as far as it may, or not at all.
/// kPresetCancel and unknown numbers leave the frame as it is.
FrameBounds ApplyFramePreset(int preset, const FrameBounds& f, double s, float pixPerMmX,
                             float pixPerMmY);

/// Whether a cut-out of w × h picture pixels stays within the pixel limit of the decoders
/// (kMaxSide a side, kMaxPixels in all), so that the program could load it again.
bool CutOutWithinLimit(int64_t w, int64_t h);

/// The rectangle of the picture the cut-out copies, in picture pixels.
struct CutOutArea {
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
    friend bool operator==(const CutOutArea&, const CutOutArea&) = default;
};

/// The cut-out of the frame `f`: x = Round((L + hpos) / s), y likewise, w = Round(W / s),
/// h = Round(H / s); the size comes from the frame's size, not from the difference of the
/// rounded edges. A scale that is not positive gives a zero size (which the cut-out refuses).
CutOutArea CutOutFromFrame(const FrameBounds& f, double s, int32_t hpos, int32_t vpos);

}  // namespace vellumo

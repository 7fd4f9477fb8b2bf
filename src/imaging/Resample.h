#pragma once
// Resampling: a picture scaled by any factor on each axis, so that a drawing scanned at one
// resolution keeps its true size at another. Area averaging where an axis shrinks (every
// source pixel counts by the part of it an output pixel covers), bilinear interpolation
// where it grows.

#include <cstdint>

#include "platform/Bitmap.h"

namespace vellumo {

/// A rectangle of pixels: columns x … x + width − 1, rows y … y + height − 1.
struct PixelArea {
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t width = 0;
    uint32_t height = 0;
};

/// The format of a resampled picture.
enum class ResampleColour {
    /// One bit stays one bit; the viewer's 8-bit gray stays gray; every other format
    /// becomes 24-bit colour.
    Keep,
    /// One bit stays one bit; every other format becomes the viewer's 8-bit gray (darkness
    /// stored, the gray palette): enough where the picture is to be thresholded.
    Gray,
};

/// The format of `source` resampled in `colour`: Bit1, Bit8 (the viewer's gray) or Bit24.
PixelFormat ResampledFormat(const Bitmap& source, ResampleColour colour);

/// The size of `size` pixels scaled by `scale`: rounded, at least 1.
uint32_t ScaledExtent(uint32_t size, double scale);

/// The part `area` of `source` scaled by `scaleX` and `scaleY` (output pixels per source
/// pixel), computed without the rest. Output column i of the whole scaled picture covers
/// the source columns from i / scaleX to (i + 1) / scaleX; where the factor is below 1 it
/// is their average, each weighted by the part of it that is covered; where it is 1 or
/// more it is interpolated linearly between the two source columns whose centres are
/// nearest to its own (the border columns repeat outward). Rows alike.
///
/// A one-bit picture is resampled as ink coverage (a pixel is ink when its colour is nearer
/// black) and reduced again: an output pixel is black when its coverage reaches one half,
/// or s / 2 when the smaller factor s is below 1, so that a line one source pixel wide
/// keeps at least one pixel however far it is shrunk. Its colour table is [black, white].
/// Gray results carry the darkness of DarknessRows (a picture with alpha laid over white);
/// colour results are the picture's colours, a 32-bit picture with alpha laid over white.
///
/// `area` must lie inside ScaledExtent(width) × ScaledExtent(height) and not be empty.
/// Throws Error for a factor that is not a finite number above 0, an empty source, or an
/// area outside; memory grows with the area and with one source row per output row
/// interpolated at once, never with the whole scaled picture.
Bitmap ResampleArea(const Bitmap& source, double scaleX, double scaleY, const PixelArea& area,
                    ResampleColour colour = ResampleColour::Keep);

/// The whole of `source` scaled to exactly `width` × `height` pixels.
Bitmap Resample(const Bitmap& source, uint32_t width, uint32_t height,
                ResampleColour colour = ResampleColour::Keep);

}  // namespace vellumo

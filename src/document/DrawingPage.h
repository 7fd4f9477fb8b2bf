#pragma once
// The page of a drawing for the online application, B4 landscape at 400 dpi, and where a
// picture's content goes on it.

#include <cstdint>
#include <optional>

#include "imaging/Resample.h"
#include "platform/Bitmap.h"

namespace vellumo {

/// The drawing's resolution, dots per inch.
inline constexpr double kDrawingDpi = 400;
/// B4 landscape, 364 × 257 mm, at 400 dpi: the sizes the paper-size rule confirms.
inline constexpr uint32_t kDrawingWidth = 5732;
inline constexpr uint32_t kDrawingHeight = 4047;
inline constexpr double kDrawingWidthMm = 364;
inline constexpr double kDrawingHeightMm = 257;

/// The rectangle that holds every pixel of `picture` a threshold of `threshold` would make
/// black (the viewer's rule: channel average below it; a picture with alpha over white),
/// or for a one-bit picture every pixel nearer black; nothing when there is none.
std::optional<PixelArea> InkBounds(const Bitmap& picture, int threshold);

/// Where a picture `size` pixels long lies along one axis of a page `page` pixels long:
/// the page position of the picture's first pixel, such that the picture's pixels
/// `contentBegin` … `contentEnd` − 1 are on the page and the picture's centre is as near
/// the page's centre as that allows (halves toward the start). Content longer than the page
/// is centred on it, as much of it beyond either end.
int64_t PlaceAlong(uint64_t size, uint64_t contentBegin, uint64_t contentEnd, uint32_t page);

/// A white page of `width` × `height` in `format`: one bit with the colour table [black,
/// white], the viewer's 8-bit gray, or 24-bit colour.
Bitmap WhitePage(uint32_t width, uint32_t height, PixelFormat format);

/// Copies `part` (of the page's format) onto `page` with its top-left corner at (x, y); it
/// must lie inside the page.
void PasteInto(Bitmap& page, const Bitmap& part, uint32_t x, uint32_t y);

}  // namespace vellumo

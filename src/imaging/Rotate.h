#pragma once
// The viewer's quarter turns of the picture itself.

#include "platform/Bitmap.h"

namespace vellumo {

/// The picture turned 90° counter-clockwise: a new bitmap of the same format, Height() wide
/// and Width() high, with a copy of the palette; T(tx, ty) = S(W − 1 − ty, tx), so the top
/// edge becomes the left edge, read from right to left. Every format is turned, 15- and
/// 16-bit pixels as two bytes. A 32-bit result is marked as carrying alpha, as the viewer
/// marks it; its fourth bytes are the source's when the source carries alpha, else 255.
Bitmap RotateLeft(const Bitmap& source);

/// The picture turned 90° clockwise: T(tx, ty) = S(ty, H − 1 − tx), so the left edge
/// becomes the top edge, read from bottom to top. Otherwise as RotateLeft.
Bitmap RotateRight(const Bitmap& source);

}  // namespace vellumo

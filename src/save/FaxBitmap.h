#pragma once
// The picture prepared for CCITT Group 3 and Group 4: one bit per pixel, set where the
// picture is black, which the TIFF writer stores as WhiteIsZero.

#include "platform/Bitmap.h"

namespace vellumo {

/// A one-bit bitmap of the picture's size whose bit is 1 where the picture is black and 0
/// where it is white (the picture's inverse, as a bit-block transfer with inverted source
/// into a one-bit bitmap gives it). Each pixel counts as black when its colour (through the
/// palette for indexed pictures) has a luminance 0.299 R + 0.587 G + 0.114 B below 128,
/// the rule of ReduceToMono. The colour table is [black, white]; padding bits are 0.
/// Works on every format; a one-bit picture costs one pass over its bytes.
Bitmap MakeFaxBitmap(const Bitmap& picture);

}  // namespace vellumo

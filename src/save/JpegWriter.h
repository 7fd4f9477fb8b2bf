#pragma once
// The JPEG writer (libjpeg): baseline JPEG of the picture taken as 24-bit colour.

#include <string>

#include "platform/Bitmap.h"
#include "save/WriteProgress.h"

namespace vellumo {

/// Writes `picture` (any format, taken as ConvertTo24 gives it) to `path` as a baseline
/// JPEG with the library's default parameters and `quality` (1 to 100); with `gray` the
/// file has one grayscale component, else three (YCbCr). The JFIF header carries the
/// library's default density (aspect ratio 1 : 1, no unit).
///
/// The file appears at `path` only when complete; a failure leaves an existing file
/// untouched. Throws Error (libjpeg's message or the platform file error) on any failure,
/// an empty picture or a quality outside 1 to 100 included. `progress` is told every few
/// rows.
void WriteJpeg(const Bitmap& picture, const std::string& path, int quality, bool gray,
               const WriteProgress& progress = {});

}  // namespace vellumo

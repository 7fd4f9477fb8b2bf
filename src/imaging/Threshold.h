#pragma once
// The viewer's monochrome conversion by a fixed threshold, and the colour table of its
// one-bit pictures: [ink, white], a pixel whose bit is 0 being ink.

#include <optional>
#include <string_view>

#include "platform/Bitmap.h"

namespace vellumo {

/// The viewer's refusal of the threshold for `picture` (kAlreadyMonoText for a one-bit
/// picture), or nothing when it may be thresholded.
std::optional<std::string_view> ThresholdRefusal(const Bitmap& picture);

/// The one-bit picture of `source` (any format) for the signed limit a = 255 − t: a pixel
/// whose darkness 255 − (B + G + R) div 3 is above a is ink (bit 0), any other white (bit
/// 1). So a pixel is black exactly when its channel average is below t; a ≥ 255 gives an
/// all-white picture, a < 0 an all-black one. The colour table is [black, white]. Gives the
/// same result for the gray picture of ConvertToGray8 as for the picture it came from, so
/// the real-time preview passes its gray copy here. The source is left as it is.
Bitmap ThresholdToMono(const Bitmap& source, int a);

/// The viewer's refusal of an ink colour for `picture` (kMonoOnlyText when it is not
/// one-bit), or nothing.
std::optional<std::string_view> InkColorRefusal(const Bitmap& picture);

/// Writes the colour table [ink, white] into a one-bit picture; no pixel changes. The ink's
/// reserved byte is written as 0. Throws Error(kMonoOnlyText) for any other format.
void SetMonoColorTable(Bitmap& picture, RgbQuad ink);

}  // namespace vellumo

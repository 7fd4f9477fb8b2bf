#pragma once
// The viewer's dithered monochrome: error diffusion onto black and white.

#include <optional>
#include <string_view>

#include "platform/Bitmap.h"

namespace vellumo {

/// The viewer's refusal of the dither for `picture` (kAlreadyMonoText for a one-bit
/// picture), or nothing.
std::optional<std::string_view> DitherRefusal(const Bitmap& picture);

/// The one-bit error-diffused picture of `source` (any format but one-bit; palette formats
/// read through their colour table, a 32-bit fourth byte ignored). Rows are worked from the
/// bottom of the picture up, the bottom row left to right and each next row the other way;
/// each pixel takes 12, 12 and 5 of 32 parts of the error of the pixel below, the pixel
/// decided just before in its row and the pixel below that one, and is white when its
/// corrected channels add up to 384 or more. Colour table [black, white]; rows keep the
/// picture's order. Throws Error(kAlreadyMonoText) for a one-bit source.
Bitmap DitherToMono(const Bitmap& source);

}  // namespace vellumo

#pragma once
// The viewer's cut-out: the framed rectangle of the picture copied into a new picture.

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/Bitmap.h"

namespace vellumo {

/// The viewer's message when a cut-out fails, also used when the frame maps to less than
/// one pixel.
inline constexpr std::string_view kCutOutFailedText = "枠座標切出失敗";

/// The viewer's message for a cut-out larger than the decoders' pixel limit.
inline constexpr std::string_view kCutOutTooLargeText =
    "枠座標切出失敗\r\n切り出す範囲が大きすぎます。枠を縮小してください。";

/// The viewer's refusal of a cut-out of w × h pixels (kCutOutFailedText when either is
/// below 1, kCutOutTooLargeText beyond the pixel limit), or nothing. It is asked before
/// anything is allocated.
std::optional<std::string_view> CutOutRefusal(int32_t w, int32_t h);

/// The rectangle from (x, y) to (x + w, y + h) of `source`, in the source's pixel format.
/// The frame may reach beyond the picture (x and y may be negative): those pixels are white.
/// The colour table is the source's, so every framed pixel keeps its colour; where white
/// is needed and the table has none, white is added in a free entry, else takes the place
/// of an entry no framed pixel uses, else the entry nearest to white is used. The result is
/// marked as carrying alpha, as the viewer marks it; a 32-bit pixel keeps its fourth byte
/// when the source carries alpha and gets 255 (opaque) otherwise, and white fill is opaque.
/// Throws Error with the refusal's text when CutOutRefusal refuses.
Bitmap CutOut(const Bitmap& source, int32_t x, int32_t y, int32_t w, int32_t h);

}  // namespace vellumo

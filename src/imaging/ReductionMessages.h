#pragma once
// The viewer's texts for a colour reduction it refuses. The command-line converter prints
// the same texts, so they live beside the operations rather than in the window.

#include <string_view>

namespace vellumo {

/// Threshold, real-time preview or dither asked of a picture that is one-bit already.
inline constexpr std::string_view kAlreadyMonoText = "　モノクロ（２値）画像です。　";
/// The ink colour asked of a picture that is not one-bit.
inline constexpr std::string_view kMonoOnlyText = "モノクロ２値画像のみ使えます。";
/// The picture is not held as a bitmap (a device or custom format).
inline constexpr std::string_view kUnprocessableFormatText = "　処理出来ない画像形式です。　";

}  // namespace vellumo

#pragma once
// The viewer's despeckle filter: a pixel far from the median of its 3 × 3 neighbourhood
// takes the median's colour. Pixels are compared by the sum of their three channels.

#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/Bitmap.h"

namespace vellumo {

/// The strength the viewer's command always passes.
inline constexpr int kDespeckleStrength = 10;
/// The status text shown beside the progress bar while the filter runs.
inline constexpr std::string_view kDespeckleProgressText = "　ゴミ取り中 ．．． ";

/// The replacement threshold of a strength p in percent: ((100 − p) × 255) div 100,
/// truncating toward zero (229 for 10).
int DespeckleThreshold(int strength);

/// Whether the viewer shows its progress bar (range 0 … height − 1) and the progress text
/// for a picture of this height: only above 2000 rows.
bool DespeckleShowsProgress(uint32_t height);

/// The filtered picture. Each output pixel is computed from the unchanged source: the
/// window is the pixel and its neighbours inside the picture (9, 6 along an edge, 4 in a
/// corner); the entries are ordered by channel sum with the viewer's partial selection
/// (for i ≤ n div 2, for j > i, exchange when sum[i] > sum[j]), and when the centre's sum
/// differs from entry n div 2's by the threshold or more, the pixel takes that entry's
/// colour, otherwise it stays.
///
/// Result format: an 8-bit source comes back as 8 bits with the halftone palette (not its
/// own), a 32-bit source as 32 bits with every fourth byte 255 (opaque) and no alpha flag;
/// every other format comes back as 24 bits with a copy of the source's palette. The
/// source is left as it is.
///
/// After each row y (top row first, every picture size) `rowDone(y)` and then
/// `letMessagesRun()` are called when set, on the calling thread; an exception from either
/// ends the filter and reaches the caller.
Bitmap DespeckleBitmap(const Bitmap& image, int strength,
                       const std::function<void(uint32_t row)>& rowDone = {},
                       const std::function<void()>& letMessagesRun = {});

}  // namespace vellumo

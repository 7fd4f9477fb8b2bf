#pragma once
// The arithmetic of the viewer's frame tracker: where its eight grab handles sit, how a move
// follows the mouse (with the Shift axis lock), how a resize at a corner changes the outline
// (with the Shift ratio, and turned over its opposite corner when dragged past it), which
// cursor each handle shows, and the bounds the frame takes at release. Bounds are in the
// pixels of the frame's parent; while a resize lasts, width and height may be negative.

#include <array>
#include <cstdint>

#include "crop/CropFrame.h"

namespace vellumo {

/// The side of a grab handle, a square.
inline constexpr int32_t kHandleSize = 8;
/// Handles are numbered clockwise from the top-left corner.
inline constexpr int kHandleCount = 8;

/// The handles of an outline: 0 top-left, 1 top-middle, 2 top-right, 3 right-middle,
/// 4 bottom-right, 5 bottom-middle, 6 bottom-left, 7 left-middle; each kHandleSize square
/// centred (a = size div 2) on its corner or on the middle of its side, the middles at
/// (L + (L + W)) div 2 and (T + (T + H)) div 2. Taken from the signed bounds, so a turned
/// over outline has each handle where its corner has gone.
std::array<FrameBounds, kHandleCount> HandlePlacement(const FrameBounds& outline);

/// Whether handle `handle` is shown: the viewer's tracker shows the corner handles only.
constexpr bool HandleShown(int handle) { return handle % 2 == 0; }

/// Whether (x, y) lies in the normalised rectangle of `b` (left and top inclusive).
bool Contains(const FrameBounds& b, int32_t x, int32_t y);
/// The centre of the normalised rectangle of `b`: left + width div 2, top + height div 2.
void CentreOf(const FrameBounds& b, int32_t& x, int32_t& y);

/// A move's axis lock, set by the first step made with Shift held.
enum class AxisLock { None, Horizontal, Vertical };

/// One step of a move.
struct MoveStep {
    int32_t dx = 0;  ///< how far the outline moves
    int32_t dy = 0;
    AxisLock lock = AxisLock::None;  ///< the lock from now on
};

/// The step for a mouse (dx, dy) away from the press point: without Shift the outline
/// follows; with Shift it moves along the lock, which the first such step sets (vertical
/// when |dx| < |dy|, else horizontal). The lock stays until the release.
MoveStep TrackMove(AxisLock lock, bool shift, int32_t dx, int32_t dy);

/// The ratio a Shift resize keeps: height ÷ width of the frame when the resize starts (a
/// width of 0 counts as 1).
double ResizeRatio(int32_t width, int32_t height);

/// The outline after the mouse moved (dx, dy) while dragging corner `handle` (0, 2, 4 or 6;
/// others leave it as it is). The corner follows the mouse; with Shift the height follows
/// the width by `ratio` (rounded half to even) and the opposite side stays. Sides stop at
/// ±kMaxFrameExtent.
FrameBounds TrackResize(int handle, const FrameBounds& outline, int32_t dx, int32_t dy, bool shift,
                        double ratio);

/// The rectangle `b` covers, with a non-negative width and height: a negative width w gives
/// left + w and −w, likewise the height.
FrameBounds Normalised(const FrameBounds& b);
/// The bounds the frame takes at a release: normalised, width and height at least 1.
FrameBounds ReleasedBounds(const FrameBounds& b);

/// The cursors the tracker shows.
enum class TrackerCursor { Move, NorthSouth, WestEast, NorthWestSouthEast, NorthEastSouthWest };

/// The cursor of handle `handle` over `outline`: north–south for 1 and 5, west–east for 3
/// and 7, north-west–south-east for 0 and 4, north-east–south-west for 2 and 6; while
/// `resizing` an outline of which exactly one side is negative, the two diagonals exchange.
TrackerCursor HandleCursor(int handle, const FrameBounds& outline, bool resizing);

}  // namespace vellumo

#include "crop/FrameTracking.h"

#include <algorithm>
#include <cstdlib>

namespace vellumo {

namespace {

/// Integer division truncating towards zero, as the handle placement counts.
int32_t Half(int64_t v) { return ClampExtent(v / 2); }

}  // namespace

std::array<FrameBounds, kHandleCount> HandlePlacement(const FrameBounds& o) {
    const int32_t a = kHandleSize / 2;
    const int64_t right = int64_t(o.left) + o.width;
    const int64_t bottom = int64_t(o.top) + o.height;
    const int32_t mx = Half(int64_t(o.left) + right);
    const int32_t my = Half(int64_t(o.top) + bottom);
    auto at = [&](int64_t x, int64_t y) {
        return FrameBounds{ClampExtent(x - a), ClampExtent(y - a), kHandleSize, kHandleSize};
    };
    return {at(o.left, o.top), at(mx, o.top),  at(right, o.top),   at(right, my),
            at(right, bottom), at(mx, bottom), at(o.left, bottom), at(o.left, my)};
}

bool Contains(const FrameBounds& b, int32_t x, int32_t y) {
    const FrameBounds n = Normalised(b);
    return x >= n.left && int64_t(x) < int64_t(n.left) + n.width && y >= n.top &&
           int64_t(y) < int64_t(n.top) + n.height;
}

void CentreOf(const FrameBounds& b, int32_t& x, int32_t& y) {
    const FrameBounds n = Normalised(b);
    x = ClampExtent(int64_t(n.left) + n.width / 2);
    y = ClampExtent(int64_t(n.top) + n.height / 2);
}

MoveStep TrackMove(AxisLock lock, bool shift, int32_t dx, int32_t dy) {
    if (!shift) return {dx, dy, lock};
    if (lock == AxisLock::None)
        lock = std::abs(int64_t(dx)) < std::abs(int64_t(dy)) ? AxisLock::Vertical
                                                             : AxisLock::Horizontal;
    if (lock == AxisLock::Vertical) return {0, dy, lock};
    return {dx, 0, lock};
}

double ResizeRatio(int32_t width, int32_t height) {
    return double(height) / double(width == 0 ? 1 : width);
}

FrameBounds TrackResize(int handle, const FrameBounds& o, int32_t dx, int32_t dy, bool shift,
                        double ratio) {
    int64_t left = o.left, top = o.top, width = o.width, height = o.height;
    const bool leftSide = handle == 0 || handle == 6;
    const bool topSide = handle == 0 || handle == 2;
    if (handle != 0 && handle != 2 && handle != 4 && handle != 6) return o;
    if (leftSide) {
        left += dx;
        width -= dx;
    } else {
        width += dx;
    }
    width = ClampExtent(width);
    if (shift) {
        const int64_t newHeight = ClampExtent(RoundHalfEvenToInt(double(width) * ratio));
        // Dragging a top corner keeps the bottom edge where it is.
        if (topSide) top += height - newHeight;
        height = newHeight;
    } else if (topSide) {
        top += dy;
        height -= dy;
    } else {
        height += dy;
    }
    return {ClampExtent(left), ClampExtent(top), int32_t(width), ClampExtent(height)};
}

FrameBounds Normalised(const FrameBounds& b) {
    FrameBounds n = b;
    if (b.width < 0) {
        n.left = ClampExtent(int64_t(b.left) + b.width);
        n.width = -b.width;
    }
    if (b.height < 0) {
        n.top = ClampExtent(int64_t(b.top) + b.height);
        n.height = -b.height;
    }
    return n;
}

FrameBounds ReleasedBounds(const FrameBounds& b) {
    FrameBounds n = Normalised(b);
    n.width = std::max(n.width, 1);
    n.height = std::max(n.height, 1);
    return n;
}

TrackerCursor HandleCursor(int handle, const FrameBounds& o, bool resizing) {
    switch (handle) {
        case 1:
        case 5:
            return TrackerCursor::NorthSouth;
        case 3:
        case 7:
            return TrackerCursor::WestEast;
        default:
            break;
    }
    const bool turned = resizing && ((o.width < 0) != (o.height < 0));
    const bool mainDiagonal = (handle == 0 || handle == 4) != turned;
    return mainDiagonal ? TrackerCursor::NorthWestSouthEast : TrackerCursor::NorthEastSouthWest;
}

}  // namespace vellumo

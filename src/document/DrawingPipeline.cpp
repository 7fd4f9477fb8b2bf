#include "document/DrawingPipeline.h"

#include <algorithm>
#include <cmath>

#include "check/ReportFormat.h"
#include "document/DrawingPage.h"
#include "document/ViewScaling.h"
#include "imaging/Despeckle.h"
#include "imaging/Rotate.h"
#include "imaging/Threshold.h"
#include "platform/Rounding.h"

namespace vellumo {

namespace {

constexpr double kMmPerInch = 25.4;

/// The scaled pixels that the source pixels `begin` … `end` − 1 reach into, `scale`
/// scaled pixels each, cut at the scaled picture's `extent`; `reach` more source pixels
/// each way.
struct ScaledRange {
    uint64_t lo = 0, hi = 0;
};
ScaledRange Reached(uint64_t begin, uint64_t end, double scale, uint32_t extent, double reach) {
    const double lo = std::max(0.0, std::floor((double(begin) - reach) * scale));
    const double hi = std::min(double(extent), std::ceil((double(end) + reach) * scale));
    return {uint64_t(lo), uint64_t(std::max(lo, hi))};
}

/// The page columns (or rows) an axis of the picture takes, with the picture's own range.
struct AxisPlacement {
    int64_t offset = 0;  ///< page position of the scaled picture's first pixel
    uint32_t first = 0;  ///< first scaled pixel on the page
    uint32_t count = 0;  ///< scaled pixels on the page
};

/// Places one axis of a scaled picture `extent` long whose content covers the source pixels
/// `begin` … `end` − 1 (an empty range: none, the picture centred). The page keeps the
/// content and, where that still fits, what the resampling spreads of it into the next
/// pixels (one source pixel each way).
AxisPlacement PlaceAxis(uint32_t extent, double scale, uint64_t begin, uint64_t end,
                        uint32_t page) {
    ScaledRange kept = Reached(begin, end, scale, extent, 1);
    if (kept.hi - kept.lo > page) kept = Reached(begin, end, scale, extent, 0);
    if (begin == end) kept = {extent / 2, extent / 2};
    AxisPlacement a;
    a.offset = PlaceAlong(extent, kept.lo, kept.hi, page);
    const int64_t from = std::max<int64_t>(0, -a.offset);
    const int64_t to = std::min<int64_t>(extent, int64_t(page) - a.offset);
    if (to > from) {
        a.first = uint32_t(from);
        a.count = uint32_t(to - from);
    }
    return a;
}

std::string Mm(double mm) { return FormatFixed(mm, 1); }

}  // namespace

ContentTooLarge::ContentTooLarge(double widthMm, double heightMm)
    : Error(ContentTooLargeText(widthMm, heightMm)), widthMm_(widthMm), heightMm_(heightMm) {}

std::string ContentTooLargeText(double widthMm, double heightMm) {
    return "　図面の内容が B4 に収まりません（内容：" + Mm(widthMm) + " mm × " + Mm(heightMm) +
           " mm、B4：364 mm × 257 mm）。　";
}

std::string ShrunkText(double factor) {
    return "　B4 に収めるため " + FormatFixed(factor * 100, 1) +
           "% に縮小しました（図面の縮尺が変わります）。　";
}

std::string TurnedText() { return "　縦長の画像を左に 90° 回転しました。　"; }

double DrawingDpi(double dpi) { return ScalingDpi(static_cast<float>(dpi)); }

PlacedPage PlaceOnB4(const Bitmap& picture, double dpiX, double dpiY, const DrawingOptions& options,
                     ResampleColour colour) {
    double dx = DrawingDpi(dpiX), dy = DrawingDpi(dpiY);
    PlacedPage out;
    PagePlacement& placement = out.placement;

    // 2, decided before 1: turning the source is turning the result, and the smaller of the
    // two to turn is not known before scaling.
    Bitmap turned;
    const Bitmap* source = &picture;
    if (ScaledExtent(picture.Height(), kDrawingDpi / dy) >
        ScaledExtent(picture.Width(), kDrawingDpi / dx)) {
        turned = RotateLeft(picture);
        source = &turned;
        std::swap(dx, dy);
        placement.turned = true;
    }
    double sx = kDrawingDpi / dx, sy = kDrawingDpi / dy;

    // 3: the content, and whether it fits at true scale.
    const std::optional<PixelArea> content = InkBounds(*source, options.threshold);
    const PixelArea c = content.value_or(PixelArea{});
    if (content) {
        placement.contentWidthMm = c.width / dx * kMmPerInch;
        placement.contentHeightMm = c.height / dy * kMmPerInch;
        // Larger than B4 as the paper-size rule measures: in whole millimetres, rounded. So
        // a scan whose edge shadows make it a fraction of a millimetre too large still fits;
        // what lies beyond the page, at most half a millimetre, is cut at both ends.
        if (RoundHalfEven(placement.contentWidthMm) > kDrawingWidthMm ||
            RoundHalfEven(placement.contentHeightMm) > kDrawingHeightMm) {
            if (!options.shrinkToFit)
                throw ContentTooLarge(placement.contentWidthMm, placement.contentHeightMm);
            // Two pixels to spare, for the partly covered pixels at the content's edges.
            placement.shrink = std::min((kDrawingWidth - 2) / (c.width * sx),
                                        (kDrawingHeight - 2) / (c.height * sy));
            sx *= placement.shrink;
            sy *= placement.shrink;
        }
    }
    const uint32_t extentX = ScaledExtent(source->Width(), sx);
    const uint32_t extentY = ScaledExtent(source->Height(), sy);
    const AxisPlacement across =
        PlaceAxis(extentX, sx, c.x, uint64_t(c.x) + c.width, kDrawingWidth);
    const AxisPlacement down =
        PlaceAxis(extentY, sy, c.y, uint64_t(c.y) + c.height, kDrawingHeight);

    out.page = WhitePage(kDrawingWidth, kDrawingHeight, ResampledFormat(*source, colour));
    if (across.count && down.count) {
        const Bitmap part = ResampleArea(
            *source, sx, sy, PixelArea{across.first, down.first, across.count, down.count}, colour);
        PasteInto(out.page, part, uint32_t(across.offset + across.first),
                  uint32_t(down.offset + down.first));
    }
    return out;
}

Drawing MakeDrawing(const Bitmap& picture, double dpiX, double dpiY,
                    const DrawingOptions& options) {
    PlacedPage placed = PlaceOnB4(picture, dpiX, dpiY, options, ResampleColour::Gray);
    Drawing drawing;
    drawing.placement = placed.placement;
    drawing.picture = placed.page.Format() == PixelFormat::Bit1
                          ? std::move(placed.page)
                          : ThresholdToMono(placed.page, 255 - options.threshold);
    placed.page = Bitmap();
    // The filter gives its result in 24 bits; it holds only black and white.
    if (options.despeckle)
        drawing.picture = ReduceToMono(DespeckleBitmap(drawing.picture, kDespeckleStrength));
    return drawing;
}

}  // namespace vellumo

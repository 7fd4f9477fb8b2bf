#pragma once
// From any picture to a drawing for the online application: the picture at true scale at
// 400 dpi, turned to landscape, placed on a B4 page, and made black and white.

#include <string>

#include "imaging/Resample.h"
#include "platform/Bitmap.h"
#include "platform/Error.h"

namespace vellumo {

/// The choices of a drawing.
struct DrawingOptions {
    /// The threshold of the one-bit step (the viewer's, black below it); also what counts as
    /// the picture's content: the pixels it makes black.
    int threshold = 128;
    /// Despeckle the one-bit drawing (the viewer's "ゴミ取り").
    bool despeckle = false;
    /// Scale content larger than B4 down until it fits, instead of refusing it.
    bool shrinkToFit = false;
};

/// How the picture was put on the page.
struct PagePlacement {
    /// A page higher than wide was turned a quarter to the left.
    bool turned = false;
    /// The factor the content was scaled down by to fit (1 when it fitted at true scale);
    /// the drawing's printed scale changes by it.
    double shrink = 1.0;
    /// The content's size at true scale, after the turn (0 × 0 for a blank picture).
    double contentWidthMm = 0;
    double contentHeightMm = 0;
};

/// The page with the picture on it.
struct PlacedPage {
    Bitmap page;  ///< kDrawingWidth × kDrawingHeight
    PagePlacement placement;
};

/// The drawing: one bit, [black, white], kDrawingWidth × kDrawingHeight.
struct Drawing {
    Bitmap picture;
    PagePlacement placement;
};

/// Refusal of a picture whose content is larger than B4 (without shrink to fit).
class ContentTooLarge : public Error {
  public:
    ContentTooLarge(double widthMm, double heightMm);
    double WidthMm() const { return widthMm_; }
    double HeightMm() const { return heightMm_; }

  private:
    double widthMm_, heightMm_;
};

/// "　図面の内容が B4 に収まりません（内容：W mm × H mm、B4：364 mm × 257 mm）。　",
/// the sizes with one decimal.
std::string ContentTooLargeText(double widthMm, double heightMm);
/// "　B4 に収めるため P% に縮小しました（図面の縮尺が変わります）。　", P with one decimal.
std::string ShrunkText(double factor);
/// "　縦長の画像を左に 90° 回転しました。　"
std::string TurnedText();

/// The resolution a drawing takes a picture at: its own, or 96 dpi where it reads as 0 or
/// as no number above 0 (as the viewer's true size does).
double DrawingDpi(double dpi);

/// Steps 1 to 3 on a picture of `dpiX` × `dpiY` (taken through DrawingDpi):
/// 1. true scale at 400 dpi (Resample; in `colour`);
/// 2. a picture higher than wide at 400 dpi is turned a quarter to the left (the viewer's
///    rotation buttons turn it further);
/// 3. the picture is placed on a white B4 page so that the page holds all its content
///    (InkBounds under options.threshold), the picture's centre as near the page's centre
///    as that allows; what lies beyond the page is not kept. Content larger than the page
///    is refused with ContentTooLarge, or with options.shrinkToFit scaled down to fit (the
///    factor in the placement).
/// Only the part of the picture that lands on the page is ever resampled, so the memory
/// used stays that of one page whatever the resolution claims. Throws Error from the steps.
PlacedPage PlaceOnB4(const Bitmap& picture, double dpiX, double dpiY, const DrawingOptions& options,
                     ResampleColour colour = ResampleColour::Keep);

/// Steps 1 to 4: PlaceOnB4 in gray, then one bit by the viewer's threshold (a one-bit page
/// stays as it is), then with options.despeckle the viewer's despeckle filter.
Drawing MakeDrawing(const Bitmap& picture, double dpiX, double dpiY, const DrawingOptions& options);

}  // namespace vellumo

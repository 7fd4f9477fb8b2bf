// The drawing pipeline: pictures of every kind and size to a B4 page at 400 dpi, where their
// content lands, the turn of a portrait page, the refusal of content larger than B4 and the
// shrink that fits it, and the one-bit step.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>

#include "document/DrawingPage.h"
#include "document/DrawingPipeline.h"
#include "imaging/Gray.h"

namespace vellumo {
namespace {

uint32_t Px(double mm, double dpi) { return uint32_t(std::lround(mm / 25.4 * dpi)); }

/// A white picture with the colour table [black, white] when it is one bit.
Bitmap White(uint32_t w, uint32_t h, PixelFormat f) {
    if (f == PixelFormat::Bit1 || f == PixelFormat::Bit8 || f == PixelFormat::Bit24)
        return WhitePage(w, h, f);
    Bitmap b(w, h, f);
    b.Fill(0xFF);
    return b;
}

/// Fills a rectangle (cut at the picture's edges) with gray `level` (0 black); a one-bit
/// picture gets ink.
void Fill(Bitmap& b, uint32_t x0, uint32_t y0, uint32_t w, uint32_t h, uint8_t level = 0) {
    for (uint32_t y = y0; y < std::min(y0 + h, b.Height()); ++y)
        for (uint32_t x = x0; x < std::min(x0 + w, b.Width()); ++x) {
            if (b.Format() == PixelFormat::Bit1)
                b.SetPixelIndex(x, y, 0);
            else if (b.Format() == PixelFormat::Bit8)
                b.SetPixelIndex(x, y, uint8_t(255 - level));
            else
                std::memset(b.Row(y) + x * (b.Bits() / 8), level, 3);
        }
}

/// A frame one millimetre wide around w × h mm at (x, y) mm.
void Frame(Bitmap& b, double dpi, double x, double y, double w, double h) {
    const uint32_t x0 = Px(x, dpi), y0 = Px(y, dpi), pw = Px(w, dpi), ph = Px(h, dpi);
    const uint32_t t = Px(1, dpi);
    Fill(b, x0, y0, pw, t);
    Fill(b, x0, y0 + ph - t, pw, t);
    Fill(b, x0, y0, t, ph);
    Fill(b, x0 + pw - t, y0, t, ph);
}

double Mm(uint32_t px) { return px * 25.4 / 400; }

// Where the content of each kind of picture lands: the page holds all of it at true scale,
// as near the centre as that allows.
TEST(PlaceOnB4, PutsTheContentOnTheB4Page) {
    struct Case {
        const char* what;
        double paperW, paperH, dpi;
        PixelFormat format;
        double frameX, frameY, frameW, frameH;  // mm on the paper
        // Where the frame's left and top edges are expected on the page, in mm.
        double pageX, pageY;
    };
    const Case cases[] = {
        // A whole B4 frame 2 mm inside the paper's edge, from a 300 dpi colour scan.
        {"B4 scan", 364, 257, 300, PixelFormat::Bit32, 2, 2, 360, 253, 2, 2},
        // The same from a 600 dpi one-bit drawing.
        {"B4 one bit", 364, 257, 600, PixelFormat::Bit1, 2, 2, 360, 253, 2, 2},
        // An A3 sheet whose drawing, of B4 size, sits in its top-left corner: the page
        // moves as little as it can from the centre, to the sheet's corner.
        {"A3, B4 content top left", 420, 297, 200, PixelFormat::Bit24, 0, 0, 364, 257, 0, 0},
        // ... in its bottom-right corner.
        {"A3, B4 content bottom right", 420, 297, 150, PixelFormat::Bit24, 56, 40, 364, 257, 0, 0},
        // A small sketch in the middle of an A3 sheet stays in the middle of the page.
        {"A3, small centred", 420, 297, 150, PixelFormat::Bit24, 160, 98.5, 100, 100, 132, 78.5},
        // A postcard at 96 dpi (its own resolution unknown): centred at true size.
        {"postcard", 148, 100, 0, PixelFormat::Bit24, 10, 10, 128, 80, 118, 88.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const double dpi = c.dpi > 0 ? c.dpi : 96;
        Bitmap picture = White(Px(c.paperW, dpi), Px(c.paperH, dpi), c.format);
        Frame(picture, dpi, c.frameX, c.frameY, c.frameW, c.frameH);
        const PlacedPage placed = PlaceOnB4(picture, c.dpi, c.dpi, DrawingOptions{});
        ASSERT_EQ(placed.page.Width(), kDrawingWidth);
        ASSERT_EQ(placed.page.Height(), kDrawingHeight);
        EXPECT_FALSE(placed.placement.turned);
        EXPECT_EQ(placed.placement.shrink, 1.0);
        EXPECT_NEAR(placed.placement.contentWidthMm, c.frameW, 0.3);
        const std::optional<PixelArea> ink = InkBounds(placed.page, 128);
        ASSERT_TRUE(ink);
        EXPECT_NEAR(Mm(ink->width), c.frameW, 0.3);
        EXPECT_NEAR(Mm(ink->height), c.frameH, 0.3);
        if (c.pageX == 0 && c.pageY == 0 && c.frameW < 364) {
            // Held, not centred: only inside the page.
            EXPECT_LE(uint64_t(ink->x) + ink->width, kDrawingWidth);
            EXPECT_LE(uint64_t(ink->y) + ink->height, kDrawingHeight);
        } else {
            EXPECT_NEAR(Mm(ink->x), c.pageX, 0.3);
            EXPECT_NEAR(Mm(ink->y), c.pageY, 0.3);
        }
    }
}

// A portrait page is turned a quarter to the left: its top-left corner comes to the
// bottom-left; the gray of a colour picture is kept in colour when asked.
TEST(PlaceOnB4, TurnsAPortraitPageToTheLeft) {
    Bitmap portrait = White(Px(257, 300), Px(364, 300), PixelFormat::Bit24);
    Fill(portrait, 0, 0, Px(20, 300), Px(10, 300));  // 20 mm wide, 10 mm high, top left
    const PlacedPage placed = PlaceOnB4(portrait, 300, 300, DrawingOptions{});
    EXPECT_TRUE(placed.placement.turned);
    EXPECT_EQ(placed.page.Format(), PixelFormat::Bit24);
    const std::optional<PixelArea> ink = InkBounds(placed.page, 128);
    ASSERT_TRUE(ink);
    EXPECT_NEAR(Mm(ink->x), 0, 0.1);
    EXPECT_NEAR(Mm(ink->width), 10, 0.2);
    EXPECT_NEAR(Mm(ink->height), 20, 0.2);
    EXPECT_NEAR(Mm(ink->y + ink->height), 257, 0.1);
}

// Content wider or higher than B4 is refused with its size; with shrink to fit it is scaled
// down by the factor that makes it fit, and all of it is on the page.
TEST(PlaceOnB4, RefusesOrShrinksContentLargerThanB4) {
    struct Case {
        double w, h;  // the content's mm, on an A2 sheet at 200 dpi
        double factor;
    };
    const Case cases[] = {{400, 200, 5730.0 / Px(400, 400)},
                          {300, 280, 4045.0 / Px(280, 400)},
                          {410, 290, 4045.0 / Px(290, 400)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
        Bitmap a2 = White(Px(594, 200), Px(420, 200), PixelFormat::Bit1);
        Frame(a2, 200, 30, 40, c.w, c.h);
        try {
            PlaceOnB4(a2, 200, 200, DrawingOptions{});
            ADD_FAILURE() << "not refused";
        } catch (const ContentTooLarge& e) {
            EXPECT_NEAR(e.WidthMm(), c.w, 0.2);
            EXPECT_NEAR(e.HeightMm(), c.h, 0.2);
            EXPECT_EQ(std::string(e.what()), ContentTooLargeText(e.WidthMm(), e.HeightMm()));
        }
        DrawingOptions shrink;
        shrink.shrinkToFit = true;
        const PlacedPage placed = PlaceOnB4(a2, 200, 200, shrink);
        EXPECT_NEAR(placed.placement.shrink, c.factor, 0.002);
        const std::optional<PixelArea> ink = InkBounds(placed.page, 128);
        ASSERT_TRUE(ink);
        EXPECT_NEAR(ink->width, c.w / 25.4 * 400 * placed.placement.shrink, 3);
        EXPECT_NEAR(ink->height, c.h / 25.4 * 400 * placed.placement.shrink, 3);
    }

    // Larger by less than the paper-size rule's rounding: it fits, cut evenly at both ends,
    // so the frame's lines stay on either side.
    Bitmap scan = White(Px(420, 200), Px(297, 200), PixelFormat::Bit24);
    Frame(scan, 200, 20, 20, 364.4, 257.4);
    const PlacedPage placed = PlaceOnB4(scan, 200, 200, DrawingOptions{});
    EXPECT_EQ(placed.placement.shrink, 1.0);
    const std::optional<PixelArea> ink = InkBounds(placed.page, 128);
    ASSERT_TRUE(ink);
    EXPECT_EQ(ink->x, 0u);
    EXPECT_EQ(ink->width, kDrawingWidth);
    EXPECT_EQ(ink->height, kDrawingHeight);

    EXPECT_EQ(
        ContentTooLargeText(402.25, 281),
        "　図面の内容が B4 に収まりません（内容：402.2 mm × 281.0 mm、B4：364 mm × 257 mm）。　");
}

// The one-bit step: the threshold (default 128) on gray and colour pages, nothing on a
// one-bit page, the despeckle filter when asked; light paper is no content.
TEST(MakeDrawing, MakesOneBitByTheThreshold) {
    struct Case {
        const char* what;
        PixelFormat format;
        uint8_t level;  // gray of a 50 × 50 mm square on paper of gray 235
        int threshold;
        bool black;  // the square is black in the drawing
    };
    const Case cases[] = {
        {"dark on colour", PixelFormat::Bit32, 100, 128, true},
        {"light, higher threshold", PixelFormat::Bit24, 150, 200, true},
        {"equal to the threshold stays white", PixelFormat::Bit8, 128, 128, false},
        {"one bit ignores the threshold", PixelFormat::Bit1, 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bitmap picture = White(Px(364, 200), Px(257, 200), c.format);
        if (c.format != PixelFormat::Bit1) picture.Fill(c.format == PixelFormat::Bit8 ? 20 : 235);
        Fill(picture, Px(100, 200), Px(100, 200), Px(50, 200), Px(50, 200), c.level);
        DrawingOptions options;
        options.threshold = c.threshold;
        const Drawing drawing = MakeDrawing(picture, 200, 200, options);
        ASSERT_EQ(drawing.picture.Format(), PixelFormat::Bit1);
        EXPECT_EQ(drawing.picture.Palette()[0], (RgbQuad{0, 0, 0, 0}));
        const std::optional<PixelArea> ink = InkBounds(drawing.picture, 128);
        EXPECT_EQ(ink.has_value(), c.black);
        if (ink) {
            EXPECT_NEAR(Mm(ink->width), 50, 0.2);
        }
    }

    Bitmap specks = White(Px(364, 400), Px(257, 400), PixelFormat::Bit1);
    Fill(specks, 1000, 1000, 1, 1);
    Fill(specks, 3000, 2000, 300, 300);
    DrawingOptions despeckle;
    despeckle.despeckle = true;
    const Drawing clean = MakeDrawing(specks, 400, 400, despeckle);
    ASSERT_EQ(clean.picture.Format(), PixelFormat::Bit1);
    EXPECT_EQ(clean.picture.PixelIndex(1000, 1000), 1);  // the speck is gone
    EXPECT_EQ(clean.picture.PixelIndex(3100, 2100), 0);  // the block stays
    EXPECT_EQ(MakeDrawing(specks, 400, 400, {}).picture.PixelIndex(1000, 1000), 0);
}

// A blank picture and a transparent one are white pages; a picture claiming an absurd
// resolution is placed without growing beyond a page.
TEST(MakeDrawing, BlankTransparentAndAbsurdPictures) {
    const Drawing blank = MakeDrawing(White(800, 600, PixelFormat::Bit24), 300, 300, {});
    EXPECT_FALSE(InkBounds(blank.picture, 128));

    Bitmap transparent(600, 400, PixelFormat::Bit32);  // every byte 0: transparent black
    transparent.SetHasAlpha(true);
    EXPECT_FALSE(InkBounds(MakeDrawing(transparent, 300, 300, {}).picture, 128));

    // One dot per inch: a 40 × 30 picture is a metre wide; its 1 × 1 content is 25.4 mm.
    Bitmap dot = White(40, 30, PixelFormat::Bit24);
    Fill(dot, 20, 15, 1, 1);
    const Drawing huge = MakeDrawing(dot, 1, 1, {});
    const std::optional<PixelArea> ink = InkBounds(huge.picture, 128);
    ASSERT_TRUE(ink);
    EXPECT_NEAR(Mm(ink->width), 25.4, 0.2);
    DrawingOptions shrink;
    shrink.shrinkToFit = true;
    EXPECT_THROW(MakeDrawing(dot, 0.001, 0.001, {}), ContentTooLarge);
    EXPECT_TRUE(InkBounds(MakeDrawing(dot, 0.001, 0.001, shrink).picture, 128));
}

}  // namespace
}  // namespace vellumo

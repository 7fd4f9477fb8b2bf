// The viewer's picture on screen: every bitmap format as a QImage with the bitmap's own
// colours and memory, and the image control's paint at shrinking, 1:1 and enlarging
// scales, whole and in strips.

#include <gtest/gtest.h>

#include <QImage>
#include <QRegion>
#include <cmath>
#include <random>
#include <string>

#include "ui/viewer/BitmapQt.h"
#include "ui/viewer/ImageControlWidget.h"

namespace vellumo {
namespace {

// The control's paint of `area` alone, as an expose of just that area makes it.
QImage Paint(ImageControlWidget& control, const QRect& area) {
    QImage shot(area.size(), QImage::Format_RGB32);
    shot.fill(Qt::red);  // a pixel left unpainted shows
    control.render(&shot, QPoint(), QRegion(area));
    return shot;
}

TEST(BitmapToQImage, EveryFormatShowsTheBitmapsColoursFromItsOwnMemory) {
    std::mt19937 rng(5);
    for (PixelFormat f :
         {PixelFormat::Bit1, PixelFormat::Bit4, PixelFormat::Bit8, PixelFormat::Bit15,
          PixelFormat::Bit16, PixelFormat::Bit24, PixelFormat::Bit32}) {
        for (bool alpha : {false, true}) {
            if (alpha && f != PixelFormat::Bit32) continue;
            SCOPED_TRACE(std::string(BitmapFormatName(f)) + (alpha ? " with alpha" : ""));
            Bitmap b(7, 3, f);
            for (uint32_t y = 0; y < 3; ++y)
                for (size_t i = 0; i < b.Stride(); ++i) b.Row(y)[i] = uint8_t(rng());
            if (alpha) b.SetHasAlpha(true);
            // A short palette: the indices past its end must show black.
            if (b.Bits() <= 8)
                for (int i = 0; i < (1 << b.Bits()) / 2 + 1; ++i)
                    b.Palette().push_back(
                        RgbQuad{uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 7});
            const QImage image = BitmapToQImage(b);
            ASSERT_EQ(image.size(), QSize(7, 3));
            if (f != PixelFormat::Bit4) {
                EXPECT_EQ(image.constBits(), b.Data());  // not copied
            }
            EXPECT_EQ(image.hasAlphaChannel(), alpha);
            for (uint32_t y = 0; y < 3; ++y)
                for (uint32_t x = 0; x < 7; ++x) {
                    const RgbQuad c = b.PixelColor(x, y);
                    const QRgb want = qRgba(c.r, c.g, c.b, alpha ? c.reserved : 255);
                    ASSERT_EQ(image.pixel(int(x), int(y)), want) << "pixel " << x << ", " << y;
                }
            if (alpha) {
                EXPECT_EQ(BitmapToQImage(b, AlphaUse::KnownOpaque).format(), QImage::Format_RGB32);
            }
        }
    }
    EXPECT_TRUE(BitmapToQImage(Bitmap()).isNull());
}

TEST(ImageControl, ShrinksSmoothlyEnlargesCrisplyAndRepaintsStripsAsAWhole) {
    // A one-pixel black and white checkerboard with a black square in its top left corner.
    Bitmap b(2051, 1031, PixelFormat::Bit1);
    b.Palette() = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
    for (uint32_t y = 0; y < b.Height(); ++y)
        for (uint32_t x = 0; x < b.Width(); ++x)
            b.SetPixelIndex(x, y, x < 64 && y < 64 ? 0 : (x + y) & 1);
    ImageControlWidget control;
    EXPECT_FALSE(control.HasPicture());
    control.resize(40, 30);
    EXPECT_EQ(Paint(control, control.rect()).pixel(10, 10), qRgb(255, 255, 255));  // empty
    control.SetPicture(&b);
    ASSERT_TRUE(control.HasPicture());

    auto resize = [&](double scale) {
        control.resize(int(std::lround(b.Width() * scale)), int(std::lround(b.Height() * scale)));
    };
    // Shrunk, the board is an even gray: it is drawn from the halved copies, not sampled
    // from the picture (which would show black or white moiré).
    for (double scale : {0.5, 0.3, 0.25, 0.13}) {
        SCOPED_TRACE(scale);
        resize(scale);
        const QImage shot = Paint(control, QRect(40, 40, 60, 40));
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                ASSERT_NEAR(qGray(shot.pixel(x, y)), 128, 3) << x << ", " << y;
    }
    // At 1 every pixel is the picture's; at 3 each is a crisp 3 × 3 square.
    resize(1.0);
    QImage shot = Paint(control, QRect(60, 60, 50, 50));
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x)
            ASSERT_EQ(qGray(shot.pixel(x, y)), b.PixelIndex(60 + x, 60 + y) ? 255 : 0);
    resize(3.0);
    shot = Paint(control, QRect(300, 300, 60, 60));
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x)
            ASSERT_EQ(qGray(shot.pixel(x, y)), b.PixelIndex(100 + x / 3, 100 + y / 3) ? 255 : 0);

    // Strips uncovered one by one, as scrolling exposes them, give the whole paint.
    resize(0.37);
    const QRect area(0, 0, 200, 120);
    const QImage whole = Paint(control, area);
    QImage strips(area.size(), QImage::Format_RGB32);
    strips.fill(Qt::red);
    for (int y = 0; y < area.height(); y += 7)
        control.render(&strips, QPoint(0, y), QRegion(0, y, area.width(), 7));
    EXPECT_EQ(strips, whole);
    EXPECT_LT(qGray(whole.pixel(5, 5)), 10);  // the black corner, not a red unpainted pixel
}

}  // namespace
}  // namespace vellumo

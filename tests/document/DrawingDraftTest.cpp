// The drawing panel's rules without the window: which pictures it judges, and the names it
// takes from a picture's own.

#include <gtest/gtest.h>

#include "document/DrawingDraft.h"
#include "document/DrawingPage.h"

namespace vellumo {
namespace {

ViewResolution At(float dpiX, float dpiY) {
    ViewResolution r;
    r.DpiX = dpiX;
    r.DpiY = dpiY;
    return r;
}

TEST(DrawingDraft, OnlyAB4PageAt400DpiIsJudged) {
    const struct {
        uint32_t w, h;
        PixelFormat format;
        ViewResolution resolution;
        bool judged;
    } cases[] = {
        {kDrawingWidth, kDrawingHeight, PixelFormat::Bit1, At(400, 400), true},
        {kDrawingWidth, kDrawingHeight, PixelFormat::Bit8, At(400, 400), true},  // at the slider
        {kDrawingWidth - 2, kDrawingHeight, PixelFormat::Bit1, At(400, 400), true},  // 364 mm
        {kDrawingWidth, kDrawingHeight, PixelFormat::Bit1, At(300, 300), false},
        {kDrawingWidth, kDrawingHeight, PixelFormat::Bit1, At(400, 0), false},    // 0 is 96 dpi
        {kDrawingHeight, kDrawingWidth, PixelFormat::Bit1, At(400, 400), false},  // portrait
        {4677, 3307, PixelFormat::Bit1, At(400, 400), false},                     // A4
    };
    for (const auto& c : cases) {
        const Bitmap picture(c.w, c.h, c.format);
        const std::optional<std::string> need = DrawingFitNeeded(picture, c.resolution);
        EXPECT_EQ(!need, c.judged) << c.w << "x" << c.h << " " << c.resolution.DpiY;
        if (need) {
            EXPECT_TRUE(need->starts_with("B4 400dpi に合わせてください")) << *need;
        }
    }
    EXPECT_TRUE(DrawingFitNeeded(Bitmap(), At(400, 400)));
}

TEST(DrawingDraft, NamesTakenFromThePicture) {
    using Parts = std::optional<std::pair<std::string, std::string>>;
    EXPECT_EQ(DrawingNameParts("tatemono3"), Parts({"tatemono", "3"}));
    EXPECT_EQ(DrawingNameParts("sokuryouzu00012"), Parts({"sokuryouzu", "00012"}));
    for (const char* other : {"tatemono", "tatemono123456", "tiekiken_3", "scan300", "Tatemono1"})
        EXPECT_EQ(DrawingNameParts(other), std::nullopt) << other;
    EXPECT_EQ(DrawingNameRefusal("tatemono3.tif"), std::nullopt);
    EXPECT_EQ(DrawingNameRefusal("tiekiken.tif"),
              "　tiekiken.tif は図面のファイル名になりません【数字部の誤り】。　");
}

}  // namespace
}  // namespace vellumo

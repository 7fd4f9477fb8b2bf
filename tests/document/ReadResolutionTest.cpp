// The viewer's resolution fields: rounding halves to even, the larger direction shown, the
// millimetre factors from the unrounded values, and a file that cannot be read.

#include <gtest/gtest.h>

#include "document/ReadResolution.h"
#include "support/FileBuilders.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

FileResolution Read(float x, float y) { return FileResolution{x, y, true}; }

TEST(ReadResolution, RoundsHalvesToEvenAndShowsTheLarger) {
    const ViewResolution a = ResolutionFields(Read(300.5f, 301.5f));
    EXPECT_EQ(a.DpiX, 300.0f);
    EXPECT_EQ(a.DpiY, 302.0f);
    EXPECT_EQ(a.ShownDpi, 302.0f);
    const ViewResolution b = ResolutionFields(Read(600.0f, 300.0f));
    EXPECT_EQ(b.ShownDpi, 600.0f);
    const ViewResolution c = ResolutionFields(Read(71.6f, 72.4f));
    EXPECT_EQ(c.DpiX, 72.0f);
    EXPECT_EQ(c.DpiY, 72.0f);
    EXPECT_EQ(c.ShownDpi, 72.0f);
    EXPECT_EQ(ResolutionFields(Read(0.5f, 0.5f)).ShownDpi, 0.0f);  // 0.5 rounds to 0
}

TEST(ReadResolution, MillimetreFactorsComeFromTheUnroundedValues) {
    const ViewResolution r = ResolutionFields(Read(399.6f, 200.0f));
    EXPECT_EQ(r.DpiX, 400.0f);
    EXPECT_EQ(r.PixPerMmX, static_cast<float>(double(399.6f) / 25.4));
    EXPECT_EQ(r.MmPerPixX, static_cast<float>(25.4 / double(399.6f)));
    EXPECT_EQ(r.PixPerMmY, static_cast<float>(200.0 / 25.4));
    EXPECT_EQ(r.MmPerPixY, 0.127f);
}

TEST(ReadResolution, UnreadableOrZeroResolutionGivesZerosNotInfinity) {
    for (const FileResolution& read :
         {FileResolution{}, FileResolution{96, 96, false}, Read(0, 0)}) {
        const ViewResolution r = ResolutionFields(read);
        EXPECT_EQ(r.DpiX, 0.0f);
        EXPECT_EQ(r.DpiY, 0.0f);
        EXPECT_EQ(r.ShownDpi, 0.0f);
        EXPECT_EQ(r.PixPerMmX, 0.0f);
        EXPECT_EQ(r.MmPerPixX, 0.0f);
        EXPECT_EQ(r.MmPerPixY, 0.0f);
    }
    const ViewResolution half = ResolutionFields(Read(0, 400));
    EXPECT_EQ(half.MmPerPixX, 0.0f);
    EXPECT_EQ(half.ShownDpi, 400.0f);
}

TEST(ReadResolution, ReadsTheFile) {
    test::TempDir dir;
    test::TiffFields fields;
    fields.width = 64, fields.height = 64;
    fields.xResolution = std::pair<uint32_t, uint32_t>{300, 1};
    fields.yResolution = std::pair<uint32_t, uint32_t>{600, 1};
    const ViewResolution r = ReadResolution(dir.Write("a.tif", test::DrawingTiff(fields)));
    EXPECT_EQ(r.DpiX, 300.0f);
    EXPECT_EQ(r.DpiY, 600.0f);
    EXPECT_EQ(r.ShownDpi, 600.0f);
    EXPECT_EQ(ReadResolution(dir.File("missing.tif")).ShownDpi, 0.0f);
}

}  // namespace
}  // namespace vellumo

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "document/ViewerDocument.h"
#include "imaging/Gray.h"
#include "imaging/Threshold.h"
#include "platform/Error.h"
#include "save/BmpWriter.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

using P = DocumentPart;

Bitmap Gradient(uint32_t w, uint32_t h) {
    Bitmap b(w, h, PixelFormat::Bit24);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = b.Row(y) + 3 * x;
            p[0] = uint8_t(x * 9), p[1] = uint8_t(y * 13), p[2] = uint8_t(x * y);
        }
    return b;
}

bool SamePixels(const Bitmap& a, const Bitmap& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() && a.Format() == b.Format() &&
           std::equal(a.Data(), a.Data() + a.ByteSize(), b.Data(), b.Data() + b.ByteSize());
}

class ViewerDocumentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = dir.File("scan.bmp");
        WriteBmp(Gradient(40, 30), path);
        doc.Observe([this](DocumentChanges c) { told.push_back(c); });
        doc.Load(path, {false, kInitialThreshold});
        told.clear();
    }

    test::TempDir dir;
    std::string path;
    ViewerDocument doc;
    std::vector<DocumentChanges> told;
};

// Each command sends exactly one notification, naming what it changed, and leaves the
// document as the command says.
TEST_F(ViewerDocumentTest, EachCommandTellsOnceWhatChanged) {
    struct Case {
        const char* name;
        bool preview;  // the real-time preview on before the command
        std::function<void(ViewerDocument&, const std::string&)> command;
        DocumentChanges expected;
        std::function<bool(const ViewerDocument&)> holds;
    };
    const Case cases[] = {
        {"reload", true,
         [](ViewerDocument& d, auto&) {
             d.Reload({false, 128});
         },
         P::Picture | P::Preview | P::Decoder | P::Resolution | P::Crop,
         [](auto& d) { return !d.PreviewOn() && d.Picture().Format() == PixelFormat::Bit32; }},
        {"threshold", false, [](ViewerDocument& d, auto&) { d.Threshold(127); }, P::Picture,
         [](auto& d) { return d.Picture().Format() == PixelFormat::Bit1; }},
        {"gray", false, [](ViewerDocument& d, auto&) { d.ToGray(); }, P::Picture,
         [](auto& d) { return d.Picture().Format() == PixelFormat::Bit8; }},
        {"dither", false, [](ViewerDocument& d, auto&) { d.Dither(); }, P::Picture,
         [](auto& d) { return d.Picture().Format() == PixelFormat::Bit1; }},
        {"despeckle", false, [](ViewerDocument& d, auto&) { d.Despeckle(); }, P::Picture,
         [](auto& d) { return d.Picture().Width() == 40 && d.Picture().Height() == 30; }},
        {"start preview", false, [](ViewerDocument& d, auto&) { d.StartPreview(); },
         P::Picture | P::Preview,
         [](auto& d) {
             return d.Image2().Format() == PixelFormat::Bit8 &&
                    d.Picture().Format() == PixelFormat::Bit24;
         }},
        {"stop preview", true, [](ViewerDocument& d, auto&) { d.StopPreview(); }, P::Preview,
         [](auto& d) { return !d.PreviewOn(); }},
        {"stop preview when off",
         false,
         [](ViewerDocument& d, auto&) { d.StopPreview(); },
         {},
         [](auto& d) { return !d.PreviewOn(); }},
        {"rotate left with preview", true, [](ViewerDocument& d, auto&) { d.RotateLeft(); },
         P::Picture | P::Preview,
         [](auto& d) { return d.Picture().Width() == 30 && d.Image2().Width() == 30; }},
        {"rotate right", false, [](ViewerDocument& d, auto&) { d.RotateRight(); }, P::Picture,
         [](auto& d) { return d.Picture().Width() == 30 && d.Picture().Height() == 40; }},
        {"ink colour", false,
         [](ViewerDocument& d, auto&) {
             d.Threshold(127);
             d.SetInkColor(RgbQuad{0, 0, 255, 0});
         },
         P::Ink | P::Picture,
         [](auto& d) {
             return d.Picture().Palette().at(0) == (RgbQuad{0, 0, 255, 0});
         }},
        {"cut-out ends the preview", true, [](ViewerDocument& d, auto&) { d.CutOut(5, 4, 10, 8); },
         P::Picture | P::Preview,
         [](auto& d) { return d.Picture().Width() == 10 && !d.PreviewOn(); }},
        {"crop rectangle", false,
         [](ViewerDocument& d, auto&) {
             d.SetCropRect({1, 2, 3, 4});
         },
         P::Crop,
         [](auto& d) {
             return d.CropRect() == (CropRect{1, 2, 3, 4});
         }},
        {"identity", false,
         [](ViewerDocument& d, const std::string& p) {
             d.SetIdentity({"tmp.tif", p, true});
         },
         P::File, [](auto& d) { return d.PdfConverted() && d.FileName2() == "tmp.tif"; }},
        {"same identity",
         false,
         [](ViewerDocument& d, auto&) { d.SetIdentity(d.Identity()); },
         {},
         [](auto& d) { return d.FileName2().ends_with("scan.bmp"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc.Load(path, {false, 128});
        if (c.preview) doc.StartPreview();
        told.clear();
        c.command(doc, path);
        // The ink case runs a threshold first: its own notification is the last one.
        if (std::string(c.name) == "ink colour") told.erase(told.begin());
        if (c.expected.Empty())
            EXPECT_TRUE(told.empty());
        else
            EXPECT_EQ(told, std::vector<DocumentChanges>{c.expected});
        EXPECT_TRUE(c.holds(doc));
    }
}

TEST_F(ViewerDocumentTest, LoadNamesTheFileAndItsDecoderAndResetsTheCrop) {
    doc.SetCropRect({1, 2, 3, 4});
    const std::string other = dir.File("other.bmp");
    WriteBmp(Gradient(20, 10), other);
    told.clear();
    EXPECT_FALSE(doc.Load(other, {true, 128}));
    EXPECT_EQ(told, std::vector<DocumentChanges>{P::Picture | P::Preview | P::Decoder |
                                                 P::Resolution | P::Crop | P::File});
    EXPECT_EQ(doc.FileName2(), other);
    EXPECT_EQ(doc.ImageTypeName(), "Bitmap");
    EXPECT_EQ(doc.PixelFormatName(), "24bppBGR");
    EXPECT_EQ(doc.CropRect(), InitCropRect(20, 10));
    EXPECT_EQ(doc.Resolution().ShownDpi, ReadResolution(other).ShownDpi);
}

// The preview thresholds its gray source, not the picture the last threshold left.
TEST_F(ViewerDocumentTest, ThePreviewSourceStaysWhileTheThresholdMoves) {
    doc.StartPreview();
    const Bitmap gray = doc.Image2();
    doc.Threshold(250);
    doc.Threshold(40);
    EXPECT_TRUE(SamePixels(doc.Picture(), ThresholdToMono(gray, 40)));
    EXPECT_TRUE(SamePixels(doc.Image2(), gray));
}

TEST_F(ViewerDocumentTest, ReloadUndoesTheCommands) {
    const Bitmap loaded = doc.Picture();
    doc.RotateLeft();
    doc.CutOut(0, 0, 12, 9);
    doc.Dither();
    doc.SetCropRect({1, 1, 2, 2});
    doc.Reload({false, 128});
    EXPECT_TRUE(SamePixels(doc.Picture(), loaded));
    EXPECT_EQ(doc.CropRect(), InitCropRect(40, 30));
}

// A command that fails leaves the picture as it was; a load that fails still names the file
// it tried, as the viewer's messages read it.
TEST_F(ViewerDocumentTest, FailuresKeepThePicture) {
    struct Case {
        const char* name;
        std::function<void(ViewerDocument&)> command;
        std::vector<DocumentChanges> expected;
    };
    const std::string missing = dir.File("missing.tif");
    const Case cases[] = {
        {"missing file", [&](ViewerDocument& d) { d.Load(missing, {}); }, {P::File}},
        {"refused cut-out", [](ViewerDocument& d) { d.CutOut(0, 0, 0, 5); }, {}},
        {"cancelled despeckle",
         [](ViewerDocument& d) { d.Despeckle({}, [] { throw std::runtime_error("cancel"); }); },
         {P::Picture}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc.Load(path, {false, 128});
        const Bitmap before = doc.Picture();
        told.clear();
        EXPECT_ANY_THROW(c.command(doc));
        EXPECT_TRUE(SamePixels(doc.Picture(), before));
        EXPECT_EQ(told, c.expected);
    }
    EXPECT_EQ(doc.FileName2(), path);
}

}  // namespace
}  // namespace vellumo

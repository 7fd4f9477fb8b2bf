// Write, then read back through the program's own decoder: the same colours for every
// lossless path and format.

#include <gtest/gtest.h>

#include "SaveTestSupport.h"
#include "platform/ImageDecoder.h"
#include "save/FaxBitmap.h"
#include "save/SaveFormats.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

TEST(SaveRoundTrip, TheDecoderGivesBackTheColours) {
    test::TempDir dir;
    struct Path {
        SaveType type;
        TiffCompression compression;
        const char* name;
    } paths[] = {
        {SaveType::Tiff, TiffCompression::None, "n.tif"},
        {SaveType::Tiff, TiffCompression::Lzw, "l.tif"},
        {SaveType::Tiff, TiffCompression::Zip, "z.tif"},
        {SaveType::Tiff, TiffCompression::G3, "g3.tif"},
        {SaveType::Tiff, TiffCompression::G4, "g4.tif"},
        {SaveType::Bmp, {}, "b.bmp"},
        {SaveType::Png, {}, "p.png"},
    };
    for (const PixelFormat f : {PixelFormat::Bit1, PixelFormat::Bit4, PixelFormat::Bit8,
                                PixelFormat::Bit24, PixelFormat::Bit32}) {
        Bitmap picture = test::Pattern(f, 29, 13, 21);
        if (f == PixelFormat::Bit32) {  // opaque: the decoder's alpha is then 255 throughout
            for (uint32_t y = 0; y < 13; ++y)
                for (uint32_t x = 0; x < 29; ++x) picture.Row(y)[4 * x + 3] = 255;
            picture.SetHasAlpha(true);
        }
        for (const Path& p : paths) {
            if (p.type == SaveType::Bmp && f == PixelFormat::Bit4) continue;  // not a viewer format
            SCOPED_TRACE(std::string(BitmapFormatName(f)) + " " + p.name);
            SaveOptions options;
            options.compression = p.compression;
            SavePicture(picture, dir.File(p.name), p.type, options);
            const DecodedImage decoded = DecodeImage(dir.File(p.name));
            if (IsFaxCompression(p.compression) && p.type == SaveType::Tiff) {
                // Black where the picture is dark, white elsewhere.
                Bitmap fax = MakeFaxBitmap(picture);
                fax.Palette() = {RgbQuad{255, 255, 255, 0}, RgbQuad{0, 0, 0, 0}};
                EXPECT_TRUE(test::SameColours(decoded.picture, fax));
            } else {
                EXPECT_TRUE(test::SameColours(decoded.picture, picture));
            }
        }
    }
}

}  // namespace
}  // namespace vellumo

// The decoder's entry points: by path and from memory, the container found from the bytes
// (not the extension), the decode error text, and the limits.

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstring>

#include "DecoderTestFiles.h"
#include "platform/ImageDecoder.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

using test::FileBytes;

TEST(ImageDecoder, DecodeErrorTextNamesTheFile) {
    EXPECT_EQ(DecodeErrorText("/home/a/図面/tatemono1.tif"),
              "【 tatemono1.tif 】  は表示できません。　 "
              "\r\n\r\n　画像データを確認してください。\r\n\r\n");
    EXPECT_EQ(
        DecodeErrorText("plain.png"),
        "【 plain.png 】  は表示できません。　 \r\n\r\n　画像データを確認してください。\r\n\r\n");
}

TEST(ImageDecoder, PathAndMemoryGiveTheSamePicture) {
    test::TiffSpec s;
    s.width = 50, s.height = 7, s.bits = 1, s.compression = COMPRESSION_CCITTFAX4;
    const FileBytes file = test::TiffFile(s, test::PatternRows(7, 7));
    test::TempDir dir;
    // The container comes from the bytes: a TIFF named .png is still a TIFF.
    const std::string path = dir.Write("drawing.png", file);
    const DecodedImage fromPath = DecodeImage(path);
    const DecodedImage fromMemory = DecodeImage(file, "drawing.png");
    EXPECT_TRUE(IsTiff(fromPath.container));
    EXPECT_EQ(fromPath.imageTypeName, "Tiff");
    EXPECT_EQ(fromPath.pixelFormatName, fromMemory.pixelFormatName);
    ASSERT_EQ(fromPath.picture.ByteSize(), fromMemory.picture.ByteSize());
    EXPECT_EQ(0, std::memcmp(fromPath.picture.Data(), fromMemory.picture.Data(),
                             fromPath.picture.ByteSize()));
}

TEST(ImageDecoder, MissingUnknownAndEmptyFilesGiveTheDecodeError) {
    test::TempDir dir;
    const std::string unknown = dir.Write("a.tif", std::string_view("%PDF-1.4 not an image"));
    const std::string empty = dir.Write("b.bmp", std::string_view(""));
    for (const std::string& path : {dir.File("missing.tif"), unknown, empty, dir.Path()}) {
        SCOPED_TRACE(path);
        try {
            DecodeImage(path);
            ADD_FAILURE() << "decoded";
        } catch (const DecodeError& e) {
            EXPECT_EQ(std::string(e.what()), DecodeErrorText(path));
            EXPECT_FALSE(e.Reason().empty());
        }
        EXPECT_THROW(LoadOneBitIndexed(path), DecodeError);
    }
    EXPECT_STREQ(ImageTypeNameOf(kTypeUnknown), "不明");
}

TEST(ImageDecoder, LimitsRefuseBeforeDecoding) {
    test::TiffSpec s;
    s.width = 100, s.height = 100, s.bits = 8;
    const FileBytes file = test::TiffFile(s, std::vector<uint8_t>(10000, 9));
    DecodeLimits limits;
    limits.maxPixels = 9999;
    EXPECT_THROW(DecodeImage(file, "a.tif", limits), DecodeError);
    limits.maxPixels = 10000;
    limits.maxSide = 99;
    EXPECT_THROW(DecodeImage(file, "a.tif", limits), DecodeError);
    limits.maxSide = 100;
    EXPECT_NO_THROW(DecodeImage(file, "a.tif", limits));
}

}  // namespace
}  // namespace vellumo

// The drawing rules, one table per rule, with the report's exact texts.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/DrawingRules.h"
#include "inspect/ImageInfo.h"

namespace vellumo {
namespace {

using Lines = std::vector<std::string>;

// The texts of a rule's lines; a line confirms exactly when its text says 【確認】 at the end.
Lines Texts(const RuleLines& lines) {
    Lines texts;
    for (const RuleLine& line : lines) {
        EXPECT_EQ(line.confirmed, line.text.ends_with("【確認】")) << line.text;
        texts.push_back(line.text);
    }
    return texts;
}

// A conforming drawing's record, as the TIFF reader fills it.
ImageInfo Drawing() {
    ImageInfo i;
    i.typeCode = kTypeTiffLittle;
    i.typeName = "Tif";
    i.extensionMatches = true;
    i.headerRead = true;
    i.width = 5732;
    i.height = 4047;
    i.bitsPerSample = 1;
    i.compression = 4;
    i.orientation = 1;
    i.xResolution = 400;
    i.yResolution = 400;
    i.resolutionUnit = 2;
    i.pageCount = 1;
    return i;
}

TEST(DrawingRules, ImageType) {
    EXPECT_EQ(Texts(ImageTypeRuleLines()), Lines{" 画像型式　　：Tif 　　　　　　　　　【確認】"});
}

TEST(DrawingRules, Compression) {
    const struct {
        uint32_t value;
        const char* line;
    } rows[] = {
        {4, " 圧縮方式　　：CCITT G4              【確認】"},
        {1, " 圧縮方式　　：非圧縮 【圧縮方式が違います。】"},
        {2, " 圧縮方式　　：一次元ﾗﾝﾚﾝｸﾞｽ符号化 【圧縮方式が違います。】"},
        {3, " 圧縮方式　　：CCITT G3 【圧縮方式が違います。】"},
        {5, " 圧縮方式　　：LZW圧縮 【圧縮方式が違います。】"},
        {6, " 圧縮方式　　：JPEG圧縮 【圧縮方式が違います。】"},
        {7, " 圧縮方式　　：JPEG圧縮-２ 【圧縮方式が違います。】"},
        {32773, " 圧縮方式　　：PackBits圧縮 【圧縮方式が違います。】"},
        {32946, " 圧縮方式　　：ZIP(inTIFF) 【圧縮方式が違います。】"},
        {8, " 圧縮方式　　： 【圧縮方式が違います。】"},
        {0, " 圧縮方式　　： 【圧縮方式が違います。】"},
        {65536 + 4, " 圧縮方式　　： 【圧縮方式が違います。】"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.value);
        ImageInfo info = Drawing();
        info.compression = r.value;
        EXPECT_EQ(Texts(CompressionRuleLines(info)), Lines{r.line});
    }
    ImageInfo missing = Drawing();
    missing.compression = 0;
    missing.compressionMissing = true;
    EXPECT_EQ(Texts(CompressionRuleLines(missing)), Lines{});
}

TEST(DrawingRules, BitDepth) {
    const Lines colour = {" 色数（bit） ： ** 【カラー又はグレースケール画像です。】"};
    const struct {
        uint32_t bits, samples;
        Lines lines;
    } rows[] = {
        {1, 0, {" 色数（bit） ：１（bit）モノクロ     【確認】"}},
        {1, 1, {" 色数（bit） ：１（bit）モノクロ     【確認】"}},
        {2, 0, colour},
        {8, 1, colour},
        {512, 0, colour},
        {0, 0, {}},
        // Several samples are never monochrome, whatever one sample's depth.
        {1, 3, colour},
        {0, 3, colour},
        {8, 2, colour},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.bits << " bits, " << r.samples << " samples");
        ImageInfo info = Drawing();
        info.bitsPerSample = r.bits;
        info.samplesPerPixel = r.samples;
        EXPECT_EQ(Texts(BitDepthRuleLines(info)), r.lines);
    }
}

TEST(DrawingRules, Orientation) {
    const std::string kWrong = "【方向が違います。】";
    const struct {
        uint32_t value;
        bool missing;
        Lines lines;
    } rows[] = {
        {1, false, {" Orientation ：１（左上から水平方向）【確認】"}},
        {2, false, {" Orientation ：２（TOP_RIGHT）" + kWrong}},
        {3, false, {" Orientation ：３（BOT_RIGHT）" + kWrong}},
        {4, false, {" Orientation ：４（BOT_LEFT）" + kWrong}},
        {5, false, {" Orientation ：５（LEFT_TOP）" + kWrong}},
        {6, false, {" Orientation ：６（RIGHT_TOP）" + kWrong}},
        {7, false, {" Orientation ：７（RIGHT_BOT）" + kWrong}},
        {8, false, {" Orientation ：８（LEFT_BOT）" + kWrong}},
        {9, false, {" Orientation ：" + kWrong}},
        {0, false, {}},
        {0, true, {" Orientation ：【タグがありません。】"}},
        // The two tests are independent.
        {3,
         true,
         {" Orientation ：【タグがありません。】", " Orientation ：３（BOT_RIGHT）" + kWrong}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.value) + (r.missing ? " missing" : ""));
        ImageInfo info = Drawing();
        info.orientation = r.value;
        info.orientationMissing = r.missing;
        EXPECT_EQ(Texts(OrientationRuleLines(info)), r.lines);
    }
}

TEST(DrawingRules, Resolution) {
    const std::string kNoTag = " 解像度　　　：【タグがありません。】";
    const std::string kUnknown = " 解像度　　　：【不明】";
    const struct {
        bool xMissing, yMissing;
        uint32_t x, y;
        Lines lines;
    } rows[] = {
        {false, false, 400, 400, {" 解像度　　　：400 x 400 dpi         【確認】"}},
        {false, false, 300, 300, {" 解像度　　　：300 x 300 dpi      【解像度が違います。】"}},
        {false, false, 400, 200, {" 解像度　　　：400 x 200 dpi      【解像度が違います。】"}},
        {false, false, 200, 400, {" 解像度　　　：200 x 400 dpi      【解像度が違います。】"}},
        {false, false, 2, 2, {" 解像度　　　：2 x 2 dpi      【解像度が違います。】"}},
        {false,
         false,
         4294967295u,
         400,
         {" 解像度　　　：4294967295 x 400 dpi      【解像度が違います。】"}},
        // x or y exactly 1 (the other at least 1): no line.
        {false, false, 1, 400, {}},
        {false, false, 400, 1, {}},
        {false, false, 1, 1, {}},
        {false, false, 0, 400, {kUnknown}},
        {false, false, 400, 0, {kUnknown}},
        {false, false, 0, 0, {kUnknown}},
        {false, true, 400, 0, {kNoTag, kUnknown}},
        {true, false, 0, 400, {kNoTag}},
        {true, true, 0, 0, {kNoTag}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.x) + " x " + std::to_string(r.y) + (r.xMissing ? " -x" : "") +
                     (r.yMissing ? " -y" : ""));
        ImageInfo info = Drawing();
        info.xResolutionMissing = r.xMissing;
        info.yResolutionMissing = r.yMissing;
        info.xResolution = r.x;
        info.yResolution = r.y;
        EXPECT_EQ(Texts(ResolutionRuleLines(info)), r.lines);
    }
}

TEST(DrawingRules, ResolutionUnit) {
    const struct {
        uint32_t unit;
        Lines lines;
    } rows[] = {
        {0, {" 解像度単位　：【タグがありません。Default→inch】"}},
        {1, {" 解像度単位　：なし"}},
        {2, {}},
        {3, {" 解像度単位　：( cm )"}},
        {4, {" 解像度単位　："}},
        {258, {" 解像度単位　："}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.unit);
        ImageInfo info = Drawing();
        info.resolutionUnit = r.unit;
        EXPECT_EQ(Texts(ResolutionUnitRuleLines(info)), r.lines);
    }
    EXPECT_EQ(ResolutionUnitText(0), "【タグがありません。Default→inch】");
    EXPECT_EQ(ResolutionUnitText(2), "(inch)");
    EXPECT_EQ(ResolutionUnitText(5), "");
}

TEST(DrawingRules, Names) {
    EXPECT_EQ(CompressionName(4), "CCITT G4");
    EXPECT_EQ(CompressionName(9), "");
    EXPECT_EQ(OrientationName(1), "１（左上から水平方向）");
    EXPECT_EQ(OrientationName(0), "");
    EXPECT_EQ(OrientationName(9), "");
}

TEST(DrawingRules, DataSizeBands) {
    const struct {
        uint64_t size;
        const char* line;
    } rows[] = {
        {0, " データサイズ：0.0 KB (0Byte) 【サイズが異常です。】"},
        {5120, " データサイズ：5.0 KB (5,120Byte) 【サイズが異常です。】"},
        {5121, " データサイズ：5.0 KB (5,121Byte)    【確認】"},
        {9216, " データサイズ：9.0 KB (9,216Byte)    【確認】"},
        {9217, " データサイズ：9.0 KB (9,217Byte)  【確認】"},
        {101376, " データサイズ：99.0 KB (101,376Byte)  【確認】"},
        // Between the two confirmed bands: the form of the band above.
        {101377, " データサイズ：99.0 KB (101,377Byte)【確認】"},
        {102000, " データサイズ：99.6 KB (102,000Byte)【確認】"},
        {102400, " データサイズ：100.0 KB (102,400Byte)【確認】"},
        {102401, " データサイズ：100.0 KB (102,401Byte)【確認】"},
        {150000, " データサイズ：146.5 KB (150,000Byte)【確認】"},
        {307200, " データサイズ：300.0 KB (307,200Byte)【確認】"},
        {307201, " データサイズ：300.0 KB (307,201Byte)【300KBを越えています。】"},
        {1048576, " データサイズ：1024.0 KB (1,048,576Byte)【300KBを越えています。】"},
        {1048577, " データサイズ：1.0 MB (1,048,577Byte)【300KBを越えています。】"},
        {2000000, " データサイズ：1.9 MB (2,000,000Byte)【300KBを越えています。】"},
        // Sizes of 2 GiB and more stay positive.
        {2147483648ull, " データサイズ：2048.0 MB (2,147,483,648Byte)【300KBを越えています。】"},
        {5000000000ull, " データサイズ：4768.4 MB (5,000,000,000Byte)【300KBを越えています。】"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.size);
        EXPECT_EQ(Texts(DataSizeRuleLines(r.size)), Lines{r.line});
    }
}

TEST(DrawingRules, PageCount) {
    const struct {
        int32_t pages;
        Lines lines;
    } rows[] = {
        {1, {" ページ数　　：１ページ　　　　　　　【確認】"}},
        {2, {" ページ数　　：2ページ      【Multi-tiffです。】"}},
        {3, {" ページ数　　：3ページ      【Multi-tiffです。】"}},
        {31, {" ページ数　　：31ページ      【Multi-tiffです。】"}},
        {0, {}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.pages);
        ImageInfo info = Drawing();
        info.pageCount = r.pages;
        EXPECT_EQ(Texts(PageCountRuleLines(info)), r.lines);
    }
}

struct PaperCase {
    uint32_t width, height, x;
    Lines lines;
};

std::string Detail(const char* h, const char* w) {
    return std::string(" 詳細サイズ　：H= ") + h + "mm  W= " + w + "mm";
}

TEST(DrawingRules, PaperSizes) {
    const std::string kB4 = " 用紙サイズ　：B4 横（257mm×364mm） 【確認】";
    const std::string kWrong = "【サイズが違います。】";
    const PaperCase rows[] = {
        {5732, 4047, 400, {kB4}},
        {4047,
         5732,
         400,
         {" 用紙サイズ　：B4 縦（364mm×257mm）【向きが違います。】", Detail("363.98", "256.98")}},
        {4677,
         3307,
         400,
         {" 用紙サイズ　：A4 横（210mm×297mm）  " + kWrong, Detail("209.99", "296.99")}},
        {3307,
         4677,
         400,
         {" 用紙サイズ　：A4 縦（297mm×210mm）  " + kWrong, Detail("296.99", "209.99")}},
        {6614,
         4677,
         400,
         {" 用紙サイズ　：A3 横（297mm×420mm）  " + kWrong, Detail("296.99", "419.99")}},
        {4677,
         6614,
         400,
         {" 用紙サイズ　：A3 縦（420mm×297mm）  " + kWrong, Detail("419.99", "296.99")}},
        {9339,
         6614,
         400,
         {" 用紙サイズ　：A2 横（420mm×593mm）  " + kWrong, Detail("419.99", "593.03")}},
        {6614,
         9339,
         400,
         {" 用紙サイズ　：A2 縦（593mm×420mm）  " + kWrong, Detail("593.03", "419.99")}},
        {9354,
         6614,
         400,
         {" 用紙サイズ　：A2 横（420mm×594mm）  " + kWrong, Detail("419.99", "593.98")}},
        {6614,
         9354,
         400,
         {" 用紙サイズ　：A2 縦（594mm×420mm）  " + kWrong, Detail("593.98", "419.99")}},
        {5724, 4039, 400, {" 用紙サイズ　：256mm×363mm   " + kWrong, Detail("256.48", "363.47")}},
        {5741, 4056, 400, {" 用紙サイズ　：258mm×365mm   " + kWrong, Detail("257.56", "364.55")}},
        {4000, 4000, 400, {" 用紙サイズ　：254mm×254mm   " + kWrong, Detail("254", "254")}},
        // No leading zero before the point; a value below .005 is "0".
        {1, 1, 400, {" 用紙サイズ　：0mm×0mm   " + kWrong, Detail(".06", ".06")}},
        // Halves round to the even neighbour: 62.5 -> 62, 12.5 -> 12, 2.5 -> 2, 3.5 -> 4.
        {125, 625, 254, {" 用紙サイズ　：62mm×12mm   " + kWrong, Detail("62.5", "12.5")}},
        {35, 25, 254, {" 用紙サイズ　：2mm×4mm   " + kWrong, Detail("2.5", "3.5")}},
        // A B4 page at 200 dpi.
        {2866, 2024, 200, {kB4}},
    };
    for (const PaperCase& r : rows) {
        SCOPED_TRACE(std::to_string(r.width) + " x " + std::to_string(r.height) + " @" +
                     std::to_string(r.x));
        ImageInfo info = Drawing();
        info.width = r.width;
        info.height = r.height;
        info.xResolution = r.x;
        EXPECT_EQ(Texts(PaperSizeRuleLines(info)), r.lines);
    }
}

TEST(DrawingRules, PaperSizeB4Tolerance) {
    const std::string kB4 = " 用紙サイズ　：B4 横（257mm×364mm） 【確認】";
    ImageInfo info = Drawing();
    for (uint32_t h = 4040; h <= 4055; ++h) {
        SCOPED_TRACE(h);
        info.height = h;
        EXPECT_EQ(Texts(PaperSizeRuleLines(info)), Lines{kB4});
    }
    info.height = 4047;
    for (uint32_t w = 5725; w <= 5740; ++w) {
        SCOPED_TRACE(w);
        info.width = w;
        EXPECT_EQ(Texts(PaperSizeRuleLines(info)), Lines{kB4});
    }
    info.width = 5732;
    info.height = 4039;
    EXPECT_NE(Texts(PaperSizeRuleLines(info)), Lines{kB4});
    info.height = 4056;
    EXPECT_NE(Texts(PaperSizeRuleLines(info)), Lines{kB4});
    info.height = 4047;
    info.width = 5724;
    EXPECT_NE(Texts(PaperSizeRuleLines(info)), Lines{kB4});
    info.width = 5741;
    EXPECT_NE(Texts(PaperSizeRuleLines(info)), Lines{kB4});
}

TEST(DrawingRules, PaperSizeUsesTheHorizontalResolutionOnly) {
    ImageInfo info = Drawing();
    info.yResolution = 100;
    EXPECT_EQ(Texts(PaperSizeRuleLines(info)),
              Lines{" 用紙サイズ　：B4 横（257mm×364mm） 【確認】"});
    info.yResolutionMissing = true;
    info.yResolution = 0;
    EXPECT_EQ(Texts(PaperSizeRuleLines(info)),
              Lines{" 用紙サイズ　：B4 横（257mm×364mm） 【確認】"});
}

TEST(DrawingRules, PaperSizeWithoutResolution) {
    const Lines kCannot = {" 用紙サイズ　：【計算できません】"};
    ImageInfo info = Drawing();
    info.xResolution = 0;
    EXPECT_EQ(Texts(PaperSizeRuleLines(info)), kCannot);
    info.xResolutionMissing = true;
    EXPECT_EQ(Texts(PaperSizeRuleLines(info)), kCannot);
    info.xResolution = 400;  // the flag alone is enough
    EXPECT_EQ(Texts(PaperSizeRuleLines(info)), kCannot);
}

}  // namespace
}  // namespace vellumo

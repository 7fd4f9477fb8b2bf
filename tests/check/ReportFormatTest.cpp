// Number and date formats of the report.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "check/CheckFile.h"
#include "check/ReportFormat.h"
#include "platform/FileInfo.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

TEST(ReportFormat, Thousands) {
    const struct {
        int64_t n;
        const char* text;
    } rows[] = {
        {0, "0"},
        {7, "7"},
        {999, "999"},
        {1000, "1,000"},
        {307712, "307,712"},
        {1048576, "1,048,576"},
        {-5, "-5"},
        {-1234, "-1,234"},
        {2147483649, "2,147,483,649"},
        {INT64_MAX, "9,223,372,036,854,775,807"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.n);
        EXPECT_EQ(FormatThousands(r.n), r.text);
    }
}

TEST(ReportFormat, UpToTwoDecimals) {
    const struct {
        double v;
        const char* text;
    } rows[] = {
        {209.9945, "209.99"}, {296.9895, "296.99"},
        {0.5, ".5"},          {12.0, "12"},
        {0.0635, ".06"},      {0.004, "0"},
        {0.0, "0"},           {254.1, "254.1"},
        {1.999, "2"},         {1234567.891, "1234567.89"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.v);
        EXPECT_EQ(FormatUpToTwoDecimals(r.v), r.text);
    }
}

TEST(ReportFormat, FixedShortestAndRounding) {
    EXPECT_EQ(FormatFixed(300.5078125, 1), "300.5");
    EXPECT_EQ(FormatFixed(1.9073486328125, 2), "1.91");
    EXPECT_EQ(FormatFixed(0, 1), "0.0");
    EXPECT_EQ(FormatShortest(96), "96");
    EXPECT_EQ(FormatShortest(72.5), "72.5");
    EXPECT_EQ(FormatFloatShortest(400.0f), "400");
    EXPECT_EQ(FormatFloatShortest(72.5f), "72.5");
    EXPECT_EQ(FormatFloatShortest(0.1f), "0.1");
    const struct {
        double v, r;
    } halves[] = {{0.5, 0},    {1.5, 2},    {2.5, 2},   {3.5, 4},   {62.5, 62},
                  {2.4999, 2}, {2.5001, 3}, {-1.5, -2}, {-2.5, -2}, {299.72, 300}};
    for (const auto& h : halves) {
        SCOPED_TRACE(h.v);
        EXPECT_EQ(RoundHalfEven(h.v), h.r);
    }
}

TEST(ReportFormat, PlainDataSizeLine) {
    const struct {
        uint64_t size;
        const char* line;
    } rows[] = {
        {0, " データサイズ：0.0 KB (0Byte)"},
        {999, " データサイズ：1.0 KB (999Byte)"},
        {307712, " データサイズ：300.5 KB (307,712Byte)"},
        {1048576, " データサイズ：1024.0 KB (1,048,576Byte)"},
        {1048577, " データサイズ：1.00 MB (1,048,577Byte)"},
        {2000000, " データサイズ：1.91 MB (2,000,000Byte)"},
        {2147483649ull, " データサイズ：2048.00 MB (2,147,483,649Byte)"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.size);
        EXPECT_EQ(PlainDataSizeLine(r.size), r.line);
    }
}

TEST(ReportFormat, DosDateTime) {
    test::UseTokyoTime();
    const struct {
        std::time_t t;
        const char* text;
    } rows[] = {
        {1614297905, "2021/02/26 9:05:04"},  // 09:05:05 JST: odd seconds go down
        {1614297904, "2021/02/26 9:05:04"}, {1614265200, "2021/02/26"},  // midnight: the date alone
        {1614265201, "2021/02/26"},  // 00:00:01 is midnight at DOS resolution
        {1614265202, "2021/02/26 0:00:02"}, {1614351599, "2021/02/26 23:59:58"},
        {1614268800, "2021/02/26 1:00:00"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(FormatDosDateTime(r.t), r.text);
    }
}

}  // namespace
}  // namespace vellumo

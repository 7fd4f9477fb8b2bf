// Folder order as a file manager shows it.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/NaturalOrder.h"

namespace vellumo {
namespace {

TEST(NaturalLess, SortsAsAFileManagerShowsNames) {
    using Names = std::vector<std::string>;
    const Names sorted[] = {
        {"tatemono1.tif", "tatemono2.tif", "tatemono10.tif", "tatemono100.tif"},
        // Leading zeros do not change a run's value; equal values fall back to byte order.
        {"a0.tif", "a000.tif", "a01.tif", "a1.tif", "a002.tif", "a10.tif"},
        // Runs longer than any integer type.
        {"x99999999999999999999", "x100000000000000000000", "x100000000000000000001"},
        // Between a digit and anything else: code point, so "-" before digits, letters after.
        {"a", "a-1", "a1", "a1b", "a2", "aB", "ab"},
        // Code points, not the locale: upper case before lower case, kana after ASCII.
        {"Zumen1.tif", "sokuryouzu1.tif", "tatemono1.tif", "図面1.tif", "図面2.tif", "図面10.tif"},
        // Runs compared one after the other.
        {"1-2-10", "1-10-1", "2-1-1", "10"},
    };
    for (const Names& want : sorted) {
        Names names = want;
        std::mt19937 rng(7);
        for (int round = 0; round < 5; ++round) {
            std::shuffle(names.begin(), names.end(), rng);
            std::sort(names.begin(), names.end(), NaturalLess);
            EXPECT_EQ(names, want);
        }
        for (const std::string& n : want) EXPECT_FALSE(NaturalLess(n, n)) << n;
    }
}

}  // namespace
}  // namespace vellumo

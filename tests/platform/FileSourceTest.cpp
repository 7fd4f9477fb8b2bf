// The file access under every header reader: bytes past the end read as zero, and the two
// cached blocks never hand out stale or shifted bytes.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "platform/Error.h"
#include "platform/FileInfo.h"
#include "platform/FileSource.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

using test::TempDir;

std::vector<uint8_t> Counting(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    return bytes;
}

// Every read, wherever it starts and however long, equals the file's bytes followed by
// zeros; reads in the head, across the head's end, in the window, across the window and
// past the end are all covered by sweeping offsets and lengths.
TEST(FileSource, ReadsEqualTheFileAndZerosPastItsEnd) {
    TempDir dir;
    for (size_t size : {0u, 3u, 511u, 512u, 513u, 5000u, 20000u}) {
        SCOPED_TRACE(testing::Message() << "file of " << size << " bytes");
        const std::vector<uint8_t> content = Counting(size);
        const std::string path = dir.Write("f.bin", content);
        auto file = FileSource::Open(path);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->Size(), size);
        for (uint64_t offset : {0ull, 1ull, 500ull, 511ull, 512ull, 4000ull, 4600ull, 4608ull,
                                9000ull, 19990ull, 20000ull, 1ull << 40}) {
            for (size_t len : {1u, 2u, 4u, 12u, 100u, 4096u, 5000u}) {
                std::vector<uint8_t> got(len, 0xEE);
                file->Read(offset, got.data(), len);
                for (size_t i = 0; i < len; ++i) {
                    const uint64_t at = offset + i;
                    const uint8_t want = at < size ? content[static_cast<size_t>(at)] : 0;
                    if (got[i] != want) {
                        FAIL() << "offset " << offset << " length " << len << ": byte " << at
                               << " is " << int(got[i]) << ", not " << int(want);
                    }
                }
            }
        }
    }
}

TEST(FileSource, OffsetsNearTheTopOfTheRangeReadAsZero) {
    TempDir dir;
    auto file = FileSource::Open(dir.Write("f.bin", Counting(9000)));
    ASSERT_TRUE(file);
    const uint64_t top = std::numeric_limits<uint64_t>::max();
    EXPECT_EQ(file->Le32(top - 1), 0u);
    EXPECT_EQ(file->Be16(top), 0u);
    EXPECT_EQ(file->Le32(uint64_t{1} << 63), 0u);
}

TEST(FileSource, NumbersInBothByteOrders) {
    TempDir dir;
    auto file = FileSource::Open(dir.Write("f.bin", std::vector<uint8_t>{0x12, 0x34, 0x56, 0x78}));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Le16(0), 0x3412);
    EXPECT_EQ(file->Be16(0), 0x1234);
    EXPECT_EQ(file->Le32(0), 0x78563412u);
    EXPECT_EQ(file->Be32(0), 0x12345678u);
    EXPECT_EQ(file->Be32(2), 0x56780000u);  // the last two bytes lie past the end
    EXPECT_EQ(file->U8(3), 0x78);
}

TEST(FileSource, WhatIsNotARegularFileOpensAsNothing) {
    TempDir dir;
    EXPECT_FALSE(FileSource::Open(dir.File("missing")));
    EXPECT_FALSE(FileSource::Open(dir.Path()));
    EXPECT_FALSE(FileSource::Open(dir.File("missing") + "/below"));
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(FileSource::Open(dir.File("pipe")));  // and does not wait for a writer
}

TEST(FileSource, MovedSourceKeepsItsCachedBytes) {
    TempDir dir;
    const std::vector<uint8_t> content = Counting(9000);
    auto file = FileSource::Open(dir.Write("f.bin", content));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->U8(6000), content[6000]);  // fills the window
    FileSource moved = std::move(*file);
    EXPECT_EQ(moved.U8(6001), content[6001]);
    EXPECT_EQ(moved.U8(10), content[10]);
    FileSource assigned = std::move(moved);
    EXPECT_EQ(assigned.U8(8999), content[8999]);
}

TEST(FileSource, ReadOnlyFileOpensAndKeepsItsMode) {
    TempDir dir;
    const std::string path = dir.Write("ro.tif", Counting(100));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    {
        auto file = FileSource::Open(path);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->U8(1), 7);
    }
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
}

// Permission is no obstacle to root, so this runs only for an ordinary user.
TEST(FileSource, UnreadableFileIsAFileError) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    TempDir dir;
    const std::string path = dir.Write("locked.tif", Counting(100));
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    try {
        FileSource::Open(path);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind(path + "\r\n", 0), 0u) << e.what();
    }
}

TEST(FileInfo, SizeOfWhatCanBeListed) {
    TempDir dir;
    EXPECT_EQ(FileSizeOf(dir.Write("f.bin", Counting(1234))), 1234u);
    EXPECT_FALSE(FileSizeOf(dir.File("missing")));
    EXPECT_FALSE(FileSizeOf(dir.Path()));
}

TEST(ErrorBox, FullStopRule) {
    EXPECT_EQ(ErrorBoxText("ファイルです"), "ファイルです.");
    EXPECT_EQ(ErrorBoxText("ゼロです。"), "ゼロです。.");
    EXPECT_EQ(ErrorBoxText("done."), "done.");
    EXPECT_EQ(ErrorBoxText("(x)"), "(x)");  // ')' sorts below '.'
    EXPECT_EQ(ErrorBoxText(""), "");
    EXPECT_EQ(WithLfLineEnds("a    \r\nb\r\n"), "a    \nb\n");
}

}  // namespace
}  // namespace vellumo

// Saving over a symbolic link writes the file the link names and keeps the link, for every
// writer (they share one way of replacing a file).

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "save/BmpWriter.h"
#include "save/JpegWriter.h"
#include "save/PngWriter.h"
#include "save/SaveTestSupport.h"
#include "save/TiffWriter.h"

namespace vellumo {
namespace {

namespace fs = std::filesystem;

TEST(LinkedTarget, EveryWriterKeepsTheLinkAndReplacesItsFile) {
    const Bitmap picture = test::Pattern(PixelFormat::Bit24, 16, 8);
    const std::pair<const char*, std::function<void(const std::string&)>> writers[] = {
        {"tif", [&](const std::string& p) { WriteRgbTiff(picture, p, TiffCompression::Lzw, 400); }},
        {"png", [&](const std::string& p) { WritePng(picture, p); }},
        {"jpg", [&](const std::string& p) { WriteJpeg(picture, p, 80, false); }},
        {"bmp", [&](const std::string& p) { WriteBmp(picture, p); }},
    };
    for (const auto& [ext, write] : writers) {
        SCOPED_TRACE(ext);
        test::TempDir dir;
        fs::create_directory(dir.File("real"));
        const std::string target = dir.Write(std::string("real/drawing.") + ext, "old");
        const std::string link = dir.File(std::string("drawing.") + ext);
        fs::create_symlink(fs::path("real") / fs::path(target).filename(), link);
        write(link);
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_GT(fs::file_size(target), 3u);
        EXPECT_EQ(test::FolderEntries(dir.File("real")).size(), 1u);
    }
}

}  // namespace
}  // namespace vellumo

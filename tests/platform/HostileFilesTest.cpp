// Small files that declare giant pictures, as fuzzing corpora hold them: the viewer's load
// refuses each one, in a child process whose peak memory stays far below what the header
// asks for.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "document/LoadPicture.h"
#include "platform/ImageDecoder.h"
#include "save/JpegWriter.h"
#include "support/FileBuilders.h"
#include "support/TempDir.h"

namespace vellumo {
namespace {

using test::Bytes;
using test::TiffEntry;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

/// Peak memory allowed beyond the picture a file really shows.
constexpr long kMaxPeakBytes = 300L << 20;

Bytes Tiff(uint32_t width, uint32_t height, uint16_t bits, uint16_t samples, uint16_t compression,
           uint16_t photometric, uint32_t dataBytes) {
    test::TiffBuilder b;
    b.AddPage({TiffEntry::Long(256, width), TiffEntry::Long(257, height),
               TiffEntry::Short(258, bits), TiffEntry::Short(259, compression),
               TiffEntry::Short(262, photometric), TiffEntry::Long(273, 200),
               TiffEntry::Short(277, samples), TiffEntry::Long(278, height),
               TiffEntry::Long(279, dataBytes)});
    b.PadTo(200 + dataBytes, 0x55);
    return b.Build();
}

void AddPngChunk(Bytes& b, const char* type, const Bytes& data) {
    Bytes chunk(4);
    test::PutBe32(chunk, 0, uint32_t(data.size()));
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    const uint32_t crc = test::Crc32(chunk.data() + 4, chunk.size() - 4);
    chunk.resize(chunk.size() + 4);
    test::PutBe32(chunk, chunk.size() - 4, crc);
    b.insert(b.end(), chunk.begin(), chunk.end());
}

Bytes GiantPng() {
    Bytes b = test::PngIhdr(24000, 24000);
    AddPngChunk(b, "IDAT", {0x78, 0x9C, 0x63, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01});
    AddPngChunk(b, "IEND", {});
    return b;
}

Bytes GiantGif() {
    Bytes b = test::AsBytes("GIF89a");
    const uint8_t rest[] = {0xC0, 0x5D, 0xC0, 0x5D, 0, 0,    0,                    // screen 24000²
                            0x2C, 0,    0,    0,    0, 0xC0, 0x5D, 0xC0, 0x5D, 0,  // image 24000²
                            2,    2,    0x4C, 0x01, 0, 0x3B};
    b.insert(b.end(), rest, rest + sizeof rest);
    return b;
}

/// A real JPEG whose frame header then claims 24000 × 24000.
Bytes GiantJpeg(const test::TempDir& dir) {
    Bitmap small(16, 16, PixelFormat::Bit24);
    const std::string path = dir.File("small.jpg");
    WriteJpeg(small, path, 80, false);
    const std::string text = test::ReadText(path);
    Bytes b(text.begin(), text.end());
    for (size_t i = 0; i + 8 < b.size(); ++i)
        if (b[i] == 0xFF && b[i + 1] == 0xC0) {
            test::PutBe16(b, i + 5, 24000);
            test::PutBe16(b, i + 7, 24000);
            break;
        }
    return b;
}

struct Outcome {
    bool refused = false;
    long shownBytes = 0;
    long peakBytes = 0;
    double seconds = 0;
};

/// Loads `path` as the viewer does, in a child process.
Outcome LoadInChild(const std::string& path) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        alarm(60);  // a hang ends the child, and the test fails
        long shown = -1;
        try {
            const LoadedPicture p = LoadPicture(path, true);
            shown = long(p.picture.Stride() * p.picture.Height());
        } catch (const DecodeError&) {
        }
        if (write(fds[1], &shown, sizeof shown) != sizeof shown) _exit(2);
        _exit(0);
    }
    close(fds[1]);
    long shown = -2;
    if (read(fds[0], &shown, sizeof shown) != sizeof shown) shown = -2;
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Outcome o;
    o.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    o.refused = WIFEXITED(status) && WEXITSTATUS(status) == 0 && shown == -1;
    o.shownBytes = shown > 0 ? shown : 0;
    o.peakBytes = usage.ru_maxrss * 1024L;
    return o;
}

TEST(HostileFiles, AreRefusedWithinBoundedMemory) {
    test::TempDir dir;
    const std::pair<const char*, Bytes> files[] = {
        // 262 bytes: 65,535 × 900 pixels of 65,535 samples each.
        {"samples.tif", Tiff(65535, 900, 8, 65535, 1, 2, 62)},
        {"plain.tif", Tiff(20000, 20000, 8, 3, 1, 2, 100)},
        {"lzw.tif", Tiff(24000, 24000, 8, 1, 5, 1, 100)},
        {"deflate.tif", Tiff(24000, 24000, 16, 4, 8, 2, 100)},
        {"g4.tif", Tiff(30000, 20000, 1, 1, 4, 0, 8)},
        {"bits.tif", Tiff(1000, 1000, 64, 1, 1, 1, 100)},
        {"giant.png", GiantPng()},
        {"giant.gif", GiantGif()},
        {"giant.jpg", GiantJpeg(dir)},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        const Outcome o = LoadInChild(dir.Write(name, bytes));
        std::printf("  %-12s %zu bytes: %s in %.3f s, peak %ld MB\n", name, bytes.size(),
                    o.refused ? "refused" : "shown", o.seconds, o.peakBytes >> 20);
        EXPECT_TRUE(o.refused);
        // Sanitizers keep memory of their own.
        if (!kSanitized) {
            EXPECT_LE(o.peakBytes, kMaxPeakBytes + o.shownBytes);
        }
    }
}

}  // namespace
}  // namespace vellumo

#pragma once
// Helpers of the writer tests: pictures of every format, and files read back with the
// libraries themselves (libpng, libjpeg) and the command-line tools.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "support/TempDir.h"

namespace vellumo::test {

/// A picture of `format` with pseudo-random pixels (indices within the palette) and, for
/// 1, 4 and 8 bits, a palette of 2, 16 and 256 distinct colours ([black, white] for 1 bit).
Bitmap Pattern(PixelFormat format, uint32_t width, uint32_t height, uint32_t seed = 1);

/// The names in `folder`, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);
/// Runs `command` in the shell and returns its standard output; `status` gets its exit
/// status.
std::string RunCommand(const std::string& command, int* status = nullptr);
/// `text` in single quotes for the shell.
std::string ShellQuoted(const std::string& text);

/// A PNG file as libpng reads it, plus its chunk layout and its decompressed image data.
struct PngFile {
    bool ok = false;
    uint32_t width = 0, height = 0;
    int colorType = -1, bitDepth = 0, interlace = -1;
    std::vector<RgbQuad> palette;
    std::optional<std::pair<uint32_t, uint32_t>> physPerMetre;
    std::vector<std::vector<uint8_t>> rows;                ///< as stored (no transforms)
    std::vector<std::pair<std::string, uint32_t>> chunks;  ///< type and length, in order
    uint8_t zlibFlags = 0;         ///< second byte of the zlib stream (FLEVEL in bits 6-7)
    std::vector<uint8_t> filters;  ///< filter type byte of each row
};
PngFile ReadPngFile(const std::string& path);

/// A JPEG file as libjpeg reads it.
struct JpegFile {
    bool ok = false;
    uint32_t width = 0, height = 0;
    int components = 0;
    bool jfif = false;
    int densityUnit = -1, xDensity = 0, yDensity = 0;
    bool progressive = false;
    std::vector<uint16_t> lumaTable;  ///< quantisation table 0, natural order
    std::vector<uint8_t> pixels;      ///< decoded, components interleaved
};
JpegFile ReadJpegFile(const std::string& path);

/// Colours of two bitmaps (through PixelColor, reserved byte ignored) compared pixel by
/// pixel; names the first pixel that differs.
testing::AssertionResult SameColours(const Bitmap& a, const Bitmap& b);

}  // namespace vellumo::test

#pragma once
// The small header readers of the formats other than TIFF. Each returns true on success
// and throws the invalid-file error with its kind word otherwise; bytes past the end of
// the file read as zero. Width first, then height.

#include <cstdint>
#include <string>
#include <string_view>

namespace vellumo {

class FileSource;

/// Throws the invalid-file error: path, four spaces, CR LF, "不正な ", kind, " ファイルです".
[[noreturn]] void RaiseInvalidFile(const std::string& path, std::string_view kind);
/// The text of that error.
std::string InvalidFileText(const std::string& path, std::string_view kind);

/// XOR of the ten little-endian 16-bit words of a placeable metafile's first 20 bytes.
uint16_t WmfHeaderChecksum(const unsigned char (&header)[20]);

bool ReadBmpSize(const FileSource& file, uint32_t& width, uint32_t& height);
bool ReadJpegSize(const FileSource& file, uint32_t& width, uint32_t& height);
bool ReadWmfSize(const FileSource& file, uint32_t& width, uint32_t& height);
bool ReadEmfSize(const FileSource& file, uint32_t& width, uint32_t& height);
bool ReadGifSize(const FileSource& file, uint32_t& width, uint32_t& height);
bool ReadPngSize(const FileSource& file, uint32_t& width, uint32_t& height);
bool ReadPsdSize(const FileSource& file, uint32_t& width, uint32_t& height);

/// The same readers by path; a path that names no file reads as an empty file.
bool ReadBmpSize(const std::string& path, uint32_t& width, uint32_t& height);
bool ReadJpegSize(const std::string& path, uint32_t& width, uint32_t& height);
bool ReadWmfSize(const std::string& path, uint32_t& width, uint32_t& height);
bool ReadEmfSize(const std::string& path, uint32_t& width, uint32_t& height);
bool ReadGifSize(const std::string& path, uint32_t& width, uint32_t& height);
bool ReadPngSize(const std::string& path, uint32_t& width, uint32_t& height);
bool ReadPsdSize(const std::string& path, uint32_t& width, uint32_t& height);

}  // namespace vellumo

#pragma once
// Byte-order helpers shared by the readers of big-endian fields.

#include <cstdint>
#include <string>

namespace vellumo {

class FileSource;

constexpr uint16_t Swap16(uint16_t v) { return static_cast<uint16_t>((v >> 8) | (v << 8)); }
constexpr uint32_t Swap32(uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0x0000FF00u) | ((v << 8) & 0x00FF0000u) | (v << 24);
}

/// "Tif_L" for a file beginning 49 49 2A 00, "Tif_B" for 4D 4D 00 2A, else "" (also for a
/// missing or unreadable file).
std::string TiffByteOrder(const std::string& path);
std::string TiffByteOrder(const FileSource& file);

}  // namespace vellumo

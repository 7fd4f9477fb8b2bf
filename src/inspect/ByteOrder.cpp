#include "inspect/ByteOrder.h"

#include <cstring>

#include "platform/Error.h"
#include "platform/FileSource.h"

namespace vellumo {

std::string TiffByteOrder(const FileSource& file) {
    unsigned char b[4];
    file.Read(0, b, 4);
    if (std::memcmp(b, "II*\0", 4) == 0) return "Tif_L";
    if (std::memcmp(b, "MM\0*", 4) == 0) return "Tif_B";
    return "";
}

std::string TiffByteOrder(const std::string& path) {
    try {
        auto file = FileSource::Open(path);
        return file ? TiffByteOrder(*file) : "";
    } catch (const Error&) {
        return "";
    }
}

}  // namespace vellumo

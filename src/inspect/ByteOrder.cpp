#include "inspect/ByteOrder.h"

#include "platform/Error.h"
#include "platform/FileSource.h"
#include "platform/ImageSignature.h"

namespace vellumo {

std::string TiffByteOrder(const FileSource& file) {
    // Only the first four bytes: a signature further on cannot outrank the TIFF header.
    unsigned char b[4];
    file.Read(0, b, 4);
    switch (SignatureType(b, sizeof b)) {
        case kTypeTiffLittle:
            return "Tif_L";
        case kTypeTiffBig:
            return "Tif_B";
        default:
            return "";
    }
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

#pragma once
// What a file is, from its leading bytes: one table of signatures that the inspection, the
// decoder and the resolution reader all probe with.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace vellumo {

/// A file's type by its leading bytes (never by its name). The values are the report's type
/// codes, which vellumo-check --json shows.
enum ImageTypeCode : int32_t {
    /// No file looked at yet: a record before its check, or a type the checker window has
    /// let go of. It has no type word.
    kTypeNone = std::numeric_limits<int32_t>::min(),
    kTypeUnknown = -1,    ///< "不明なファイル", also a missing file
    kTypeBmp = 0,         ///< "BMP"
    kTypeJpeg = 1,        ///< "JPG"
    kTypeGif = 2,         ///< "GIF"
    kTypeEmf = 3,         ///< "emf"
    kTypeTiffBig = 4,     ///< "Tif", big-endian
    kTypeTiffLittle = 5,  ///< "Tif", little-endian
    kTypePng = 6,         ///< "PNG"
    kTypeWmf = 7,         ///< "wmf" (placeable metafile)
    kTypePsd = 8,         ///< "psd"
    kTypeExe = 9,         ///< "Exe"
    kTypeZip = 10,        ///< "Zip"
    kTypePdf = 11,        ///< "PDF"
};

constexpr bool IsTiff(ImageTypeCode type) {
    return type == kTypeTiffBig || type == kTypeTiffLittle;
}

/// One row of the signature table: a test of a file's leading bytes, given with their count
/// (a short file simply gives fewer), and the type it names.
struct ImageSignature {
    bool (*test)(const uint8_t* bytes, size_t count);
    ImageTypeCode type;
};

/// Every signature, in the order the inspection tests them.
extern const std::array<ImageSignature, 12> kImageSignatures;

/// The leading bytes the inspection looks at (the EMF signature lies at 40).
inline constexpr size_t kSignatureProbeBytes = 50;

/// The inspection's type: every signature is tested in table order and the last match wins
/// (a file beginning "BM" with " EMF" at 40 is an EMF); kTypeUnknown when none matches.
ImageTypeCode SignatureType(const uint8_t* bytes, size_t count);

/// The type as a decoder takes it: BMP, JPEG, GIF, PNG or TIFF by the signature at the start
/// of the file (an EMF signature further on does not count), a GIF only of version 87a or
/// 89a and a PNG only with all eight bytes of its signature; kTypeUnknown for anything else.
ImageTypeCode DecodableType(const uint8_t* bytes, size_t count);

}  // namespace vellumo

#pragma once
// What the header readers find out about one file.

#include <cstdint>
#include <string>

#include "platform/ImageSignature.h"

namespace vellumo {

/// One file's header facts. Every field starts at zero, false or empty (the type at
/// kTypeNone); the TIFF fields (and the missing flags) stay so for every type other than
/// TIFF.
struct ImageInfo {
    ImageTypeCode typeCode = kTypeNone;
    /// The report's type word of `typeCode` (TypeNameOf); decisions go by `typeCode`.
    std::string typeName;
    bool extensionMatches = false;
    bool headerRead = false;
    /// Pixel size; for WMF and EMF the logical bounds. Signed readers store their value's
    /// two's-complement bits; the report writes both as unsigned numbers.
    uint32_t width = 0;
    uint32_t height = 0;
    /// The first value of BitsPerSample, also when the values lie elsewhere in the file.
    uint32_t bitsPerSample = 0;
    /// SamplesPerPixel (tag 277); 0 when the tag is missing (one sample by the TIFF
    /// default). Above 1 the image is never monochrome, whatever its bit depth.
    uint32_t samplesPerPixel = 0;
    uint32_t compression = 0;
    uint32_t orientation = 0;
    uint32_t xResolution = 0;  ///< whole dots per unit, truncated
    uint32_t yResolution = 0;
    uint32_t resolutionUnit = 0;
    int32_t pageCount = 0;  ///< 1 to 31 for a TIFF
    bool compressionMissing = false;
    bool orientationMissing = false;
    bool xResolutionMissing = false;
    bool yResolutionMissing = false;
    bool resolutionUnitMissing = false;
};

}  // namespace vellumo

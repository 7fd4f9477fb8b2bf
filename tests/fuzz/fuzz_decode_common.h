#pragma once
// The body the decoder fuzz targets share.

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/ImageDecoder.h"

namespace vellumo::fuzz {

/// Limits that keep each run short: legal pictures of a few megapixels decode fully, larger
/// headers are refused as the real limit refuses giants.
inline DecodeLimits FuzzLimits() {
    DecodeLimits limits;
    limits.maxPixels = 4'000'000;
    limits.maxSide = 20'000;
    return limits;
}

inline void DecodeEveryWay(const uint8_t* data, size_t size, const char* name) {
    const std::span<const uint8_t> bytes(data, size);
    try {
        const DecodedImage image = DecodeImage(bytes, name, FuzzLimits());
        // The promise to the viewer: 32 bits, opacity marked.
        if (image.picture.Format() != PixelFormat::Bit32 || !image.picture.HasAlpha())
            __builtin_trap();
    } catch (const DecodeError&) {
    }
    try {
        const Bitmap mono = LoadOneBitIndexed(bytes, name, FuzzLimits());
        if (mono.Format() != PixelFormat::Bit1 || mono.Palette().size() > 2) __builtin_trap();
    } catch (const DecodeError&) {
    }
    try {
        const DecodedImage image = DecodeTwoColourAsOneBit(bytes, name, FuzzLimits());
        const bool twoColour =
            image.pixelFormatName == "1bppIndexed" || image.pixelFormatName == "BlackWhite";
        if (image.picture.Format() != PixelFormat::Bit1 &&
            image.picture.Format() != PixelFormat::Bit32)
            __builtin_trap();
        if (image.picture.Format() == PixelFormat::Bit1 && !twoColour) __builtin_trap();
    } catch (const DecodeError&) {
    }
}

}  // namespace vellumo::fuzz

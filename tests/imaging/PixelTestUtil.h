#pragma once
// Helpers of the pixel-operation tests: pictures of every format filled with seeded noise,
// and a comparison that names the first pixel that differs.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/Bitmap.h"

namespace vellumo::test {

inline const std::vector<PixelFormat>& AllFormats() {
    static const std::vector<PixelFormat> formats = {
        PixelFormat::Bit1,  PixelFormat::Bit4,  PixelFormat::Bit8, PixelFormat::Bit15,
        PixelFormat::Bit16, PixelFormat::Bit24, PixelFormat::Bit32};
    return formats;
}

inline std::string FormatName(PixelFormat f) { return BitmapFormatName(f); }

/// A picture of the format with random pixel bytes (padding left zero) and, for palette
/// formats, a random full palette; a 32-bit one is marked as carrying alpha, so that its
/// fourth bytes are pixel data to every operation.
inline Bitmap RandomBitmap(uint32_t w, uint32_t h, PixelFormat f, uint32_t seed) {
    std::mt19937 rng(seed);
    Bitmap b(w, h, f);
    if (f == PixelFormat::Bit1 || f == PixelFormat::Bit4 || f == PixelFormat::Bit8) {
        b.Palette().resize(size_t(1) << b.Bits());
        for (auto& c : b.Palette()) c = RgbQuad{uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 0};
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) b.SetPixelIndex(x, y, uint8_t(rng()));
    } else {
        const size_t rowBytes = size_t(w) * size_t(b.Bits() / 8);
        for (uint32_t y = 0; y < h; ++y)
            for (size_t i = 0; i < rowBytes; ++i) b.Row(y)[i] = uint8_t(rng());
    }
    b.SetHasAlpha(f == PixelFormat::Bit32);
    return b;
}

namespace detail {

inline testing::AssertionResult Compare(const Bitmap& want, const Bitmap& got, bool lookOnly) {
    if (want.Width() != got.Width() || want.Height() != got.Height())
        return testing::AssertionFailure() << "size " << got.Width() << "×" << got.Height()
                                           << ", expected " << want.Width() << "×" << want.Height();
    if (!lookOnly && want.Format() != got.Format())
        return testing::AssertionFailure() << "format " << BitmapFormatName(got.Format())
                                           << ", expected " << BitmapFormatName(want.Format());
    const bool indexed = !lookOnly && want.Bits() <= 8;
    auto describe = [&](const Bitmap& b, uint32_t x, uint32_t y) {
        const RgbQuad c = b.PixelColor(x, y);
        std::string text = "bgra " + std::to_string(c.b) + "," + std::to_string(c.g) + "," +
                           std::to_string(c.r) + "," + std::to_string(c.reserved);
        return indexed ? text + " index " + std::to_string(b.PixelIndex(x, y)) : text;
    };
    for (uint32_t y = 0; y < want.Height(); ++y)
        for (uint32_t x = 0; x < want.Width(); ++x) {
            RgbQuad a = want.PixelColor(x, y), b = got.PixelColor(x, y);
            if (lookOnly) a.reserved = b.reserved = 0;
            if (!(a == b) || (indexed && want.PixelIndex(x, y) != got.PixelIndex(x, y)))
                return testing::AssertionFailure()
                       << "first different pixel (" << x << ", " << y << "): got "
                       << describe(got, x, y) << ", expected " << describe(want, x, y);
        }
    if (!lookOnly && want.Palette() != got.Palette())
        return testing::AssertionFailure() << "palettes differ";
    return testing::AssertionSuccess();
}

}  // namespace detail

/// Equal when size, format, palette and every pixel's colour (fourth byte included) and
/// index agree; otherwise names the first difference (row by row from the top).
inline testing::AssertionResult SamePixels(const Bitmap& want, const Bitmap& got) {
    return detail::Compare(want, got, false);
}

/// Equal when every pixel shows the same blue, green and red, whatever the two formats.
inline testing::AssertionResult SameLook(const Bitmap& want, const Bitmap& got) {
    return detail::Compare(want, got, true);
}

}  // namespace vellumo::test

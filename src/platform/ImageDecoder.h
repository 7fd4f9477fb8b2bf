#pragma once
// Decoding the first frame of an image file into the viewer's 32-bit picture, with the names
// the viewer's status line shows for the file (what the Windows imaging component reports).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "platform/Bitmap.h"
#include "platform/Error.h"
#include "platform/ImageSignature.h"

namespace vellumo {

/// The container name of the status line: "Bitmap", "Png", "Jpeg", "Gif", "Tiff" (either
/// byte order); "不明" for any type the decoder does not read.
const char* ImageTypeNameOf(ImageTypeCode container);

/// One decoded file.
struct DecodedImage {
    /// The type by the file's leading bytes as the decoder takes them (DecodableType): a
    /// decoded file is a BMP, PNG, JPEG, GIF or TIFF of either byte order.
    ImageTypeCode container = kTypeUnknown;
    /// `ImageTypeName`: see ImageTypeNameOf.
    std::string imageTypeName;
    /// `PixelFormatName`: the pixel format of the first frame as the Windows imaging
    /// component names it ("BlackWhite", "1bppIndexed" … "8bppIndexed", "2bppGray",
    /// "4bppGray", "8bppGray", "16bppGray", "16bppBGR555", "16bppBGR565", "16bppBGRA55",
    /// "24bppBGR", "32bppBGR", "32bppBGRA", "32bppPBGRA"), or for a format that component
    /// names outside the viewer's table, a short name of the same pattern: "48bppRGB",
    /// "64bppRGBA", "64bppPRGBA", "32bppCMYK", "64bppCMYK".
    std::string pixelFormatName;
    /// The frame as 32 bits per pixel, blue, green, red, alpha; HasAlpha() is true and the
    /// fourth byte is 255 where the file holds no opacity. Premultiplied files come back
    /// unpremultiplied.
    Bitmap picture;
};

/// Limits on what a decode accepts. The defaults admit every picture a Bitmap can hold;
/// smaller limits serve the fuzzers, which must not spend seconds on legal giants.
struct DecodeLimits {
    uint64_t maxPixels = kMaxPixels;
    uint32_t maxSide = kMaxSide;
};

/// The failure of a decode. what() is the viewer's decode error for the file (see
/// DecodeErrorText); Reason() says in Japanese what was wrong, for tools and tests.
class DecodeError : public Error {
  public:
    DecodeError(const std::string& message, std::string reason)
        : Error(message), reason_(std::move(reason)) {}
    const std::string& Reason() const { return reason_; }

  private:
    std::string reason_;
};

/// The viewer's decode error text for a file: "【 ", the file-name part of `path`, " 】",
/// "  は表示できません。　 ", CR LF, CR LF, "　画像データを確認してください。", CR LF, CR LF.
std::string DecodeErrorText(const std::string& path);

/// Decodes the first frame (first page, first image) of the BMP, PNG, JPEG, GIF or TIFF
/// file at `path`. Throws DecodeError when the file is missing, of another type, truncated,
/// corrupt or larger than `limits` (refused before the picture is allocated), and also
/// when memory runs out. Library warnings are never printed.
DecodedImage DecodeImage(const std::string& path, const DecodeLimits& limits = {});

/// The same over bytes held in memory. `name` stands for the file in the error text.
DecodedImage DecodeImage(std::span<const uint8_t> bytes, const std::string& name,
                         const DecodeLimits& limits = {});

/// DecodeImage for a viewer that shows two-colour files in one bit: a "1bppIndexed" frame
/// comes back as LoadOneBitIndexed gives it, a "BlackWhite" frame as a one-bit picture
/// with the colour table [black, white] (a tiled bilevel TIFF as the 32-bit picture);
/// every other frame as DecodeImage gives it. One decode instead of two, and no 32-bit
/// copy of a drawing.
DecodedImage DecodeTwoColourAsOneBit(const std::string& path, const DecodeLimits& limits = {});
DecodedImage DecodeTwoColourAsOneBit(std::span<const uint8_t> bytes, const std::string& name,
                                     const DecodeLimits& limits = {});

/// Loads a file whose pixel format is "1bppIndexed" (a two-colour palette BMP, PNG or TIFF)
/// in its own format: a one-bit bitmap with the file's palette (as many entries as the
/// file gives, at most two), HasAlpha() false. Throws DecodeError as DecodeImage does, and
/// also when the file's pixel format is another.
Bitmap LoadOneBitIndexed(const std::string& path, const DecodeLimits& limits = {});
Bitmap LoadOneBitIndexed(std::span<const uint8_t> bytes, const std::string& name,
                         const DecodeLimits& limits = {});

}  // namespace vellumo

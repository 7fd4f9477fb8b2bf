#pragma once
// What the viewer's load does to a file without its window: decode, the monochrome display
// option, the resolution fields. The viewer window and vellumo-convert both load through it.

#include <string>

#include "document/ReadResolution.h"
#include "platform/ImageDecoder.h"

namespace vellumo {

/// The threshold the colour-reduction panel starts with ("128"); the load's reduction of a
/// "BlackWhite" file uses it.
inline constexpr int kInitialThreshold = 128;

struct LoadedPicture {
    std::string imageTypeName;    ///< `ImageTypeName`
    std::string pixelFormatName;  ///< `PixelFormatName`
    /// The picture: 32 bits per pixel with alpha, or one bit when the monochrome display
    /// option reduced it.
    Bitmap picture;
    ViewResolution resolution;
    /// The monochrome display option made the picture one bit ("BlackWhite" or
    /// "1bppIndexed" file), so the status line shows the bitmap's own format.
    bool shownAsMono = false;
};

/// Loads `path` as the viewer does: the first frame decoded to 32 bits; with
/// `monoDisplay` ("モノクロ画像は２値化して表示する"), a "1bppIndexed" file in its own
/// format made black and white, and a "BlackWhite" file as its 32-bit picture thresholded
/// at `threshold` would be (both decoded straight to one bit); then the resolution. Throws
/// DecodeError with the viewer's decode error text for the file on any failure.
LoadedPicture LoadPicture(const std::string& path, bool monoDisplay,
                          int threshold = kInitialThreshold);

}  // namespace vellumo

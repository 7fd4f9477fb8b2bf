#pragma once
// The viewer's resolution fields for a file: the dots per inch of its metadata, rounded for
// the status line, and the millimetre factors the cut-out uses.

#include <string>

#include "platform/ResolutionReader.h"

namespace vellumo {

/// `DpiX`, `DpiY`, `ShownDpi` and the millimetre factors of the viewer, all single
/// precision.
struct ViewResolution {
    float DpiX = 0;       ///< rounded to a whole number, halves to even
    float DpiY = 0;       ///< rounded to a whole number, halves to even
    float ShownDpi = 0;   ///< DpiX when it is larger than DpiY, else DpiY; 0 when unknown
    float PixPerMmX = 0;  ///< the resolution as read (before rounding) / 25.4
    float PixPerMmY = 0;
    float MmPerPixX = 0;  ///< 25.4 / the resolution as read; 0 when that is 0
    float MmPerPixY = 0;
};

/// The fields for a file whose resolution reads as `read` (an unread file reads as 0 in
/// both directions). A resolution of 0 gives 0 for its factors and the whole load goes on,
/// where the description's division would end the load with the decode error.
ViewResolution ResolutionFields(const FileResolution& read);

/// `ReadResolution` of the viewer: ResolutionFields of the file at `path`.
ViewResolution ReadResolution(const std::string& path);

}  // namespace vellumo

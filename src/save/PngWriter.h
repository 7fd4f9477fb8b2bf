#pragma once
// The PNG writer: a 32-bit picture as RGBA, every other one as palette or RGB, with the
// compression settings of the save command; the rows are filtered and compressed on all
// cores.

#include <cstddef>
#include <optional>
#include <string>

#include "platform/Bitmap.h"
#include "save/WriteProgress.h"

namespace vellumo {

/// How the image data is cut for compressing on several threads. The defaults are the
/// writer's; the file is the same for any number of threads.
struct PngStreamOptions {
    /// Filtered bytes per independently compressed piece, rounded to whole rows. SIZE_MAX
    /// makes the data one single stream, as a writer on one thread would.
    size_t pieceBytes = size_t(1) << 20;
    /// Threads that compress; 0: one per core.
    unsigned threads = 0;
};

/// Writes `picture` to `path` as a non-interlaced PNG whose compressed data comes in data
/// chunks of at most 65535 bytes:
/// - 32 bits: 8-bit RGBA (colour type 6), Deflate level 7, the Sub filter on every row;
///   alpha is the fourth byte when the picture HasAlpha(), else 255 (the picture is drawn
///   opaque then, and so it stays);
/// - 1, 4 and 8 bits: a palette PNG (colour type 3) of the same bit depth holding the
///   colour table (lengthened with black when a pixel's index lies past its end);
/// - 15, 16 and 24 bits: 8-bit RGB (colour type 2);
/// the last two with Deflate level 5 and adaptive filtering over all five row filters.
/// With `dpi` a pHYs chunk states that resolution both ways (pixels per metre, rounded);
/// without it the file has none. The chunks are IHDR, PLTE (palette only), pHYs, IDAT
/// and IEND, in that order; every data chunk but the last holds 65535 bytes.
///
/// The file appears at `path` only when complete; a failure leaves an existing file
/// untouched. `progress` is told how far the data has come. Throws Error (the platform file
/// error, or what went wrong) on any failure, an empty picture included, and std::bad_alloc
/// when memory runs out.
void WritePng(const Bitmap& picture, const std::string& path,
              std::optional<double> dpi = std::nullopt, const PngStreamOptions& stream = {},
              const WriteProgress& progress = {});

}  // namespace vellumo

#pragma once
// The checker's verdict on a drawing before it is saved: the lines the check of the saved
// G4 file would write, from the same rules, with the exact data size of its encoding.

#include <cstdint>
#include <string_view>
#include <vector>

#include "check/DrawingJudgement.h"
#include "inspect/ImageInfo.h"
#include "platform/Bitmap.h"
#include "save/SaveFormats.h"

namespace vellumo {

/// How a drawing is saved: a CCITT G4 TIFF at 400 dpi, through the save path.
SaveOptions DrawingSaveOptions();

/// What the checker reads from the header of a drawing saved so, `width` × `height` pixels:
/// a little-endian TIFF of one page, one bit, G4, orientation 1, 400 × 400 dots per inch.
ImageInfo SavedDrawingInfo(uint32_t width, uint32_t height);

struct DrawingPrediction {
    /// The drawing check's lines for the saved file, in report order: for a B4 page the
    /// nine judged lines.
    std::vector<JudgedLine> lines;
    /// The size in bytes of the file the save writes.
    uint64_t dataSize = 0;
    DrawingVerdict verdict;
};

/// The check of `picture` saved with DrawingSaveOptions as `fileName` (the name the rule
/// judges). The picture is encoded in memory as the save encodes it; nothing is written.
/// Throws Error (the writer's) when it cannot be encoded.
DrawingPrediction PredictDrawingCheck(const Bitmap& picture, std::string_view fileName);

}  // namespace vellumo

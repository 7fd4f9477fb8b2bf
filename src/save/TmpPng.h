#pragma once
// "Tmp.png": the last cut-out, written beside the program at 400 dots per inch.

#include <string>

#include "platform/Bitmap.h"
#include "save/WriteProgress.h"

namespace vellumo {

/// Writes `cutOut` as "Tmp.png" in `folder` (the program's folder), replacing the one
/// there, with a pHYs of 400 dots per inch both ways; the layout and compression are those
/// of WritePng. Returns the file's path. Throws Error (the writer's message) on failure;
/// the viewer then shows kCutOutFailedText (crop/CutOut.h). A failure leaves the previous
/// file untouched. `progress` is told how far the data has come.
std::string WriteTmpPng(const Bitmap& cutOut, const std::string& folder,
                        const WriteProgress& progress = {});

}  // namespace vellumo

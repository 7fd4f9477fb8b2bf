#pragma once
// The viewer's drawing panel without its window: the name a drawing is saved under, what a
// picture still lacks before it is a drawing, the one-bit drawing a save writes from it, and
// the short forms of the predicted verdict.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "check/DrawingJudgement.h"
#include "document/ReadResolution.h"
#include "platform/Bitmap.h"

namespace vellumo {

/// The drawing kinds of the name rule, in the order the panel offers them.
inline constexpr std::array<std::string_view, 3> kDrawingKinds = {"sokuryouzu", "tatemono",
                                                                  "tiekiken"};

/// The drawing's file name: the kind, the number as typed, ".tif".
std::string DrawingFileName(std::string_view kind, std::string_view number);

/// The kind and the number of a picture whose name's stem is a drawing's ("tatemono3" from
/// "tatemono3.png"), so that its drawing keeps the name; nothing for any other stem.
std::optional<std::pair<std::string, std::string>> DrawingNameParts(std::string_view stem);

/// Why `fileName` cannot be a drawing's name: the name rule's verdict in a sentence, or
/// nothing when the rule confirms the name.
std::optional<std::string> DrawingNameRefusal(const std::string& fileName);

/// What keeps `picture` (at `resolution`) from being predicted and saved as a drawing:
/// nothing when it is a page the paper-size rule confirms at 400 dpi (one bit, or reduced
/// to one bit at the threshold as it is saved), else the text that says what to do.
std::optional<std::string> DrawingFitNeeded(const Bitmap& picture,
                                            const ViewResolution& resolution);

/// The drawing a save writes from `source`: a one-bit picture as it is, any other reduced
/// to one bit at `threshold` as "モノクロ" reduces it (black below it).
Bitmap DrawingOfPicture(const Bitmap& source, int threshold);

/// The short name of a judged property, for the panel's compact verdict.
std::string_view JudgedItemLabel(JudgedItem item);

/// The data size against the rule's limit: "123.4 KB／300 KB".
std::string DataSizeAgainstLimit(uint64_t bytes);

/// The panel's one-line verdict: "合格見込み" or "不合格見込み（N 項目）".
std::string PredictedVerdictText(const DrawingVerdict& verdict);

}  // namespace vellumo

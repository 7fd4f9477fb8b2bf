#pragma once
// The drawing TIFF conformance rules, one function per rule, in their call order. Each
// returns the lines it writes (often none or one), each with its verdict.

#include <cstdint>
#include <string>

#include "check/RuleLine.h"
#include "inspect/ImageInfo.h"

namespace vellumo {

RuleLines ImageTypeRuleLines();
RuleLines CompressionRuleLines(const ImageInfo& info);
RuleLines BitDepthRuleLines(const ImageInfo& info);
RuleLines OrientationRuleLines(const ImageInfo& info);
RuleLines ResolutionRuleLines(const ImageInfo& info);
RuleLines ResolutionUnitRuleLines(const ImageInfo& info);
/// The judged data-size line for a file of `size` bytes.
RuleLines DataSizeRuleLines(uint64_t size);
RuleLines PageCountRuleLines(const ImageInfo& info);
/// The paper-size line and, unless the page is B4 landscape, the detail line.
RuleLines PaperSizeRuleLines(const ImageInfo& info);

/// The compression and orientation names of the report ("" for an unlisted value).
std::string CompressionName(uint32_t compression);
std::string OrientationName(uint32_t orientation);
std::string ResolutionUnitText(uint32_t unit);

}  // namespace vellumo

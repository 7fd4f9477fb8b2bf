#pragma once
// The drawing file-name rule: a kind word, one to five digits and ".tif".

#include <string>

#include "check/RuleLine.h"

namespace vellumo {

/// The report's file-name line for a drawing TIFF: " ファイル名　：" + name + the filler +
/// "【確認】" when the name passes the rule (confirmed), else the verdict that names what
/// is wrong. `fileName` is UTF-8; the rule and the filler count work on its UTF-16 form.
RuleLine NameRuleLine(const std::string& fileName);

/// The number of UTF-16 code units of a UTF-8 text (an invalid byte counts as one unit).
size_t Utf16Length(const std::string& utf8);

}  // namespace vellumo

#pragma once
// The narrow text of files written by the Windows program: CP932 (Shift-JIS with the
// Microsoft extensions), turned into the UTF-8 that the rest of the program uses.

#include <optional>
#include <string>
#include <string_view>

namespace vellumo {

/// Whether `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, nothing above
/// U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

/// `bytes` read as CP932 and written as UTF-8; nothing when they are not valid CP932 (or
/// the system has no CP932 converter), so that the caller keeps the bytes as they are.
std::optional<std::string> Cp932ToUtf8(std::string_view bytes);

}  // namespace vellumo

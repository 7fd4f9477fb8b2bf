#pragma once
// The order in which a file manager lists names: runs of digits compared by their value.

#include <string_view>

namespace vellumo {

/// True when `a` comes before `b`: runs of ASCII digits are compared by value
/// ("tatemono2" before "tatemono10"), everything else by code point (UTF-8 bytes compare
/// so); names that differ only in leading zeros fall back to plain byte order, so the order
/// is total. The same in every locale.
bool NaturalLess(std::string_view a, std::string_view b);

}  // namespace vellumo

#pragma once
// Number formats of the report, the same on every locale (the Japanese ones).

#include <cstdint>
#include <string>

#include "platform/Rounding.h"

namespace vellumo {

/// "#,##0": 307712 -> "307,712", -5 -> "-5".
std::string FormatThousands(int64_t n);
/// printf "%.<decimals>f": 300.5, 1.90.
std::string FormatFixed(double value, int decimals);
/// "###.##": at most two decimals, no trailing zeros, no leading zero before the point
/// (209.9945 -> "209.99", 0.5 -> ".5", 12.0 -> "12"); a value that rounds to zero is "0".
std::string FormatUpToTwoDecimals(double value);
/// printf "%g".
std::string FormatShortest(double value);
/// A float as the shortest decimal text that reads back as the same float ("400", "72.5").
std::string FormatFloatShortest(float value);

}  // namespace vellumo

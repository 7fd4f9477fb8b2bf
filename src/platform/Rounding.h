#pragma once
// Rounding to whole numbers, halves to the even neighbour (2.5 gives 2, 3.5 gives 4), as
// the report, the resolution, the view and the crop frame all round.

#include <cstdint>

namespace vellumo {

/// The nearest whole number, halves to the even one; infinities and NaN come back as they
/// are.
double RoundHalfEven(double value);
/// The same as a 32-bit integer: values beyond its range give its ends, NaN gives 0.
int32_t RoundHalfEvenToInt(double value);

}  // namespace vellumo

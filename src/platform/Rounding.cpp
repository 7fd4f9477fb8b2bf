#include "platform/Rounding.h"

#include <cmath>
#include <limits>

namespace vellumo {

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    const double down = std::floor(value);
    const double diff = value - down;
    if (diff > 0.5) return down + 1;
    if (diff < 0.5) return down;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

int32_t RoundHalfEvenToInt(double value) {
    if (std::isnan(value)) return 0;
    const double r = RoundHalfEven(value);
    if (r >= double(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (r <= double(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return int32_t(r);
}

}  // namespace vellumo

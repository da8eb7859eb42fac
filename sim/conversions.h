// The numeric conversions the rules rely on, written once so none of them can be undefined.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace morvane {

// A coordinate handed to a plant's 16-bit field: rounded to the nearest whole number with
// ties to the even neighbour (2.5 -> 2, 3.5 -> 4). Beyond the 16-bit range it saturates, so
// a plant placed far off the world lies outside it and dies at its first visit; NaN, which
// no caller produces, goes to the upper end for the same reason.
inline std::int16_t RoundToInt16(double v)
{
    constexpr double Lowest = std::numeric_limits<std::int16_t>::min();
    constexpr double Highest = std::numeric_limits<std::int16_t>::max();
    if (std::isnan(v)) return std::numeric_limits<std::int16_t>::max();
    const double rounded = std::nearbyint(v); // the default rounding mode is to nearest, ties even
    if (rounded <= Lowest) return std::numeric_limits<std::int16_t>::min();
    if (rounded >= Highest) return std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(rounded);
}

// 16-bit fields wrap, two's complement, when their arithmetic leaves the range (only a free
// plant slot's drift could, after about a billion ticks). C++20 defines this conversion.
inline std::int16_t Wrap16(int v) { return static_cast<std::int16_t>(v); }

} // namespace morvane

// An axis of a figure: its range and its ticks at round values (1, 2 or 5 times a power of ten).
#pragma once

#include <string>
#include <vector>

namespace morvane::lab {

struct Axis {
    double low = 0;            // the value at the axis's start
    double high = 1;           // the value at its end, > low
    double step = 1;           // between ticks, > 0
    std::vector<double> ticks; // round values within [low, high], ascending
};

// About `wanted` (2 or more) ticks over [low, high]. With `widen` the ends move out to the
// round values around them (for a value axis); without, they stay (for the time axis). An
// empty or one-value range is first widened around its value.
Axis MakeAxis(double low, double high, int wanted, bool widen);

// `value` written for a tick label: as many decimals as `step` needs, thousands grouped with
// commas, and no "-0".
std::string TickLabel(double value, double step);

// A whole number with its thousands grouped by commas: 200000 -> "200,000".
std::string GroupedDigits(unsigned long long value);

} // namespace morvane::lab

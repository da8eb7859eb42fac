// Round steps are what a reader can interpolate between at a glance.
#include "lab/plot_axis.h"

#include <cmath>
#include <cstdio>

namespace morvane::lab {

namespace {

double RoundStep(double span, int wanted)
{
    const double raw = span / (wanted - 1);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0})
        if (factor * power >= raw) return factor * power;
    return 10 * power;
}

// Commas between the thousands of the whole part of `digits` (digits, maybe a point and more).
// Built by appending only: GCC 12 warns falsely (-Wrestrict) on inserting into a string.
std::string Grouped(const std::string& digits)
{
    const std::size_t point = digits.find('.');
    const std::size_t whole = point == std::string::npos ? digits.size() : point;
    std::string grouped;
    for (std::size_t k = 0; k < whole; ++k) {
        if (k > 0 && (whole - k) % 3 == 0) grouped += ',';
        grouped += digits[k];
    }
    grouped.append(digits, whole, std::string::npos);
    return grouped;
}

} // namespace

Axis MakeAxis(double low, double high, int wanted, bool widen)
{
    if (!(high > low)) {
        const double pad = std::abs(low) > 0 ? std::abs(low) * 0.1 : 0.5;
        low -= pad;
        high += pad;
    }
    Axis axis;
    axis.step = RoundStep(high - low, wanted);
    if (widen) {
        low = std::floor(low / axis.step) * axis.step;
        high = std::ceil(high / axis.step) * axis.step;
    }
    axis.low = low;
    axis.high = high;
    // Ticks are whole multiples of the step, each computed afresh rather than accumulated,
    // so no rounding creeps in along the axis.
    const double first = std::ceil(low / axis.step - 1e-9);
    for (double k = first;; ++k) {
        const double value = k * axis.step;
        if (value > high + axis.step * 1e-9) break;
        axis.ticks.push_back(value);
    }
    return axis;
}

std::string GroupedDigits(unsigned long long value) { return Grouped(std::to_string(value)); }

std::string TickLabel(double value, double step)
{
    int decimals = 0;
    while (decimals < 9 && std::abs(step * std::pow(10.0, decimals) -
                                    std::round(step * std::pow(10.0, decimals))) > 1e-6)
        ++decimals;
    if (std::abs(value) < step * 1e-9) value = 0; // no "-0"
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, std::abs(value));
    std::string label = value < 0 ? "\xe2\x88\x92" : ""; // a true minus sign, U+2212
    label += Grouped(text);
    return label;
}

} // namespace morvane::lab

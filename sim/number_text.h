// Numbers written for people and for the tools that read them back: one way each, so the lab,
// the Python module and the page write a hash or a count alike.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace morvane {

// A 64-bit value as 16 lower-case hex digits, leading zeros kept: how a world's hash is shown.
std::string HexDigits(std::uint64_t value);

// Whether `token` is a plain decimal number as people write one: an optional sign, digits with
// at most one point (at least one digit), an optional exponent; no spaces, hex, inf or nan.
bool IsDecimalNumber(std::string_view token);

// A double in the fewest significant digits that read back to the very same double: 0.125,
// 1e-05, 0.30000000000000004; a whole one below 10^15 as a whole number, 1000 and not 1e+03.
// Not for infinities or NaN.
std::string ShortestDigits(double value);

// A whole number with its thousands grouped by commas: 200000 -> "200,000".
std::string GroupedDigits(std::uint64_t value);

} // namespace morvane

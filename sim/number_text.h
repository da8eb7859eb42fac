// Numbers written for people and for the tools that read them back: one way each, so the lab,
// the Python module and the page write a hash or a count alike.
#pragma once

#include <cstdint>
#include <string>

namespace morvane {

// A 64-bit value as 16 lower-case hex digits, leading zeros kept: how a world's hash is shown.
std::string HexDigits(std::uint64_t value);

// A whole number with its thousands grouped by commas: 200000 -> "200,000".
std::string GroupedDigits(std::uint64_t value);

} // namespace morvane

// Counts on the command line, read strictly in plain decimal digits.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

namespace morvane::lab {

inline constexpr std::uint64_t LargestWholeNumber = std::numeric_limits<std::uint64_t>::max();

// Reads `text`, the value of `option`, as a whole number from `lowest` to `highest`. Anything
// else (empty, signs, points, exponents, hex, words, out of the range) throws LabError naming
// the fault and the range.
std::uint64_t ReadWholeNumber(const std::string& option, const std::string& text,
                              std::uint64_t lowest = 0, std::uint64_t highest = LargestWholeNumber);

} // namespace morvane::lab

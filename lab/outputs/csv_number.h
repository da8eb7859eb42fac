// Numbers in the lab's CSV files: integers as digits, floating values in the shortest form
// that reads back to exactly the same value, never in a locale's form.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>

namespace morvane::lab {

// Appends the shortest decimal that reads back to exactly `value` (a float as a float, a
// double as a double); integers in plain digits. NaN or infinity are never handed in.
template <typename T> void AppendNumber(std::string& text, T value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, result.ptr);
}

// Appends `value` only when it is `present`: a field with no value is left empty.
template <typename T> void AppendIf(std::string& text, bool present, T value)
{
    if (present) AppendNumber(text, value);
}

} // namespace morvane::lab

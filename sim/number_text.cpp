#include "sim/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace morvane {

std::string HexDigits(std::uint64_t value)
{
    static constexpr char Digits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int k = 15; k >= 0; --k, value >>= 4)
        text[static_cast<std::size_t>(k)] = Digits[value & 0xF];
    return text;
}

bool IsDecimalNumber(std::string_view token)
{
    // Optional sign, digits with at most one point (at least one digit), optional exponent.
    std::size_t k = 0;
    if (k < token.size() && (token[k] == '+' || token[k] == '-')) ++k;
    std::size_t digits = 0;
    bool point = false;
    for (; k < token.size(); ++k) {
        if (token[k] >= '0' && token[k] <= '9')
            ++digits;
        else if (token[k] == '.' && !point)
            point = true;
        else
            break;
    }
    if (digits == 0) return false;
    if (k < token.size() && (token[k] == 'e' || token[k] == 'E')) {
        ++k;
        if (k < token.size() && (token[k] == '+' || token[k] == '-')) ++k;
        std::size_t exponent_digits = 0;
        for (; k < token.size() && token[k] >= '0' && token[k] <= '9'; ++k)
            ++exponent_digits;
        if (exponent_digits == 0) return false;
    }
    return k == token.size();
}

// Printed to ever more digits until it reads back; 17 always do. (printf and strtod round
// correctly, so the first that reads back is the shortest.)
std::string ShortestDigits(double value)
{
    char text[32];
    // A whole number reads best whole: 1000, not 1e+03.
    if (value == std::trunc(value) && std::fabs(value) < 1e15) {
        std::snprintf(text, sizeof text, "%.0f", value);
        return text;
    }
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    return text;
}

// Built by appending only: GCC 12 warns falsely (-Wrestrict) on inserting into a string.
std::string GroupedDigits(std::uint64_t value)
{
    const std::string digits = std::to_string(value);
    std::string grouped;
    for (std::size_t k = 0; k < digits.size(); ++k) {
        if (k > 0 && (digits.size() - k) % 3 == 0) grouped += ',';
        grouped += digits[k];
    }
    return grouped;
}

} // namespace morvane

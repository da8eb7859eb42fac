#include "sim/number_text.h"

namespace morvane {

std::string HexDigits(std::uint64_t value)
{
    static constexpr char Digits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int k = 15; k >= 0; --k, value >>= 4)
        text[static_cast<std::size_t>(k)] = Digits[value & 0xF];
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

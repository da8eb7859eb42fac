// CLI11's own conversion goes through strtoull in base 0, which wraps "-5" to a huge count,
// saturates numbers beyond 2^64 - 1 and reads "010" as octal; so the numbers are taken as
// text and read here, in plain decimal digits only.
#include "lab/command/whole_number.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "lab/command/lab_error.h"

namespace morvane::lab {

std::uint64_t ReadWholeNumber(const std::string& option, const std::string& text,
                              std::uint64_t lowest, std::uint64_t highest)
{
    const std::string range = " (expected a whole number from " + std::to_string(lowest) + " to " +
                              std::to_string(highest) + ")";
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, value);
    if (!text.empty() && ec == std::errc() && stop == end) {
        if (value < lowest) throw LabError(option + " '" + text + "' is too small" + range);
        if (value > highest) throw LabError(option + " '" + text + "' is too large" + range);
        return value;
    }

    // Name the fault as the user would see it; strtod reads any number they might have meant.
    char* number_end = nullptr;
    errno = 0;
    const double number = std::strtod(text.c_str(), &number_end);
    const bool numeric = !text.empty() && *number_end == '\0';
    std::string fault = "is not a number";
    if (ec == std::errc::result_out_of_range)
        fault = "is too large";
    else if (text.empty())
        fault = "is empty";
    else if (numeric && number < 0)
        fault = "is negative";
    else if (numeric && errno == ERANGE && std::isinf(number))
        fault = "is too large";
    else if (numeric && !std::isfinite(number))
        fault = "is not finite";
    else if (numeric && number != std::floor(number))
        fault = "is not a whole number";
    else if (numeric && number > static_cast<double>(highest))
        fault = "is too large";
    else if (numeric)
        fault = "is not written in plain decimal digits";
    throw LabError(option + " '" + text + "' " + fault + range);
}

} // namespace morvane::lab

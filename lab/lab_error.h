// A user's mistake the lab reports in one line and ends on with status 2.
#pragma once

#include <stdexcept>
#include <string>

namespace morvane::lab {

struct LabError : std::runtime_error {
    explicit LabError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace morvane::lab

// A user's mistake the lab reports in one line and ends on with status 2, and a run stopped
// by a signal, which the lab reports in one line and ends on with the signal's status.
#pragma once

#include <stdexcept>
#include <string>

namespace morvane::lab {

struct LabError : std::runtime_error {
    explicit LabError(const std::string& message) : std::runtime_error(message) {}
};

struct RunInterrupted : std::runtime_error {
    RunInterrupted(int signal, const std::string& message)
        : std::runtime_error(message), signal(signal)
    {
    }
    int signal; // SIGINT, SIGTERM or SIGHUP
};

} // namespace morvane::lab

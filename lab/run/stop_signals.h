// SIGINT, SIGTERM and SIGHUP (Ctrl-C, kill, a closed terminal) ask a run to stop at the end
// of its tick instead of ending the process where it stands, so no output is left half
// written and a checkpoint of the last whole tick can still be kept. A wait on a pipe or a
// FIFO (opening it, reading it, writing it) is cut short by them, so no stop waits on a peer
// that never comes. SIGPIPE and SIGXFSZ are not fatal: a vanished reader and a file-size limit
// show as write errors, reported like any other.
#pragma once

#include <array>
#include <csignal>
#include <string>

#include "lab/run/stop_flag.h"

namespace morvane::lab {

class StopSignals {
public:
    // Catches the three signals and ignores the two until destroyed, then gives all five back
    // their former handling.
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Raised by the first of the three signals to come, with its number.
    static StopFlag Flag();

private:
    std::array<struct sigaction, 5>
        former_{}; // SIGINT's, SIGTERM's, SIGHUP's, SIGPIPE's, SIGXFSZ's
};

// The exit status of a process ended by `signal` (128 + its number), as a shell reports it.
inline int ExitStatusAfter(int signal) { return 128 + signal; }

// Throws RunInterrupted ("interrupted while <doing>; <outcome>") when a stop signal has come.
void ThrowIfStopped(const std::string& doing, const std::string& outcome = "nothing was written");

} // namespace morvane::lab

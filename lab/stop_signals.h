// SIGINT, SIGTERM and SIGHUP (Ctrl-C, kill, a closed terminal) ask a run to stop at the end
// of its tick instead of ending the process where it stands, so no output is left half
// written and a checkpoint of the last whole tick can still be kept.
#pragma once

#include <array>
#include <csignal>

namespace morvane::lab {

class StopSignals {
public:
    // Catches the three signals until destroyed, then gives them back their former handling.
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The number of the signal that asked the run to stop; 0 while none has.
    static const volatile std::sig_atomic_t& Flag();

private:
    std::array<struct sigaction, 3> former_{}; // SIGINT's, SIGTERM's and SIGHUP's
};

// The exit status of a process ended by `signal` (128 + its number), as a shell reports it.
inline int ExitStatusAfter(int signal) { return 128 + signal; }

} // namespace morvane::lab

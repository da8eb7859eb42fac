// The handler only records the signal: a flag of sig_atomic_t is all a handler may safely
// touch, and it is the one piece of state the whole process shares.
#include "lab/run/stop_signals.h"

#include "lab/command/lab_error.h"

namespace morvane::lab {

namespace {

volatile std::sig_atomic_t caught = 0;

constexpr std::array<int, 3> Stopping{SIGINT, SIGTERM, SIGHUP};
constexpr std::array<int, 2> Ignored{SIGPIPE, SIGXFSZ};

void RecordStop(int signal) { caught = signal; }

} // namespace

StopSignals::StopSignals()
{
    caught = 0;
    struct sigaction action = {};
    action.sa_handler = RecordStop;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocked open(), read() or write() returns EINTR, and the code that made
    // it looks at the flag. A regular file's reads and writes are never interrupted, so a file
    // being written goes on being written.
    action.sa_flags = 0;
    for (std::size_t k = 0; k < Stopping.size(); ++k)
        sigaction(Stopping[k], &action, &former_[k]);
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (std::size_t k = 0; k < Ignored.size(); ++k)
        sigaction(Ignored[k], &ignore, &former_[Stopping.size() + k]);
}

StopSignals::~StopSignals()
{
    for (std::size_t k = 0; k < Stopping.size(); ++k)
        sigaction(Stopping[k], &former_[k], nullptr);
    for (std::size_t k = 0; k < Ignored.size(); ++k)
        sigaction(Ignored[k], &former_[Stopping.size() + k], nullptr);
}

StopFlag StopSignals::Flag() { return StopFlag(caught); }

void ThrowIfStopped(const std::string& doing, const std::string& outcome)
{
    if (const int signal = caught; signal != 0)
        throw RunInterrupted(signal, "interrupted while " + doing + "; " + outcome);
}

} // namespace morvane::lab

// The handler only records the signal: a flag of sig_atomic_t is all a handler may safely
// touch, and it is the one piece of state the whole process shares.
#include "lab/stop_signals.h"

namespace morvane::lab {

namespace {

volatile std::sig_atomic_t caught = 0;

constexpr std::array<int, 3> Stopping{SIGINT, SIGTERM, SIGHUP};

void RecordStop(int signal) { caught = signal; }

} // namespace

StopSignals::StopSignals()
{
    caught = 0;
    struct sigaction action = {};
    action.sa_handler = RecordStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // a file being written goes on being written
    for (std::size_t k = 0; k < Stopping.size(); ++k)
        sigaction(Stopping[k], &action, &former_[k]);
}

StopSignals::~StopSignals()
{
    for (std::size_t k = 0; k < Stopping.size(); ++k)
        sigaction(Stopping[k], &former_[k], nullptr);
}

const volatile std::sig_atomic_t& StopSignals::Flag() { return caught; }

} // namespace morvane::lab

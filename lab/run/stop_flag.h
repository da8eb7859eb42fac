// Whether a run has been asked to stop, and by which signal. The signal handler raises it;
// the tick loop and every wait look at it between whole steps. A flag made without a signal
// behind it is never raised.
#pragma once

#include <csignal>

namespace morvane::lab {

class StopFlag {
public:
    constexpr StopFlag() = default;
    explicit constexpr StopFlag(const volatile std::sig_atomic_t& signal) : signal_(&signal) {}

    bool Raised() const { return signal_ != nullptr && *signal_ != 0; }
    // The number of the signal that raised it; 0 while none has.
    int Signal() const { return signal_ != nullptr ? *signal_ : 0; }

private:
    const volatile std::sig_atomic_t* signal_ = nullptr;
};

} // namespace morvane::lab

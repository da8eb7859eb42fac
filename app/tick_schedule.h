// When the click timer fires: once every 10 ms on a fixed grid from the window's creation,
// dropping the firings a late wake-up missed instead of running them in a burst.
#pragma once

#include <cstdint>

namespace morvane::app {

inline constexpr std::uint64_t ClickIntervalMs = 10;

class TickSchedule {
public:
    // The first firing is one interval after start, as a window-system timer's is.
    explicit TickSchedule(std::uint64_t start_ms, std::uint64_t interval_ms = ClickIntervalMs)
        : interval_(interval_ms), next_(start_ms + interval_ms)
    {
    }

    bool Due(std::uint64_t now_ms) const { return now_ms >= next_; }

    // How long the event wait may sleep before the next firing is due; 0 when it is.
    std::uint64_t MsUntilDue(std::uint64_t now_ms) const
    {
        return now_ms >= next_ ? 0 : next_ - now_ms;
    }

    // Takes the one firing due at now_ms. The grid stays put, so waking a little late
    // each time costs no rate; every grid point already passed is dropped.
    void Fire(std::uint64_t now_ms);

    std::uint64_t Fired() const { return fired_; }
    std::uint64_t Dropped() const { return dropped_; }

private:
    std::uint64_t interval_;
    std::uint64_t next_;
    std::uint64_t fired_ = 0;
    std::uint64_t dropped_ = 0;
};

} // namespace morvane::app

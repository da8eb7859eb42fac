// The grid arithmetic of the click timer.
#include "app/tick_schedule.h"

namespace morvane::app {

void TickSchedule::Fire(std::uint64_t now_ms)
{
    ++fired_;
    next_ += interval_;
    if (now_ms >= next_) {
        // Late by a whole interval or more: those firings are gone, the next is the first
        // grid point still ahead.
        const std::uint64_t missed = (now_ms - next_) / interval_ + 1;
        dropped_ += missed;
        next_ += missed * interval_;
    }
}

} // namespace morvane::app

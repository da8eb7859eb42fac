// The ticks a run takes its sample rows at. Rows fall on the multiples of K counted from the
// world's creation, so a run cut in two and resumed takes the very rows a straight run takes:
// a fresh world's run has rows at 0, K, 2K, ..., a resumed one at the multiples of K after
// the tick it resumes from; and each run has one at its last tick, a multiple of K or not.
// A resumed run of no ticks takes no row: its one tick is its start.
#pragma once

#include <cstdint>

namespace morvane::lab {

struct RowSchedule {
    std::uint64_t from = 0;  // ticks the world had run when the run began
    std::uint64_t to = 0;    // ticks it has run when the run ends, from..2^64-1
    std::uint64_t every = 1; // K, 1..2^64-1
    bool resumed = false;    // false: a fresh world, whose start (tick 0) is a row too

    // How many rows; saturates at 2^64 - 1.
    std::uint64_t Count() const;
    // The tick of row `index`, 0..Count() - 1.
    std::uint64_t Tick(std::uint64_t index) const;
    // The tick of the row after a row at `tick` (< to, and so a multiple of K).
    std::uint64_t After(std::uint64_t tick) const { return to - tick > every ? tick + every : to; }
};

// The last multiple of `every` at or before `tick`: where the last row of K ticks fell.
inline std::uint64_t LastRowAtOrBefore(std::uint64_t tick, std::uint64_t every)
{
    return tick / every * every;
}

} // namespace morvane::lab

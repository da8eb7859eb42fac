// Counted in multiples rather than stepped through, so a schedule of 2^64 - 1 rows costs
// nothing to size.
#include "lab/run/row_schedule.h"

namespace morvane::lab {

namespace {

constexpr std::uint64_t LargestCount = ~std::uint64_t{0};

struct Multiples {
    std::uint64_t first_index; // the first row of K at or after the run's first candidate is
                               // first_index * K
    std::uint64_t count;       // how many of them lie at or before `to`
};

Multiples MultiplesWithin(const RowSchedule& s)
{
    // A fresh world's first candidate is tick 0; a resumed one's the tick after its start.
    if (!s.resumed) {
        const std::uint64_t whole = s.to / s.every;
        return {0, whole == LargestCount ? LargestCount : whole + 1};
    }
    const std::uint64_t first_index = s.from / s.every + 1; // the multiples after `from`
    const std::uint64_t last_index = s.to / s.every;
    return {first_index, last_index >= first_index ? last_index - first_index + 1 : 0};
}

} // namespace

std::uint64_t RowSchedule::Count() const
{
    if (resumed && from == to) return 0; // no tick after the start to take a row at
    const Multiples m = MultiplesWithin(*this);
    const bool ends_on_multiple = m.count > 0 && to % every == 0;
    if (ends_on_multiple) return m.count;
    return m.count == LargestCount ? LargestCount : m.count + 1; // and the last tick
}

std::uint64_t RowSchedule::Tick(std::uint64_t index) const
{
    const Multiples m = MultiplesWithin(*this);
    return index < m.count ? (m.first_index + index) * every : to;
}

} // namespace morvane::lab

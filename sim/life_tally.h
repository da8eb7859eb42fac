// Who was born and who died among the animals, for anyone who wants to watch evolution at
// work. The tick reports here only when a tally is handed in; reporting never changes a
// world value or a draw, so a watched run and an unwatched one stay identical.
#pragma once

#include <cstdint>

namespace morvane {

struct LifeTally {
    std::int64_t born_by_breeding = 0; // a newborn that found a free slot
    std::int64_t born_by_top_up = 0;   // the newcomer of a thin population
    std::int64_t died_leaving = 0;     // a living animal that moved out of the world
    std::int64_t died_exhausted = 0;   // its last unit of energy spent
    std::int64_t died_paying = 0;      // paid for a birth, as breeder or as partner

    friend bool operator==(const LifeTally&, const LifeTally&) = default;
};

inline LifeTally operator+(const LifeTally& a, const LifeTally& b)
{
    return {a.born_by_breeding + b.born_by_breeding, a.born_by_top_up + b.born_by_top_up,
            a.died_leaving + b.died_leaving, a.died_exhausted + b.died_exhausted,
            a.died_paying + b.died_paying};
}

inline LifeTally operator-(const LifeTally& a, const LifeTally& b)
{
    return {a.born_by_breeding - b.born_by_breeding, a.born_by_top_up - b.born_by_top_up,
            a.died_leaving - b.died_leaving, a.died_exhausted - b.died_exhausted,
            a.died_paying - b.died_paying};
}

} // namespace morvane

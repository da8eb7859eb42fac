// How many were born and how many died among the animals, by kind.
#pragma once

#include <cstdint>

#include "sim/life_watcher.h"

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

// The simplest watcher: it counts into a tally.
class Tallying final : public LifeWatcher {
public:
    explicit Tallying(LifeTally& into) : into_(into) {}
    void Bred(const World&, int, const Parentage&) override { ++into_.born_by_breeding; }
    void ToppedUp(const World&, int) override { ++into_.born_by_top_up; }
    void Died(const World&, int, Death cause) override
    {
        ++(cause == Death::Left        ? into_.died_leaving
           : cause == Death::Exhausted ? into_.died_exhausted
                                       : into_.died_paying);
    }

private:
    LifeTally& into_;
};

} // namespace morvane

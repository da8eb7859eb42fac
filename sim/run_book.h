// A run's own records of who entered and who left: the births and deaths since the last
// statistics row, and the pedigree. Every program that runs a world through the core keeps them
// the same way, so a checkpoint from one goes on in another.
#pragma once

#include <cstdint>

#include "sim/life_watcher.h"
#include "sim/run_state.h"
#include "sim/tick.h"

namespace morvane {

// Told of each animal as it enters and dies, with its birth record.
class LifeStory {
public:
    // An animal entered `slot` of `world` as `record` describes; record.born_at is the tick.
    virtual void Entered(const World& /*world*/, int /*slot*/, const BirthRecord& /*record*/) {}
    // The living animal in `slot`, entered as `record` describes, died during tick `tick`; its
    // values are still in `world` as it lived with them.
    virtual void Died(const World& /*world*/, int /*slot*/, const BirthRecord& /*record*/,
                      Death /*cause*/, std::uint64_t /*tick*/)
    {
    }

protected:
    ~LifeStory() = default;
};

// A story nobody listens to.
class Untold final : public LifeStory {};

// One tick of `run`, kept in its books and told to `story`.
TickCounts RunBookedTick(RunState& run, LifeStory& story);

// A mouse release between ticks, as the window's handler delivers it, kept in the books.
// Returns the slot the newcomer took, or -1.
int DeliverRelease(RunState& run, std::int16_t button, float x, float y, LifeStory& story);

} // namespace morvane

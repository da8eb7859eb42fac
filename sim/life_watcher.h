// Who enters and who leaves the animals' table, told as the tick sees it happen, for anyone
// who wants to watch evolution at work: counting births and deaths, following lineages, or
// the mean of a trait event by event. The tick tells a watcher only when one is handed in,
// and telling never changes a world value or a draw, so a watched run and an unwatched one
// stay identical.
#pragma once

#include "sim/world.h"

namespace morvane {

// How a living animal came to die.
enum class Death {
    Left,      // it moved out of the world
    Exhausted, // its last unit of energy spent
    Paid,      // its energy went on a birth, as breeder or as partner
};

// A birth by breeding, in the values the rules computed it from. The newborn's trait is
// the midparent value plus the mutation, rounded to single precision as the table keeps it.
struct Parentage {
    int parent;  // the slot of the breeder, whose place the newborn takes
    int partner; // the slot of its partner; the breeder's own when it bred with itself
    double midparent_speed, midparent_turn; // the parents' mean, in double
    double speed_mutation, turn_mutation;   // the random shift, in [-0.5, 0.5)
};

class LifeWatcher {
public:
    // A newborn of `parentage` took `slot`; the parents have not yet paid for it.
    virtual void Bred(const World& /*world*/, int /*slot*/, const Parentage& /*parentage*/) {}
    // The newcomer of a thin population took `slot`.
    virtual void ToppedUp(const World& /*world*/, int /*slot*/) {}
    // The living animal in `slot` died, its values still as it lived with them.
    virtual void Died(const World& /*world*/, int /*slot*/, Death /*cause*/) {}

protected:
    ~LifeWatcher() = default; // watchers are owned by those who hand them in
};

} // namespace morvane

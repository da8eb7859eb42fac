// Who is who among the animals, and whence each came: an id for every animal as it enters the
// world (1, 2, 3, ... in the order of entry, never reused when its slot is) and the record of
// its birth. Kept beside the world, not in it: the rules never read it, and a world runs the
// same whether anyone keeps it or not.
#pragma once

#include <array>
#include <cstdint>

#include "sim/world.h"

namespace morvane {

enum class Origin : std::uint8_t {
    None,     // no animal has entered this slot yet
    Breeding, // born of two parents (or of one that bred with itself)
    TopUp,    // the newcomer of a thin population
    Release,  // placed by a left mouse release
};

struct BirthRecord {
    std::uint64_t id = 0;              // 1, 2, 3, ...; 0 for a slot never entered
    std::uint64_t parents[2] = {0, 0}; // the breeder's and the partner's ids (breeding)
    std::uint64_t born_at = 0;         // ticks run when it is first seen alive
    Origin origin = Origin::None;      //
    double midparent_speed = 0, midparent_turn = 0; // the parents' mean (breeding)
    double speed_mutation = 0, turn_mutation = 0;   // the random shift (breeding)

    friend bool operator==(const BirthRecord&, const BirthRecord&) = default;
};

struct Pedigree {
    std::array<BirthRecord, AnimalSlots> of_slot{}; // the last animal to enter each slot
    std::uint64_t entered = 0;                      // animals that have entered; the last id

    // A new animal took `slot`: it gets the next id; the rest of `record` is its own.
    const BirthRecord& Enter(int slot, BirthRecord record)
    {
        record.id = ++entered;
        return of_slot[slot] = record;
    }

    friend bool operator==(const Pedigree&, const Pedigree&) = default;
};

} // namespace morvane

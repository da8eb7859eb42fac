// The rules a world runs by: the constants of its spawning, its animals' behaviour and its
// plants' growth, gathered in one value that the tick is handed as it is handed the random
// source. A default Rules is the window's own, the only rules the window ever runs; every
// other front end may run a world under others (see rule_book.h for their names and ranges).
#pragma once

#include <cstdint>

namespace morvane {

struct Rules {
    std::int32_t mating_energy = 1000;     // a forager whose energy is above this turns to mating
    std::int32_t foraging_energy = 250;    // a mater whose energy is below this turns to foraging
    std::int32_t plant_energy = 3;         // energy gained per unit of the eaten plant's size
    std::int32_t birth_cost = 250;         // energy each parent pays for a birth, down to 0
    double speed_mutation = 0.5;           // half-width of the newborn's shift in speed
    double turn_mutation = 0.5;            // half-width of the newborn's shift in turning rate
    std::int32_t glances = 11;             // candidates an animal tests a tick for a nearer target
    std::int32_t upkeep = 1;               // energy a living animal spends a tick, down to 0
    std::int32_t newborn_energy_min = 200; // a newcomer's energy is min + a draw below spread
    std::int32_t newborn_energy_spread = 500;
    std::int32_t seeding_size = 100;      // a plant seeds when its size passes this
    std::int32_t regrowth_spread = 20;    // a seeding plant's new size is a draw below this
    std::int32_t seedling_spread = 40;    // a seedling's size is 1 + a draw below this
    std::int32_t far_seed_chance = 200;   // one seeding in this many also seeds anywhere
    std::int32_t top_up_chance = 100;     // a thin population gains a newcomer 1 tick in this many
    std::int32_t animal_top_up_below = 3; // ...while fewer than this many animals live
    std::int32_t plant_top_up_below = 5;  // ...while fewer than this many plants live
    double newcomer_speed = 0.5;          // speed of an animal of the top-up
    double newcomer_turn = 0.5;           // turning rate of an animal of the top-up

    bool operator==(const Rules&) const = default;
};

// The window's rules.
inline constexpr Rules WindowRules{};

// The most candidates an animal may glance at in one tick.
inline constexpr int MostGlances = 64;

} // namespace morvane

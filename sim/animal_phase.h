// The animal pass of a tick: every slot is erased, stepped, killed at the edge, run through its
// mode (foraging or mating), turned towards its target, tired and drawn.
#pragma once

#include "display/canvas.h"
#include "sim/life_watcher.h"
#include "sim/random_source.h"
#include "sim/world.h"

namespace morvane {

inline constexpr int FeedUpEnergy = 1000;   // strictly above: a forager turns to mating
inline constexpr int ExhaustedEnergy = 250; // strictly below: a mater turns back to foraging
inline constexpr int BirthCost = 250;       // paid by each parent, floored at 0
inline constexpr int EnergyPerPlantSize = 3;
inline constexpr int CandidatesPerTick = 11; // slots glanced at for a nearer target
inline constexpr int AnimalTopUpBelow = 3;   // fewer living animals than this invites a newcomer

inline constexpr Colour AnimalColour = Rgb(255, 50, 0);

// Advances animal slots 0..250 in order and then tops up a thin population (1 in 100 per
// tick). Returns the animals alive during the pass, 0..251, not counting the newcomer.
// Births and deaths are told to `watcher` as they happen, when one is given.
int AnimalPhase(World& world, RandomSource& random, Canvas& space, LifeWatcher* watcher = nullptr);

} // namespace morvane

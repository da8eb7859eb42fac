// Births: every new animal and plant, whatever its origin, enters through these two calls.
#pragma once

#include "sim/random_source.h"
#include "sim/rules.h"
#include "sim/world.h"

namespace morvane {

// Puts a newcomer into the lowest free animal slot at (x, y), world pixels, unclamped, with
// a random heading in [0, 2pi) and newborn-energy-min plus a draw below newborn-energy-spread
// (200..699 in the window's rules) of energy (two draws, heading first). The slot keeps
// its previous occupant's mode and target. A full table refuses silently and draws nothing.
// Returns the slot taken, or -1 when the table was full.
int AddAnimal(World& world, RandomSource& random, const Rules& rules, double x, double y,
              double turn, double speed);

// Puts a newcomer into the lowest free plant slot at (x, y) rounded ties-to-even to whole
// pixels, with size 1 plus a draw below seedling-spread (1..40 in the window's rules). A full table
// refuses silently and draws nothing. Returns the slot taken, or -1 when the table was full.
int AddPlant(World& world, RandomSource& random, const Rules& rules, double x, double y);

} // namespace morvane

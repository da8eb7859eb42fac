// The world's rules as plainly as they can be written: one tick of the whole world under the
// rules it is given, with the library's sine, cosine, arc tangent and square root, every step
// in the order the rules give.
// Slow on purpose; the core's fast tick must leave the world, both canvases and the random
// source exactly as this does, after every tick.
#pragma once

#include <cstdint>

#include "display/canvas.h"
#include "sim/random_source.h"
#include "sim/rules.h"
#include "sim/tick.h"
#include "sim/world.h"

namespace morvane::reference {

// Births: the lowest free slot, or nothing (and no draw) when the table is full. Return the
// slot taken, or -1.
int AddAnimal(World& world, RandomSource& random, const Rules& rules, double x, double y,
              double turn, double speed);
int AddPlant(World& world, RandomSource& random, const Rules& rules, double x, double y);

// How a target at (tx, ty) lies from an animal at (x, y) heading `heading`: its distance and
// the signed angle by which the heading misses it (only the sign steers).
struct Fix {
    double distance;
    double bearing_delta;
};
Fix Measure(float tx, float ty, float x, float y, float heading);

// One animal's behaviour for this tick in each mode; return the bearing delta it steers by.
double Forage(World& world, RandomSource& random, const Rules& rules, Canvas& space, int i);
double Mate(World& world, RandomSource& random, const Rules& rules, Canvas& space, int i);

// The passes and the graph, each returning what the core's version returns.
int AnimalPhase(World& world, RandomSource& random, const Rules& rules, Canvas& space);
int PlantPhase(World& world, RandomSource& random, const Rules& rules, Canvas& space);
void GraphUpdate(World& world, RandomSource& random, Canvas& graph, int plants, int animals);

TickCounts RunTick(World& world, RandomSource& random, const Rules& rules, Canvas& space,
                   Canvas& graph);

// A mouse release on the world canvas: left adds a slow animal there, right a plant, any other
// button nothing. Returns the slot the newcomer took, or -1.
int space_MouseUp(World& world, RandomSource& random, const Rules& rules, std::int16_t button,
                  std::int16_t shift, float x, float y);

} // namespace morvane::reference

// The world's answer to a mouse release on the world canvas, shared by the window program
// and by morvane-lab's events so both deliver a click identically.
#pragma once

#include <cstdint>

#include "sim/random_source.h"
#include "sim/world.h"

namespace morvane {

inline constexpr std::int16_t LeftButton = 1;
inline constexpr std::int16_t RightButton = 2;

// button: 1 left, 2 right, anything else does nothing; shift (modifier keys) is ignored;
// x, y in world canvas pixels, used unchanged even off the world. Left adds a slow newcomer
// (turn 0.5, speed 0.3), right a plant. Returns the slot the newcomer took in its table, or -1
// when nothing was born (a full table, another button).
int space_MouseUp(World& world, RandomSource& random, std::int16_t button, std::int16_t shift,
                  float x, float y);

} // namespace morvane

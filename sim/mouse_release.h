// The world's answer to a mouse release on the world canvas, shared by the window program
// and by morvane-lab's events so both deliver a click identically.
#pragma once

#include <cstdint>

#include "sim/random_source.h"
#include "sim/rules.h"
#include "sim/world.h"

namespace morvane {

// The code of the released button, one bit per button as the window delivers it to the
// world canvas's handler. Only left and right mean anything to the world; the others are
// passed on all the same, so the handler sees every release.
inline constexpr std::int16_t NoButton = 0; // a button the window has no code for
inline constexpr std::int16_t LeftButton = 1;
inline constexpr std::int16_t RightButton = 2;
inline constexpr std::int16_t MiddleButton = 4;
inline constexpr std::int16_t X1Button = 8; // the side buttons ("back" and "forward")
inline constexpr std::int16_t X2Button = 16;

// button: one of the codes above, or any other value (which does nothing); shift (modifier
// keys) is ignored; x, y in world canvas pixels, used unchanged even off the world. Left adds
// a slow newcomer (turn 0.5, speed 0.3, whatever the rules), right a plant. Returns the slot the
// newcomer took in its table, or -1 when nothing was born (a full table, another button).
int space_MouseUp(World& world, RandomSource& random, const Rules& rules, std::int16_t button,
                  std::int16_t shift, float x, float y);

} // namespace morvane

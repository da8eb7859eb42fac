// Nothing is drawn here: a newcomer appears when the next tick's pass visits its slot.
#include "sim/mouse_release.h"

#include "sim/spawning.h"

namespace morvane {

int space_MouseUp(World& world, RandomSource& random, const Rules& rules, std::int16_t button,
                  std::int16_t /*shift*/, float x, float y)
{
    if (button == LeftButton) return AddAnimal(world, random, rules, x, y, 0.5, 0.3);
    if (button == RightButton) return AddPlant(world, random, rules, x, y);
    return -1;
}

} // namespace morvane

// Rules drawn for the checks: every rule somewhere in its range, now and then at either end of
// it, the set made to hold together. The fast and the plain tick are held to each other under
// such sets, and the world's fuzzer and soak run worlds under them.
#pragma once

#include "sim/random_source.h"
#include "sim/rules.h"

namespace morvane {

// Draws from `draws`, a source of its own, never a world's.
Rules DrawRules(RandomSource& draws);

} // namespace morvane

// Where two copies of the world part ways: the first field, slot or pixel in which one differs
// from the other, bit for bit, so a -0 is not a 0 and one NaN pattern is not another.
#pragma once

#include <optional>
#include <string>

#include "display/canvas.h"
#include "sim/random_source.h"
#include "sim/world.h"

namespace morvane::reference {

// One copy of everything a tick changes.
struct Run {
    const World& world;
    const RandomSource& random;
    const Canvas& space;
    const Canvas& graph;
};

// Nothing when the two are the same in every bit; else the first difference, looked for in
// the tables first, then the sweep, the random sources, the world canvas and the graph. In a
// table it is the lowest slot that differs, with every field that differs there, such as
// "animal slot 17: heading 0x1.8p+1 (bits 40400000) in the core, 0x1.80002p+1 (bits 40400010)
// in the reference".
std::optional<std::string> FirstDifference(const Run& core, const Run& reference);

// The same for the world and the random source alone, for the moments nothing is drawn.
std::optional<std::string> FirstDifference(const World& core_world, const RandomSource& core_random,
                                           const World& reference_world,
                                           const RandomSource& reference_random);

} // namespace morvane::reference

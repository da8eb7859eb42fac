// One step of the whole simulation: animals, then plants, then the graph.
#pragma once

#include "display/canvas.h"
#include "sim/life_watcher.h"
#include "sim/random_source.h"
#include "sim/rules.h"
#include "sim/world.h"

namespace morvane {

// What one tick's two passes counted, before either top-up.
struct TickCounts {
    int animals; // 0..251
    int plants;  // 0..501
};

// Advances the world by one tick under `rules`, drawing on `space` and `graph`. Animals always
// see the plants as the previous tick left them; plants eaten this tick are already free.
// Births and deaths among the animals are told to `watcher` as they happen, when one is given.
TickCounts RunTick(World& world, RandomSource& random, const Rules& rules, Canvas& space,
                   Canvas& graph, LifeWatcher* watcher = nullptr);

} // namespace morvane

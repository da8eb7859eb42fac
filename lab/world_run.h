// One world run from start to end, with the scripted releases delivered between ticks and a
// statistics row taken every K ticks for whoever watches.
#pragma once

#include <cstdint>
#include <vector>

#include "display/canvas.h"
#include "lab/events_file.h"
#include "lab/progress_meter.h"
#include "lab/stats_table.h"
#include "sim/life_tally.h"
#include "sim/random_source.h"
#include "sim/tick.h"
#include "sim/world.h"

namespace morvane::lab {

struct RunPlan {
    std::uint64_t ticks = 0; // ticks to run, 0..2^64-1
    std::uint64_t every = 0; // ticks between statistics rows, 1..2^64-1; 0 takes no rows
    const std::vector<ScriptedRelease>* releases = nullptr; // ordered by after_ticks, or none
};

// What a run saw pass by; the default watches nothing.
class RunWatcher {
public:
    virtual ~RunWatcher() = default;
    // After each tick t = 1..N, with the counts its passes took.
    virtual void Ticked(std::uint64_t /*tick*/, const TickCounts& /*counts*/) {}
    // At ticks 0, K, 2K, ... and at N when N is not a multiple of K; after that tick's
    // releases, so the row describes the world a --state-out of that many ticks would hold.
    virtual void Row(const StatsRow& /*row*/) {}
};

// Totals over the whole run.
struct RunTotals {
    LifeTally tally;                     // every birth and death the ticks reported
    std::int64_t born_by_events = 0;     // left releases that placed an animal
    std::uint64_t ticks_below_three = 0; // ticks whose animal pass counted fewer than 3 animals
};

// How many rows a run of `ticks` takes every `every` ticks (1 or more): ticks 0, K, 2K, ...
// and a last one at N when N is not a multiple of K. Saturates at 2^64 - 1.
std::uint64_t RowCount(std::uint64_t ticks, std::uint64_t every);

// The tick of row `index` (0..RowCount - 1).
std::uint64_t RowTick(std::uint64_t index, std::uint64_t ticks, std::uint64_t every);

// Runs the plan on `world` from `random`, drawing on the two canvases. Reports progress to
// `progress` (when given) every ProgressMeter::Stride ticks.
RunTotals RunWorld(const RunPlan& plan, World& world, RandomSource& random, Canvas& space,
                   Canvas& graph, RunWatcher& watcher, ProgressMeter* progress);

} // namespace morvane::lab

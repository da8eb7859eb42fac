// The tick loop every run goes through, one world or many: the scripted releases delivered
// between ticks, the ticks, a sample row every K ticks, and reports of each to a listener.
// It knows nothing of files or formats; the outputs listen and take what they asked for.
#pragma once

#include <cstdint>
#include <vector>

#include "display/canvas.h"
#include "lab/animal_census.h"
#include "lab/events_file.h"
#include "lab/progress_meter.h"
#include "sim/life_tally.h"
#include "sim/random_source.h"
#include "sim/tick.h"
#include "sim/world.h"

namespace morvane::lab {

struct RunPlan {
    std::uint64_t ticks = 0; // ticks to run, 0..2^64-1
    std::uint64_t every = 0; // ticks between sample rows, 1..2^64-1; 0 takes no rows
    const std::vector<ScriptedRelease>* releases = nullptr; // ordered by after_ticks, or none
};

// The world at a row's tick, and what happened since the row before.
struct SampleRow {
    std::uint64_t tick = 0;          // ticks run, 0..N; the world after that tick's releases
    int plants = 0;                  // living plants, 0..501
    AnimalCensus animals;            // the living animals (animals.living is the count)
    LifeTally since;                 // births and deaths since the previous row (none at 0)
    std::int64_t born_by_events = 0; // left releases that placed an animal, since the previous row
};

// What a run reports as it goes; each report is ignored unless overridden.
class RunListener {
public:
    virtual ~RunListener() = default;
    // A scripted release delivered after `release.after_ticks` ticks; `slot` is where its
    // newcomer went, or -1 when none was born.
    virtual void Released(const ScriptedRelease& /*release*/, int /*slot*/) {}
    // After each tick t = 1..N, with the counts its passes took.
    virtual void Ticked(std::uint64_t /*tick*/, const TickCounts& /*counts*/) {}
    // At ticks 0, K, 2K, ... and at N when N is not a multiple of K; after that tick's
    // releases, so the row describes the world a state dump of that many ticks would hold.
    virtual void RowDue(const SampleRow& /*row*/) {}
};

// Passes every report on to each of several listeners, in order.
class Listeners : public RunListener {
public:
    void Add(RunListener& listener) { listeners_.push_back(&listener); }
    void Released(const ScriptedRelease& release, int slot) override;
    void Ticked(std::uint64_t tick, const TickCounts& counts) override;
    void RowDue(const SampleRow& row) override;

private:
    std::vector<RunListener*> listeners_;
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

// Runs the plan on `world` from `random`, drawing on the two canvases and reporting to
// `listener`. Reports progress to `progress` (when given) every ProgressMeter::Stride ticks.
RunTotals RunTicks(const RunPlan& plan, World& world, RandomSource& random, Canvas& space,
                   Canvas& graph, RunListener& listener, ProgressMeter* progress);

} // namespace morvane::lab

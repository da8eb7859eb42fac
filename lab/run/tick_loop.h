// The tick loop every run goes through, one world or many, fresh or resumed: the scripted
// releases delivered between ticks, the ticks, a sample row every K ticks, and reports of each
// to a listener. It knows nothing of files or formats; the outputs listen and take what they
// asked for.
#pragma once

#include <cstdint>
#include <vector>

#include "lab/command/events_file.h"
#include "lab/run/animal_census.h"
#include "lab/run/progress_meter.h"
#include "lab/run/row_schedule.h"
#include "lab/run/stop_flag.h"
#include "sim/life_tally.h"
#include "sim/life_watcher.h"
#include "sim/run_book.h"
#include "sim/run_state.h"
#include "sim/tick.h"
#include "sim/world_run.h"

namespace morvane::lab {

struct RunPlan {
    std::uint64_t to = 0;    // the ticks the world will have run when the run ends
    std::uint64_t every = 1; // K: rows at the multiples of K, 1..2^64-1
    bool take_rows = false;  // report the rows; births and deaths are carried from row to row
                             // either way, so a checkpoint can go on with them
    bool resumed = false;    // the state is a kept world whose releases up to now are delivered
    const std::vector<ScriptedRelease>* releases = nullptr; // ordered by after_ticks, or none
    // Set, by a signal, to stop the run at the end of a tick; nullptr: the run is never stopped.
    StopFlag stop = {};
};

// The world at a row's tick, and what happened since the row before.
struct SampleRow {
    std::uint64_t tick = 0;          // ticks run; the world after that tick's releases
    int plants = 0;                  // living plants, 0..501
    AnimalCensus animals;            // the living animals (animals.living is the count)
    LifeTally since;                 // births and deaths since the previous row (none at 0)
    std::int64_t born_by_events = 0; // left releases that placed an animal, since the previous row
    const World* world = nullptr;    // the world itself, for outputs that look further
};

// What a run reports as it goes; each report is ignored unless overridden.
// Besides the births and deaths of a LifeStory, with their ids and ticks:
class RunListener : public LifeStory {
public:
    virtual ~RunListener() = default;
    // Before anything else, the run as it starts (fresh, or a kept world going on) and the
    // plan it follows.
    virtual void Began(const RunState& /*run*/, const RunPlan& /*plan*/) {}
    // A scripted release delivered after `release.after_ticks` ticks; `slot` is where its
    // newcomer went, or -1 when none was born.
    virtual void Released(const ScriptedRelease& /*release*/, int /*slot*/) {}
    // After each tick, numbered from the world's creation, with the counts its passes took.
    virtual void Ticked(std::uint64_t /*tick*/, const TickCounts& /*counts*/) {}
    // At the ticks of the run's RowSchedule, after that tick's releases, so the row describes
    // the world a state dump of that many ticks would hold.
    virtual void RowDue(const SampleRow& /*row*/) {}
    // After each tick, once its releases are delivered and its row reported: the run as a
    // checkpoint of `run.ticks_run` ticks would keep it.
    virtual void Settled(const RunState& /*run*/) {}
};

// Passes every report on to each of several listeners, in order.
class Listeners : public RunListener {
public:
    void Add(RunListener& listener) { listeners_.push_back(&listener); }
    void Began(const RunState& run, const RunPlan& plan) override;
    void Entered(const World& world, int slot, const BirthRecord& record) override;
    void Died(const World& world, int slot, const BirthRecord& record, Death cause,
              std::uint64_t tick) override;
    void Released(const ScriptedRelease& release, int slot) override;
    void Ticked(std::uint64_t tick, const TickCounts& counts) override;
    void RowDue(const SampleRow& row) override;
    void Settled(const RunState& run) override;

private:
    std::vector<RunListener*> listeners_;
};

// Totals over this run alone, whatever the world did before it.
struct RunTotals {
    LifeTally tally;                     // every birth and death the ticks reported
    std::int64_t born_by_events = 0;     // left releases that placed an animal
    std::uint64_t ticks_below_three = 0; // ticks whose animal pass counted fewer than 3 animals
    bool stopped = false;                // the stop flag ended the run before plan.to
};

// The rows the plan takes from `from` ticks on.
RowSchedule RowsOf(const RunPlan& plan, std::uint64_t from);

// Runs `run` on to plan.to ticks, reporting to `listener`, and to `progress` (when given)
// every ProgressMeter::Stride ticks. Stops early at the end of a tick when the plan's stop
// flag is set; `run` is then the whole state of its last tick.
RunTotals RunTicks(const RunPlan& plan, WorldRun& run, RunListener& listener,
                   ProgressMeter* progress);

} // namespace morvane::lab

// Listening only reads: the tally and the census never feed back into the world, so a run
// with outputs reaches the very world one without them does. The births and deaths since
// the last row live in the run's state, not in the loop, so a run kept and resumed counts
// its rows across the split.
#include "lab/run/tick_loop.h"

#include "sim/animal_phase.h"
#include "sim/mouse_release.h"

namespace morvane::lab {

void Listeners::Began(const RunState& run, const RunPlan& plan)
{
    for (RunListener* listener : listeners_)
        listener->Began(run, plan);
}

void Listeners::Entered(const World& world, int slot, const BirthRecord& record)
{
    for (RunListener* listener : listeners_)
        listener->Entered(world, slot, record);
}

void Listeners::Died(const World& world, int slot, const BirthRecord& record, Death cause,
                     std::uint64_t tick)
{
    for (RunListener* listener : listeners_)
        listener->Died(world, slot, record, cause, tick);
}

void Listeners::Released(const ScriptedRelease& release, int slot)
{
    for (RunListener* listener : listeners_)
        listener->Released(release, slot);
}

void Listeners::Ticked(std::uint64_t tick, const TickCounts& counts)
{
    for (RunListener* listener : listeners_)
        listener->Ticked(tick, counts);
}

void Listeners::RowDue(const SampleRow& row)
{
    for (RunListener* listener : listeners_)
        listener->RowDue(row);
}

void Listeners::Settled(const RunState& run)
{
    for (RunListener* listener : listeners_)
        listener->Settled(run);
}

RowSchedule RowsOf(const RunPlan& plan, std::uint64_t from)
{
    return {from, plan.to, plan.every, plan.resumed};
}

RunTotals RunTicks(const RunPlan& plan, WorldRun& world_run, RunListener& listener,
                   ProgressMeter* progress)
{
    RunState& run = world_run.State();
    const std::vector<ScriptedRelease> none;
    const std::vector<ScriptedRelease>& releases = plan.releases ? *plan.releases : none;
    const std::uint64_t from = run.ticks_run;
    const RowSchedule rows = RowsOf(plan, from);
    RunTotals totals;
    // The run's own births and deaths are what the carried counts gain: before each row of K
    // ticks empties them, and at the end.
    const LifeTally carried_in = run.since_row;
    bool rows_left = rows.Count() > 0;
    std::uint64_t next_row = rows_left ? rows.Tick(0) : 0;
    std::uint64_t unreported = 0;

    // A resumed world has had every release up to its tick count delivered already.
    auto next = releases.begin();
    listener.Began(run, plan);
    while (next != releases.end() &&
           (next->after_ticks < from || (plan.resumed && next->after_ticks == from)))
        ++next;

    for (std::uint64_t t = from;; ++t) {
        for (; next != releases.end() && next->after_ticks == t; ++next) {
            const int slot = world_run.Release(next->button, next->x, next->y, listener);
            if (slot >= 0 && next->button == LeftButton) ++totals.born_by_events;
            listener.Released(*next, slot);
        }
        if (rows_left && t == next_row) {
            if (plan.take_rows) {
                SampleRow row;
                row.tick = t;
                row.plants = LivingPlants(run.world);
                row.animals = TakeCensus(run.world);
                row.since = run.since_row;
                row.born_by_events = run.born_by_events_since_row;
                row.world = &run.world;
                listener.RowDue(row);
            }
            // The last row need not fall on a multiple of K; the counts then run on to the
            // next one, where a resumed run takes its row.
            if (t % plan.every == 0) totals.tally = totals.tally + CloseRow(run).tally;
            rows_left = t != plan.to;
            next_row = rows_left ? rows.After(t) : 0;
        }
        if (t != from) listener.Settled(run);
        if (t == plan.to) break;
        if (plan.stop.Raised()) {
            totals.stopped = true;
            break;
        }
        const TickCounts counts = world_run.Tick(listener);
        if (counts.animals < 3) ++totals.ticks_below_three; // the summary's ticks_below_3_animals
        listener.Ticked(t + 1, counts);
        if (progress && ++unreported == ProgressMeter::Stride) {
            progress->Add(unreported);
            unreported = 0;
        }
    }
    if (progress) progress->Add(unreported);
    totals.tally = totals.tally + run.since_row - carried_in;
    return totals;
}

} // namespace morvane::lab

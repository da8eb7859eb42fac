// Listening only reads: the tally and the census never feed back into the world, so a run
// with outputs reaches the very world one without them does.
#include "lab/tick_loop.h"

#include "sim/animal_phase.h"
#include "sim/mouse_release.h"

namespace morvane::lab {

namespace {

constexpr std::uint64_t LargestCount = ~std::uint64_t{0};

LifeTally Difference(const LifeTally& now, const LifeTally& then)
{
    return {now.born_by_breeding - then.born_by_breeding, now.born_by_top_up - then.born_by_top_up,
            now.died_leaving - then.died_leaving, now.died_exhausted - then.died_exhausted,
            now.died_paying - then.died_paying};
}

} // namespace

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

std::uint64_t RowCount(std::uint64_t ticks, std::uint64_t every)
{
    const std::uint64_t whole = ticks / every;
    const std::uint64_t extra = ticks % every == 0 ? 1 : 2; // row 0, and the partial last one
    return whole > LargestCount - extra ? LargestCount : whole + extra;
}

std::uint64_t RowTick(std::uint64_t index, std::uint64_t ticks, std::uint64_t every)
{
    // Every row but the last lies at index * K <= N; the last is N itself.
    return index < RowCount(ticks, every) - 1 ? index * every : ticks;
}

RunTotals RunTicks(const RunPlan& plan, World& world, RandomSource& random, Canvas& space,
                   Canvas& graph, RunListener& listener, ProgressMeter* progress)
{
    const std::vector<ScriptedRelease> none;
    const std::vector<ScriptedRelease>& releases = plan.releases ? *plan.releases : none;
    RunTotals totals;
    LifeTally at_last_row;
    std::int64_t events_at_last_row = 0;
    std::uint64_t next_row = 0; // counting up without overflow: it never passes plan.ticks
    std::uint64_t unreported = 0;

    auto next = releases.begin();
    for (std::uint64_t t = 0;; ++t) {
        for (; next != releases.end() && next->after_ticks == t; ++next) {
            const int slot = space_MouseUp(world, random, next->button, 0, next->x, next->y);
            if (slot >= 0 && next->button == LeftButton) ++totals.born_by_events;
            listener.Released(*next, slot);
        }
        if (plan.every > 0 && t == next_row) {
            SampleRow row;
            row.tick = t;
            row.plants = LivingPlants(world);
            row.animals = TakeCensus(world);
            row.since = Difference(totals.tally, at_last_row);
            row.born_by_events = totals.born_by_events - events_at_last_row;
            listener.RowDue(row);
            at_last_row = totals.tally;
            events_at_last_row = totals.born_by_events;
            next_row = plan.ticks - t > plan.every ? t + plan.every : plan.ticks;
        }
        if (t == plan.ticks) break;
        const TickCounts counts = RunTick(world, random, space, graph, &totals.tally);
        if (counts.animals < AnimalTopUpBelow) ++totals.ticks_below_three;
        listener.Ticked(t + 1, counts);
        if (progress && ++unreported == ProgressMeter::Stride) {
            progress->Add(unreported);
            unreported = 0;
        }
    }
    if (progress) progress->Add(unreported);
    return totals;
}

} // namespace morvane::lab

// The books keep only what the tick tells them; they never feed back into the world, so a
// world kept in books runs exactly as one that is not.
#include "sim/run_book.h"

#include "sim/life_tally.h"
#include "sim/mouse_release.h"

namespace morvane {

namespace {

class Bookkeeper final : public LifeWatcher {
public:
    Bookkeeper(RunState& run, LifeStory& story, std::uint64_t tick)
        : run_(run), story_(story), tick_(tick)
    {
    }

    void Bred(const World& world, int slot, const Parentage& p) override
    {
        ++run_.since_row.born_by_breeding;
        const Pedigree& pedigree = run_.pedigree;
        Enter(world, slot,
              {.parents = {pedigree.of_slot[p.parent].id, pedigree.of_slot[p.partner].id},
               .origin = Origin::Breeding,
               .midparent_speed = p.midparent_speed,
               .midparent_turn = p.midparent_turn,
               .speed_mutation = p.speed_mutation,
               .turn_mutation = p.turn_mutation});
    }
    void ToppedUp(const World& world, int slot) override
    {
        ++run_.since_row.born_by_top_up;
        Enter(world, slot, {.origin = Origin::TopUp});
    }
    void Died(const World& world, int slot, Death cause) override
    {
        Tallying(run_.since_row).Died(world, slot, cause);
        story_.Died(world, slot, run_.pedigree.of_slot[slot], cause, tick_);
    }
    void Released(const World& world, int slot)
    {
        ++run_.born_by_events_since_row;
        Enter(world, slot, {.origin = Origin::Release});
    }

private:
    void Enter(const World& world, int slot, BirthRecord record)
    {
        record.born_at = tick_;
        story_.Entered(world, slot, run_.pedigree.Enter(slot, record));
    }

    RunState& run_;
    LifeStory& story_;
    std::uint64_t tick_; // the ticks run once the tick in progress is over
};

} // namespace

TickCounts RunBookedTick(RunState& run, LifeStory& story)
{
    Bookkeeper books(run, story, run.ticks_run + 1);
    const TickCounts counts =
        RunTick(run.world, run.random, run.rules, run.space, run.graph, &books);
    ++run.ticks_run;
    return counts;
}

int DeliverRelease(RunState& run, std::int16_t button, float x, float y, LifeStory& story)
{
    const int slot = space_MouseUp(run.world, run.random, run.rules, button, 0, x, y);
    if (slot >= 0 && button == LeftButton)
        Bookkeeper(run, story, run.ticks_run).Released(run.world, slot);
    return slot;
}

} // namespace morvane

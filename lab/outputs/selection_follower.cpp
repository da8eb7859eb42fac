// Each part is worked out from the mean as the events before it left it, so the parts are the
// steps of one walk from the mean at one row to the mean at the next, and add up to its change
// up to rounding. Each window starts again from the census of its first row, so no rounding
// carries from one window into the next.
#include "lab/outputs/selection_follower.h"

#include "lab/run/animal_census.h"

namespace morvane::lab {

void SelectionFollower::StartWindow(std::uint64_t tick, const AnimalCensus& census)
{
    since_tick_ = tick;
    animals_before_ = living_ = census.living;
    passed_empty_ = census.living == 0;
    speed_ = {census.speed.mean, {.mean_before = census.speed.mean}};
    turn_ = {census.turn.mean, {.mean_before = census.turn.mean}};
}

void SelectionFollower::Began(const RunState& run, const RunPlan& /*plan*/)
{
    StartWindow(run.ticks_run, TakeCensus(run.world));
}

void SelectionFollower::Entered(const World& world, int slot, const BirthRecord& record)
{
    const double n = living_++;
    if (passed_empty_) return;
    const bool bred = record.origin == Origin::Breeding;
    auto follow = [&](Following& f, float value, double midparent) {
        const double v = value;
        if (bred) {
            const double selection = (midparent - f.mean) / (n + 1);
            const double mutation = (v - midparent) / (n + 1);
            f.movement.selection += selection;
            f.movement.mutation += mutation;
            f.mean += selection + mutation;
        } else {
            const double arrival = (v - f.mean) / (n + 1);
            f.movement.arrivals += arrival;
            f.mean += arrival;
        }
    };
    follow(speed_, world.animals.speed[slot], record.midparent_speed);
    follow(turn_, world.animals.turn[slot], record.midparent_turn);
}

void SelectionFollower::Died(const World& world, int slot, const BirthRecord& /*record*/,
                             Death cause, std::uint64_t /*tick*/)
{
    const double n = living_--;
    if (living_ == 0) passed_empty_ = true;
    if (passed_empty_) return;
    auto follow = [&](Following& f, float value) {
        const double part = (f.mean - value) / (n - 1);
        double& by_cause = cause == Death::Left        ? f.movement.left
                           : cause == Death::Exhausted ? f.movement.exhausted
                                                       : f.movement.paid;
        by_cause += part;
        f.mean += part;
    };
    follow(speed_, world.animals.speed[slot]);
    follow(turn_, world.animals.turn[slot]);
}

void SelectionFollower::RowDue(const SampleRow& row)
{
    if (row.tick > since_tick_) {
        SelectionWindow window{row.tick, animals_before_, row.animals.living, speed_.movement,
                               turn_.movement};
        const bool followed = !passed_empty_ && row.animals.living > 0;
        auto close = [&](TraitMovement& m, double mean_after) {
            m.followed = followed;
            m.mean_after = mean_after;
            m.change = mean_after - m.mean_before;
        };
        close(window.speed, row.animals.speed.mean);
        close(window.turn, row.animals.turn.mean);
        window_done_(window);
    }
    StartWindow(row.tick, row.animals);
}

} // namespace morvane::lab

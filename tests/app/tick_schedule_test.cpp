// The click timer keeps 100 firings a second on its grid, and a late wake-up never makes
// up the firings it missed.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/tick_schedule.h"

namespace morvane::app {
namespace {

// Runs a schedule the way the window's loop does: sleep until due, wake `late[i]` ms after
// that, fire once. Returns the times of the firings.
std::vector<std::uint64_t> Drive(TickSchedule& schedule, std::uint64_t now, std::uint64_t until,
                                 const std::vector<std::uint64_t>& late)
{
    std::vector<std::uint64_t> fired_at;
    for (std::size_t i = 0;; ++i) {
        now += schedule.MsUntilDue(now) + late[i % late.size()];
        if (now > until) return fired_at;
        EXPECT_TRUE(schedule.Due(now));
        schedule.Fire(now);
        fired_at.push_back(now);
    }
}

TEST(TickSchedule, TheFirstFiringComesOneIntervalAfterTheWindowOpens)
{
    TickSchedule schedule(5000);
    EXPECT_FALSE(schedule.Due(5009));
    EXPECT_EQ(schedule.MsUntilDue(5000), 10u);
    EXPECT_EQ(schedule.MsUntilDue(5007), 3u);
    EXPECT_TRUE(schedule.Due(5010));
    EXPECT_EQ(schedule.MsUntilDue(5012), 0u);
}

TEST(TickSchedule, WakingALittleLateEveryTimeCostsNoRate)
{
    for (std::uint64_t late : {0u, 1u, 4u, 9u}) {
        TickSchedule schedule(0);
        const auto fired = Drive(schedule, 0, 10'000 + late, {late});
        EXPECT_EQ(fired.size(), 1000u) << late;
        EXPECT_EQ(schedule.Dropped(), 0u) << late;
    }
}

TEST(TickSchedule, ALateWakeUpFiresOnceAndDropsWhatItMissed)
{
    TickSchedule schedule(0);
    schedule.Fire(10);
    schedule.Fire(55); // due at 20; 30, 40 and 50 went by
    EXPECT_EQ(schedule.Fired(), 2u);
    EXPECT_EQ(schedule.Dropped(), 3u);
    EXPECT_FALSE(schedule.Due(55)); // no burst to catch up
    EXPECT_EQ(schedule.MsUntilDue(55), 5u);

    // One whole interval late is already a missed firing.
    schedule.Fire(70);
    EXPECT_EQ(schedule.Dropped(), 4u);
    EXPECT_EQ(schedule.MsUntilDue(70), 10u);
}

TEST(TickSchedule, AStallLosesOnlyItsOwnFirings)
{
    TickSchedule schedule(0);
    // Every tenth wake-up comes 45 ms late: four firings lost each time.
    std::vector<std::uint64_t> late(10, 0);
    late[9] = 45;
    const auto fired = Drive(schedule, 0, 10'000, late);
    EXPECT_EQ(fired.size() + schedule.Dropped(), 1000u);
    EXPECT_GT(schedule.Dropped(), 0u);
    for (std::size_t i = 1; i < fired.size(); ++i)
        EXPECT_GE(fired[i] - fired[i - 1], 5u);
}

} // namespace
} // namespace morvane::app

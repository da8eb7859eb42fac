// Every front end drives a world through the core's one way of running it, so a fault here
// would show in all of them at once: a world stepped in pieces that differs from one stepped
// whole, a row closed at the wrong tick (and a checkpoint that resumes elsewhere with other
// statistics), a release by name that is not the window's, or a refusal worded two ways.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "sim/checkpoint.h"
#include "sim/mouse_release.h"
#include "sim/number_text.h"
#include "sim/world_hash.h"
#include "sim/world_run.h"

namespace morvane {
namespace {

std::string RefusalOf(const auto& attempt)
{
    try {
        attempt();
    } catch (const RunRefused& refused) {
        return refused.what();
    }
    return "(not refused)";
}

TEST(WorldRun, SteppedInPiecesOrStoppedAndGoneOnItIsTheWorldSteppedWhole)
{
    WorldRun whole = WorldRun::Fresh(9);
    EXPECT_EQ(whole.Step(10'000), 10'000u);

    WorldRun pieces = WorldRun::Fresh(9);
    for (std::uint64_t piece : {1u, 99u, 4096u, 4097u, 1707u})
        pieces.Step(piece);
    EXPECT_EQ(pieces.State().world, whole.State().world);
    EXPECT_EQ(pieces.TicksRun(), 10'000u);

    // Asked after every 4,096 ticks whether to go on, a step stops at a whole tick.
    WorldRun stopped = WorldRun::Fresh(9);
    int asked = 0;
    EXPECT_EQ(stopped.Step(10'000, [&] { return ++asked < 2; }), 8192u);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(stopped.TicksRun(), 8192u);
    stopped.Step(10'000 - 8192);
    EXPECT_EQ(stopped.State().world, whole.State().world);
    EXPECT_EQ(stopped.Hash(), HashWorld(whole.State().world));
    EXPECT_EQ(stopped.HashText(), HexDigits(whole.Hash()));
}

TEST(WorldRun, ClosesAStatisticsRowAtEveryHundredthTickOnceItsReleasesAreIn)
{
    WorldRun run = WorldRun::Fresh(3);
    run.Step(200);
    // Tick 200's row is not yet closed: a release now still belongs to it.
    EXPECT_EQ(run.State().since_row_tick, 100u);
    ASSERT_GE(run.Release("left", 100, 100), 0);
    EXPECT_EQ(run.State().born_by_events_since_row, 1);

    // Keeping the world closes the row that is due, as the next tick would.
    const RunState kept = ReadCheckpoint(run.Checkpoint());
    EXPECT_EQ(kept.since_row_tick, 200u);
    EXPECT_EQ(kept.born_by_events_since_row, 0);
    EXPECT_EQ(kept.since_row, LifeTally{});
    // ...but the world kept is the one running, which goes on unchanged.
    EXPECT_EQ(kept.world, run.State().world);
    EXPECT_EQ(run.State().since_row_tick, 100u);

    run.Step(1);
    EXPECT_EQ(run.State().since_row_tick, 200u);
    EXPECT_EQ(run.State().born_by_events_since_row, 0);

    // Between multiples nothing closes.
    run.Step(98);
    EXPECT_EQ(run.State().since_row_tick, 200u);
    const ClosedRow closed = CloseRow(run.State());
    EXPECT_EQ(run.State().since_row_tick, 299u);
    EXPECT_EQ(run.State().since_row, LifeTally{});
    EXPECT_GT(closed.tally.born_by_breeding + closed.tally.born_by_top_up +
                  closed.tally.died_leaving + closed.tally.died_exhausted +
                  closed.tally.died_paying,
              0)
        << "99 ticks of a young world with no birth or death";
}

TEST(WorldRun, AReleaseByNameIsTheWindowsReleaseAndOtherNamesAreRefusedInOneSetOfWords)
{
    WorldRun named = WorldRun::Fresh(5);
    named.Step(30);
    WorldRun coded = named;
    named.Release("left", 12.5, 40.25);
    named.Release("right", 300, 7);
    named.Release("middle", 1, 1);
    space_MouseUp(coded.State().world, coded.State().random, WindowRules, LeftButton, 0, 12.5f,
                  40.25f);
    space_MouseUp(coded.State().world, coded.State().random, WindowRules, RightButton, 0, 300, 7);
    EXPECT_EQ(named.State().world, coded.State().world);
    EXPECT_EQ(named.State().random.State(), coded.State().random.State());

    EXPECT_EQ(ButtonNamed("left"), LeftButton);
    EXPECT_EQ(RefusalOf([] { ButtonNamed("Left"); }),
              "unknown button 'Left' (expected left, right or middle)");
    EXPECT_EQ(RefusalOf([] { ButtonNamed(std::string("left\0", 5)); }),
              "unknown button 'left\\0' (expected left, right or middle)");

    // A coordinate is taken as the handler takes it, to the nearest float.
    EXPECT_EQ(ReleaseCoordinate("x", 0.1), 0.1f);
    EXPECT_EQ(ReleaseCoordinate("y", 3.4028235e38), std::numeric_limits<float>::max());
    EXPECT_EQ(RefusalOf([] { ReleaseCoordinate("x", std::nan("")); }),
              "x 'nan' is not a finite decimal number");
    EXPECT_EQ(RefusalOf([] { ReleaseCoordinate("y", -1e39); }),
              "y '-1e+39' is beyond the range of a 32-bit float");
    // A refused release changes nothing, not even a draw.
    const WorldRun before = named;
    EXPECT_NE(RefusalOf([&] { named.Release("left", 1, INFINITY); }), "(not refused)");
    EXPECT_NE(RefusalOf([&] { named.Release("back", 1, 1); }), "(not refused)");
    EXPECT_EQ(named.State().world, before.State().world);
    EXPECT_EQ(named.State().random.State(), before.State().random.State());
}

TEST(WorldRun, CountsTicksToTheLastOneAndNoFurther)
{
    const std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
    EXPECT_EQ(RefusalOf([&] { CheckTicksFit("ticks", 10, most - 10, " run"); }), "(not refused)");
    EXPECT_EQ(RefusalOf([&] { CheckTicksFit("ticks", 11, most - 10, " run"); }),
              "ticks 11 from the 18446744073709551605 ticks run would run beyond "
              "18446744073709551615 ticks");
    WorldRun run = WorldRun::Fresh(std::nullopt);
    run.Step(3);
    EXPECT_EQ(RefusalOf([&] { run.Step(most - 2); }),
              "ticks 18446744073709551613 from the 3 ticks run would run beyond "
              "18446744073709551615 ticks");
    EXPECT_EQ(run.TicksRun(), 3u);
}

TEST(WorldRun, AForkHasThePastAndOtherChanceAndTheWindowsRunHasSeed42)
{
    WorldRun window = WorldRun::Fresh(std::nullopt);
    EXPECT_EQ(window.State().seed, RandomSource::DefaultInitState);
    window.Step(500);
    WorldRun fork = window.Fork(77), same = window.Fork(window.State().seed);
    EXPECT_EQ(fork.State().world, window.State().world);
    EXPECT_EQ(fork.State().seed, 77u);
    fork.Step(2000);
    same.Step(2000);
    window.Step(2000);
    EXPECT_NE(fork.Hash(), window.Hash());
    // Restarting from the seed it was started from is not going on: the source starts again.
    EXPECT_NE(same.Hash(), window.Hash());
}

TEST(NumberText, HexKeepsItsLeadingZerosAndCommasGroupThousands)
{
    EXPECT_EQ(HexDigits(0), "0000000000000000");
    EXPECT_EQ(HexDigits(0x00f0000000000a0bULL), "00f0000000000a0b");
    EXPECT_EQ(HexDigits(std::numeric_limits<std::uint64_t>::max()), "ffffffffffffffff");
    EXPECT_EQ(GroupedDigits(0), "0");
    EXPECT_EQ(GroupedDigits(999), "999");
    EXPECT_EQ(GroupedDigits(1000), "1,000");
    EXPECT_EQ(GroupedDigits(200000), "200,000");
    EXPECT_EQ(GroupedDigits(1234567), "1,234,567");
    EXPECT_EQ(GroupedDigits(18446744073709551615ull), "18,446,744,073,709,551,615");
}

} // namespace
} // namespace morvane

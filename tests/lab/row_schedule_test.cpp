// The rows of a run fall on the multiples of K counted from the world's creation, plus its
// last tick; a resumed run takes exactly the straight run's rows after its start.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "lab/run/row_schedule.h"

namespace morvane::lab {
namespace {

// The rows by walking every tick, as a reader of the rule would list them.
std::vector<std::uint64_t> RowsByWalking(std::uint64_t from, std::uint64_t to, std::uint64_t every,
                                         bool resumed)
{
    std::vector<std::uint64_t> rows;
    for (std::uint64_t t = resumed ? from + 1 : from; t <= to; ++t)
        if (t % every == 0 || t == to) rows.push_back(t);
    return rows;
}

TEST(RowSchedule, CountAndTicksAreTheMultiplesOfKAfterTheStartAndTheLastTick)
{
    for (std::uint64_t every = 1; every <= 7; ++every)
        for (std::uint64_t from = 0; from <= 30; ++from)
            for (std::uint64_t to = from; to <= 40; ++to)
                for (bool resumed : {false, true}) {
                    if (!resumed && from != 0) continue; // a fresh world starts at 0
                    const RowSchedule rows{from, to, every, resumed};
                    const std::vector<std::uint64_t> expected =
                        RowsByWalking(from, to, every, resumed);
                    ASSERT_EQ(rows.Count(), expected.size())
                        << from << ".." << to << " every " << every << " resumed " << resumed;
                    for (std::size_t k = 0; k < expected.size(); ++k) {
                        ASSERT_EQ(rows.Tick(k), expected[k]) << from << ".." << to << " row " << k;
                        if (k + 1 < expected.size()) {
                            ASSERT_EQ(rows.After(expected[k]), expected[k + 1]);
                        }
                    }
                }
}

TEST(RowSchedule, TheRowsOfTheTwoPiecesOfASplitRunAreTheStraightRunsWithOneMoreAtTheSplit)
{
    const std::uint64_t every = 100, end = 1000;
    const RowSchedule straight{0, end, every, false};
    for (std::uint64_t split : {0u, 1u, 99u, 100u, 101u, 550u, 999u, 1000u}) {
        const RowSchedule first{0, split, every, false}, second{split, end, every, true};
        std::vector<std::uint64_t> joined;
        for (std::uint64_t k = 0; k < first.Count(); ++k)
            if (first.Tick(k) % every == 0) joined.push_back(first.Tick(k)); // less the split's own
        for (std::uint64_t k = 0; k < second.Count(); ++k)
            joined.push_back(second.Tick(k));
        std::vector<std::uint64_t> expected;
        for (std::uint64_t k = 0; k < straight.Count(); ++k)
            expected.push_back(straight.Tick(k));
        EXPECT_EQ(joined, expected) << "split at " << split;
    }
}

TEST(RowSchedule, CountsNearTheLargestTickCountDoNotOverflow)
{
    constexpr std::uint64_t Most = ~std::uint64_t{0};
    EXPECT_EQ((RowSchedule{0, Most, 1, false}.Count()), Most); // 2^64 rows, saturated
    EXPECT_EQ((RowSchedule{0, Most, Most, false}.Count()), 2u);
    EXPECT_EQ((RowSchedule{0, Most, Most, false}.Tick(1)), Most);
    EXPECT_EQ((RowSchedule{Most - 5, Most, 4, true}.Count()), 2u); // Most - 3 and Most
    EXPECT_EQ((RowSchedule{Most - 5, Most, 4, true}.Tick(0)), Most - 3);
    EXPECT_EQ((RowSchedule{Most - 1, Most, 1, true}.Count()), 1u);
    EXPECT_EQ((RowSchedule{Most, Most, 10, true}.Count()), 0u); // no tick to take a row at
    EXPECT_EQ(LastRowAtOrBefore(Most, 10), Most - 5);
}

} // namespace
} // namespace morvane::lab

// The table of outputs drives the command line, the checks and the opening of files, so an
// entry that cannot be made where it has meaning, or names no file to write into, would only
// fail once somebody asked for it.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "lab/output_table.h"

namespace morvane::lab {
namespace {

TEST(OutputTable, EveryOutputCanBeMadeWhereverItHasMeaningAndNamesItsFilesFromItsValue)
{
    std::set<std::string> options;
    for (const OutputKind& kind : Outputs()) {
        SCOPED_TRACE(kind.option);
        EXPECT_TRUE(options.insert(kind.option).second) << "an option listed twice";
        EXPECT_EQ(kind.for_world != nullptr, kind.describes != Describes::Ensemble);
        EXPECT_EQ(kind.for_ensemble != nullptr, kind.describes != Describes::OneWorld);
        // An output with a value writes files named by it; a flag writes none.
        EXPECT_EQ(kind.value_name != nullptr, kind.files != nullptr);
        if (kind.files) {
            EXPECT_FALSE(kind.files("x").empty());
        }
        if (kind.kept) {
            EXPECT_TRUE(kind.sampled) << "rows are kept only when rows are taken";
        }
        // A shard's samples keep each run's summary values, hash and rows, and nothing of
        // what happened between rows.
        if (kind.merged) {
            EXPECT_NE(kind.describes, Describes::OneWorld);
            EXPECT_FALSE(kind.follows_selection || kind.takes_moments || kind.tallied);
        }
    }
}

TEST(OutputTable, ListsTheOutputsThatPassATestInTableOrder)
{
    EXPECT_EQ(OptionList([](const OutputKind& kind) { return kind.sampled; }, "and"),
              "--stats-out, --selection-out, --ensemble-out, --samples-out and --plot");
    EXPECT_EQ(OptionList([](const OutputKind& kind) { return kind.kept; }, "or"),
              "--ensemble-out, --samples-out or --plot");
    EXPECT_EQ(OptionList([](const OutputKind&) { return false; }, "or"), "");
}

} // namespace
} // namespace morvane::lab

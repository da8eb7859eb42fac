// The table of outputs drives the command line, the checks and the opening of files, so an
// entry that cannot be made where it has meaning, or names no file to write into, would only
// fail once somebody asked for it.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "lab/outputs/output_table.h"

namespace morvane::lab {
namespace {

TEST(OutputTable, EveryOutputCanBeMadeWhereverItHasMeaningAndNamesItsFilesFromItsValue)
{
    std::set<std::string> options;
    for (const OutputKind& kind : Outputs()) {
        SCOPED_TRACE(kind.option);
        EXPECT_TRUE(options.insert(kind.option).second) << "an option listed twice";
        EXPECT_EQ(kind.for_world != nullptr,
                  kind.describes == Describes::OneWorld || kind.describes == Describes::Either);
        EXPECT_EQ(kind.for_ensemble != nullptr, kind.describes != Describes::OneWorld);
        // An output with a value writes files named by it; a flag writes none.
        EXPECT_EQ(kind.value_name != nullptr, kind.files != nullptr);
        if (kind.files) {
            EXPECT_FALSE(kind.files("x").empty());
        }
        if (KeepsRows(kind)) {
            EXPECT_TRUE(Sampled(kind)) << "rows are kept only when rows are taken";
        }
        // A shard's samples keep each run's summary values, hash and rows, and nothing of
        // what happened between rows or of its worlds.
        if (MadeFromSamples(kind)) {
            EXPECT_NE(kind.describes, Describes::OneWorld);
            EXPECT_FALSE(Tallied(kind) || KeepsWorlds(kind));
        }
    }
}

TEST(OutputTable, ListsTheOutputsThatPassATestInTableOrder)
{
    EXPECT_EQ(OptionList(Sampled, "and"),
              "--stats-out, --selection-out, --ensemble-out and --samples-out");
    EXPECT_EQ(OptionList(KeepsRows, "or"), "--ensemble-out or --samples-out");
    EXPECT_EQ(OptionList(MadeFromSamples, "and"),
              "--summary-out, --ensemble-out, --samples-out, --sweep-out and --hash");
    EXPECT_EQ(OptionList([](const OutputKind&) { return false; }, "or"), "");
}

} // namespace
} // namespace morvane::lab

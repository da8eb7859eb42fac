// Means and deviations are written so they read back to the very double computed, minimum
// and maximum as the float the table holds; a spreadsheet or a script gets the exact values.
#include "lab/outputs/stats_table.h"

#include "lab/outputs/csv_columns.h"

namespace morvane::lab {

namespace {

bool AnyAlive(const SampleRow& r) { return r.animals.living > 0; }

using Column = CsvColumn<SampleRow>;
using std::string;

// The traits and the energy are empty when no animal lives to have them.
const std::array<Column, 18> StatsColumns{{
    {"tick", [](string& f, const SampleRow& r) { AppendNumber(f, r.tick); }},
    {"animals", [](string& f, const SampleRow& r) { AppendNumber(f, r.animals.living); }},
    {"plants", [](string& f, const SampleRow& r) { AppendNumber(f, r.plants); }},
    {"speed_mean",
     [](string& f, const SampleRow& r) { AppendIf(f, AnyAlive(r), r.animals.speed.mean); }},
    {"speed_sd",
     [](string& f, const SampleRow& r) { AppendIf(f, AnyAlive(r), r.animals.speed.sd); }},
    {"speed_min",
     [](string& f, const SampleRow& r) { AppendIf(f, AnyAlive(r), r.animals.speed.min); }},
    {"speed_max",
     [](string& f, const SampleRow& r) { AppendIf(f, AnyAlive(r), r.animals.speed.max); }},
    {"turn_mean",
     [](string& f, const SampleRow& r) { AppendIf(f, AnyAlive(r), r.animals.turn.mean); }},
    {"turn_sd", [](string& f, const SampleRow& r) { AppendIf(f, AnyAlive(r), r.animals.turn.sd); }},
    {"turn_min",
     [](string& f, const SampleRow& r) { AppendIf(f, AnyAlive(r), r.animals.turn.min); }},
    {"turn_max",
     [](string& f, const SampleRow& r) { AppendIf(f, AnyAlive(r), r.animals.turn.max); }},
    {"energy_mean",
     [](string& f, const SampleRow& r) { AppendIf(f, AnyAlive(r), r.animals.energy_mean); }},
    {"born_breeding",
     [](string& f, const SampleRow& r) { AppendNumber(f, r.since.born_by_breeding); }},
    {"born_top_up", [](string& f, const SampleRow& r) { AppendNumber(f, r.since.born_by_top_up); }},
    {"born_events", [](string& f, const SampleRow& r) { AppendNumber(f, r.born_by_events); }},
    {"died_leaving", [](string& f, const SampleRow& r) { AppendNumber(f, r.since.died_leaving); }},
    {"died_exhausted",
     [](string& f, const SampleRow& r) { AppendNumber(f, r.since.died_exhausted); }},
    {"died_paying", [](string& f, const SampleRow& r) { AppendNumber(f, r.since.died_paying); }},
}};

} // namespace

std::string StatsHeader() { return CsvHeader(StatsColumns); }

std::string StatsLine(const SampleRow& row) { return CsvLine(StatsColumns, row); }

namespace {

class StatisticsOutput : public WorldOutput {
public:
    explicit StatisticsOutput(OutputFile& file) : file_(file) { file_.Write(StatsHeader()); }
    void RowDue(const SampleRow& row) override { file_.Write(StatsLine(row)); }

private:
    OutputFile& file_;
};

} // namespace

std::unique_ptr<WorldOutput> MakeStatisticsOutput(const std::string& /*value*/,
                                                  const std::vector<OutputFile*>& files)
{
    return std::make_unique<StatisticsOutput>(*files.at(0));
}

} // namespace morvane::lab

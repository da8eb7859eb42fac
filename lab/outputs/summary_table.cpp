// A line per run, written once every run is done, so the lines stand in seed order whichever
// thread finished first.
#include "lab/outputs/summary_table.h"

#include "lab/outputs/csv_columns.h"
#include "lab/outputs/rule_columns.h"

namespace morvane::lab {

namespace {

using std::string;

bool AnyAlive(const RunRecord& r) { return r.final_census.living > 0; }

// Births of every kind; the means are empty when the run ends with no animal.
const std::array<CsvColumn<RunRecord>, 8> SummaryColumns{{
    {"seed", [](string& f, const RunRecord& r) { AppendNumber(f, r.seed); }},
    {"ticks", [](string& f, const RunRecord& r) { AppendNumber(f, r.ticks); }},
    {"animals", [](string& f, const RunRecord& r) { AppendNumber(f, r.final_census.living); }},
    {"plants", [](string& f, const RunRecord& r) { AppendNumber(f, r.final_plants); }},
    {"speed_mean",
     [](string& f, const RunRecord& r) { AppendIf(f, AnyAlive(r), r.final_census.speed.mean); }},
    {"turn_mean",
     [](string& f, const RunRecord& r) { AppendIf(f, AnyAlive(r), r.final_census.turn.mean); }},
    {"births",
     [](string& f, const RunRecord& r) {
         const RunTotals& t = r.totals;
         AppendNumber(f, t.tally.born_by_breeding + t.tally.born_by_top_up + t.born_by_events);
     }},
    {"ticks_below_3_animals",
     [](string& f, const RunRecord& r) { AppendNumber(f, r.totals.ticks_below_three); }},
}};

} // namespace

std::string SummaryHeader() { return CsvHeader(SummaryColumns); }

std::string SummaryLine(const RunRecord& record) { return CsvLine(SummaryColumns, record); }

namespace {

class SummaryOutput : public EnsembleOutput {
public:
    explicit SummaryOutput(OutputFile& file) : file_(file) {}
    // A sweep's lines are each led by the run's point, its place among the point's runs and
    // every rule it ran under; an ensemble's are as they always were.
    void Finish(const FinishedEnsemble& ensemble) override
    {
        const bool sweep = ensemble.identity.swept;
        std::string summary = sweep ? "point,run," + RuleColumnsHeader() + "," : "";
        summary += SummaryHeader();
        for (const RunRecord& record : ensemble.records) {
            if (sweep)
                summary += std::to_string(record.point) + "," + std::to_string(record.run) + "," +
                           RuleColumns(record.rules) + ",";
            summary += SummaryLine(record);
        }
        file_.Write(summary);
    }

private:
    OutputFile& file_;
};

} // namespace

std::unique_ptr<EnsembleOutput> MakeSummaryOutput(const std::string& /*value*/,
                                                  const std::vector<OutputFile*>& files)
{
    return std::make_unique<SummaryOutput>(*files.at(0));
}

} // namespace morvane::lab

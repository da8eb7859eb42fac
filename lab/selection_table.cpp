// A window with no mean to follow leaves its means and parts empty, never 0: a 0 would read as
// "nothing moved it". Across runs, such a run is left out of that row's quantiles, and the row
// says how many runs they rest on.
#include "lab/selection_table.h"

#include "lab/csv_columns.h"
#include "lab/ensemble_table.h"

namespace morvane::lab {

namespace {

using std::string;

// One trait's line of one window.
struct TraitLine {
    const SelectionWindow& window;
    const char* trait;
    const TraitMovement& m;
};

template <double TraitMovement::*part> void AppendPart(string& f, const TraitLine& r)
{
    AppendIf(f, r.m.followed, r.m.*part);
}

const std::array<CsvColumn<TraitLine>, 13> SelectionColumns{{
    {"tick", [](string& f, const TraitLine& r) { AppendNumber(f, r.window.tick); }},
    {"trait", [](string& f, const TraitLine& r) { f += r.trait; }},
    {"animals_before",
     [](string& f, const TraitLine& r) { AppendNumber(f, r.window.animals_before); }},
    {"animals_after",
     [](string& f, const TraitLine& r) { AppendNumber(f, r.window.animals_after); }},
    {"mean_before", AppendPart<&TraitMovement::mean_before>},
    {"mean_after", AppendPart<&TraitMovement::mean_after>},
    {"change", AppendPart<&TraitMovement::change>},
    {"selection", AppendPart<&TraitMovement::selection>},
    {"mutation", AppendPart<&TraitMovement::mutation>},
    {"arrivals", AppendPart<&TraitMovement::arrivals>},
    {"left", AppendPart<&TraitMovement::left>},
    {"exhausted", AppendPart<&TraitMovement::exhausted>},
    {"paid", AppendPart<&TraitMovement::paid>},
}};

class SelectionOutput : public WorldOutput {
public:
    explicit SelectionOutput(OutputFile& file)
        : file_(file),
          follower_([this](const SelectionWindow& w) { file_.Write(SelectionLines(w)); })
    {
        file_.Write(SelectionHeader());
    }
    void Began(const RunState& run, const RunPlan& plan) override { follower_.Began(run, plan); }
    void Entered(const World& world, int slot, const BirthRecord& record) override
    {
        follower_.Entered(world, slot, record);
    }
    void Died(const World& world, int slot, const BirthRecord& record, Death cause,
              std::uint64_t tick) override
    {
        follower_.Died(world, slot, record, cause, tick);
    }
    void RowDue(const SampleRow& row) override { follower_.RowDue(row); }

private:
    OutputFile& file_;
    SelectionFollower follower_;
};

// The parts across the runs, as the ensemble table does for the means.
struct PartsRow {
    std::uint64_t tick = 0;
    const char* trait = "";
    std::uint64_t runs = 0; // runs whose window had a mean to follow
    Quantiles change, selection, mutation, arrivals, left, exhausted, paid;
};

template <Quantiles PartsRow::*part> void AppendQuantiles(string& f, const PartsRow& r)
{
    const bool any = r.runs > 0;
    AppendIf(f, any, (r.*part).p10);
    f += ',';
    AppendIf(f, any, (r.*part).median);
    f += ',';
    AppendIf(f, any, (r.*part).p90);
}

// Each part's three quantiles, side by side.
const std::array<CsvColumn<PartsRow>, 10> PartsColumns{{
    {"tick", [](string& f, const PartsRow& r) { AppendNumber(f, r.tick); }},
    {"trait", [](string& f, const PartsRow& r) { f += r.trait; }},
    {"runs", [](string& f, const PartsRow& r) { AppendNumber(f, r.runs); }},
    {"change_p10,change_median,change_p90", AppendQuantiles<&PartsRow::change>},
    {"selection_p10,selection_median,selection_p90", AppendQuantiles<&PartsRow::selection>},
    {"mutation_p10,mutation_median,mutation_p90", AppendQuantiles<&PartsRow::mutation>},
    {"arrivals_p10,arrivals_median,arrivals_p90", AppendQuantiles<&PartsRow::arrivals>},
    {"left_p10,left_median,left_p90", AppendQuantiles<&PartsRow::left>},
    {"exhausted_p10,exhausted_median,exhausted_p90", AppendQuantiles<&PartsRow::exhausted>},
    {"paid_p10,paid_median,paid_p90", AppendQuantiles<&PartsRow::paid>},
}};

PartsRow PartsAt(const std::vector<RunRecord>& records, std::size_t index, const char* trait,
                 TraitMovement SelectionWindow::*which)
{
    std::vector<double> change, selection, mutation, arrivals, left, exhausted, paid;
    PartsRow row;
    row.trait = trait;
    for (const RunRecord& record : records) {
        const SelectionWindow& w = record.windows[index];
        row.tick = w.tick;
        const TraitMovement& m = w.*which;
        if (!m.followed) continue;
        change.push_back(m.change), selection.push_back(m.selection);
        mutation.push_back(m.mutation), arrivals.push_back(m.arrivals);
        left.push_back(m.left), exhausted.push_back(m.exhausted), paid.push_back(m.paid);
    }
    row.runs = change.size();
    if (row.runs > 0) {
        row.change = QuantilesOf(change), row.selection = QuantilesOf(selection);
        row.mutation = QuantilesOf(mutation), row.arrivals = QuantilesOf(arrivals);
        row.left = QuantilesOf(left), row.exhausted = QuantilesOf(exhausted);
        row.paid = QuantilesOf(paid);
    }
    return row;
}

class SelectionQuantilesOutput : public EnsembleOutput {
public:
    explicit SelectionQuantilesOutput(OutputFile& file) : file_(file) {}
    void Finish(const FinishedEnsemble& ensemble) override
    {
        file_.Write(CsvHeader(PartsColumns));
        const std::size_t windows =
            ensemble.records.empty() ? 0 : ensemble.records.front().windows.size();
        for (std::size_t k = 0; k < windows; ++k) {
            file_.Write(CsvLine(PartsColumns,
                                PartsAt(ensemble.records, k, "speed", &SelectionWindow::speed)));
            file_.Write(CsvLine(PartsColumns,
                                PartsAt(ensemble.records, k, "turn", &SelectionWindow::turn)));
        }
    }

private:
    OutputFile& file_;
};

} // namespace

std::string SelectionHeader() { return CsvHeader(SelectionColumns); }

std::string SelectionLines(const SelectionWindow& window)
{
    return CsvLine(SelectionColumns, TraitLine{window, "speed", window.speed}) +
           CsvLine(SelectionColumns, TraitLine{window, "turn", window.turn});
}

std::unique_ptr<WorldOutput> MakeSelectionOutput(const std::string& /*value*/,
                                                 const std::vector<OutputFile*>& files)
{
    return std::make_unique<SelectionOutput>(*files.at(0));
}

std::unique_ptr<EnsembleOutput> MakeSelectionQuantilesOutput(const std::string& /*value*/,
                                                             const std::vector<OutputFile*>& files)
{
    return std::make_unique<SelectionQuantilesOutput>(*files.at(0));
}

} // namespace morvane::lab

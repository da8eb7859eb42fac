// A window with no mean to follow leaves its means and parts empty, never 0: a 0 would read as
// "nothing moved it". Across runs, such a run is left out of that row's quantiles, and the row
// says how many runs they rest on.
#include "lab/outputs/selection_table.h"

#include <array>
#include <span>
#include <utility>

#include "lab/outputs/csv_columns.h"
#include "lab/outputs/ensemble_table.h"
#include "lab/outputs/rule_columns.h"

namespace morvane::lab {

namespace {

using std::string;

// One trait's line of one window.
struct TraitLine {
    const SelectionWindow& window;
    const char* trait;
    const TraitMovement& m;
};

template <double TraitMovement::*Part> void AppendPart(string& f, const TraitLine& r)
{
    AppendIf(f, r.m.followed, r.m.*Part);
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

template <Quantiles PartsRow::*Part> void AppendQuantiles(string& f, const PartsRow& r)
{
    const bool any = r.runs > 0;
    AppendIf(f, any, (r.*Part).p10);
    f += ',';
    AppendIf(f, any, (r.*Part).median);
    f += ',';
    AppendIf(f, any, (r.*Part).p90);
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

// Each run's windows, one per row after the first.
using RunWindows = std::vector<SelectionWindow>;

// The traits each row is written for, in order.
const std::array<std::pair<const char*, TraitMovement SelectionWindow::*>, 2> Traits{{
    {"speed", &SelectionWindow::speed},
    {"turn", &SelectionWindow::turn},
}};

PartsRow PartsAt(std::span<const RunWindows> runs, std::size_t index, const char* trait,
                 TraitMovement SelectionWindow::*which)
{
    std::vector<double> change, selection, mutation, arrivals, left, exhausted, paid;
    PartsRow row;
    row.trait = trait;
    for (const RunWindows& windows : runs) {
        const SelectionWindow& w = windows[index];
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

// Follows each run's traits event by event, each run into a place of its own, and writes the
// quantiles across the runs once all are done.
class SelectionQuantilesOutput : public EnsembleOutput {
public:
    explicit SelectionQuantilesOutput(OutputFile& file) : file_(file) {}
    void Expect(std::uint64_t runs) override
    {
        windows_.resize(runs);
        followers_.resize(runs);
    }
    RunListener* ListenerFor(std::uint64_t index) override
    {
        RunWindows& windows = windows_[index];
        followers_[index] = std::make_unique<SelectionFollower>(
            [&windows](const SelectionWindow& w) { windows.push_back(w); });
        return followers_[index].get();
    }
    // A sweep's rows come point by point, each led by its point and every rule it ran under;
    // an ensemble's are as they always were.
    void Finish(const FinishedEnsemble& ensemble) override
    {
        followers_.clear();
        const EnsembleIdentity& id = ensemble.identity;
        file_.Write((id.swept ? "point," + RuleColumnsHeader() + "," : std::string()) +
                    CsvHeader(PartsColumns));
        const std::size_t rows = windows_.empty() ? 0 : windows_.front().size();
        for (std::size_t point = 0; point < id.point_rules.size(); ++point) {
            const std::string lead =
                id.swept ? std::to_string(point) + "," + RuleColumns(id.point_rules[point]) + ","
                         : std::string();
            const auto runs =
                std::span<const RunWindows>(windows_).subspan(point * id.runs, id.runs);
            for (std::size_t k = 0; k < rows; ++k)
                for (const auto& [trait, which] : Traits)
                    file_.Write(lead + CsvLine(PartsColumns, PartsAt(runs, k, trait, which)));
        }
    }

private:
    OutputFile& file_;
    std::vector<RunWindows> windows_;                           // one per run, in seed order
    std::vector<std::unique_ptr<SelectionFollower>> followers_; // one per run, while it runs
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

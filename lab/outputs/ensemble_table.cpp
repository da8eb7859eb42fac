// A run whose animals have all died has no mean speed: it is left out of the speed and turn
// quantiles rather than counted as zero, and the row says how many runs those rest on.
#include "lab/outputs/ensemble_table.h"

#include <algorithm>
#include <cmath>

#include "lab/outputs/csv_columns.h"
#include "lab/outputs/rule_columns.h"

namespace morvane::lab {

namespace {

double At(const std::vector<double>& sorted, double fraction)
{
    const double h = static_cast<double>(sorted.size() - 1) * fraction;
    const double below = std::floor(h);
    const auto k = static_cast<std::size_t>(below);
    if (k + 1 >= sorted.size()) return sorted.back();
    return sorted[k] + (h - below) * (sorted[k + 1] - sorted[k]);
}

bool AnyAlive(const EnsembleRow& r) { return r.runs_with_animals > 0; }

using Row = EnsembleRow;
using std::string;

// The speed and turn quantiles rest on the runs with animals, and are empty when there are none.
const std::array<CsvColumn<Row>, 14> EnsembleColumns{{
    {"tick", [](string& f, const Row& r) { AppendNumber(f, r.tick); }},
    {"runs_with_animals", [](string& f, const Row& r) { AppendNumber(f, r.runs_with_animals); }},
    {"animals_p10", [](string& f, const Row& r) { AppendNumber(f, r.animals.p10); }},
    {"animals_median", [](string& f, const Row& r) { AppendNumber(f, r.animals.median); }},
    {"animals_p90", [](string& f, const Row& r) { AppendNumber(f, r.animals.p90); }},
    {"plants_p10", [](string& f, const Row& r) { AppendNumber(f, r.plants.p10); }},
    {"plants_median", [](string& f, const Row& r) { AppendNumber(f, r.plants.median); }},
    {"plants_p90", [](string& f, const Row& r) { AppendNumber(f, r.plants.p90); }},
    {"speed_mean_p10", [](string& f, const Row& r) { AppendIf(f, AnyAlive(r), r.speed_mean.p10); }},
    {"speed_mean_median",
     [](string& f, const Row& r) { AppendIf(f, AnyAlive(r), r.speed_mean.median); }},
    {"speed_mean_p90", [](string& f, const Row& r) { AppendIf(f, AnyAlive(r), r.speed_mean.p90); }},
    {"turn_mean_p10", [](string& f, const Row& r) { AppendIf(f, AnyAlive(r), r.turn_mean.p10); }},
    {"turn_mean_median",
     [](string& f, const Row& r) { AppendIf(f, AnyAlive(r), r.turn_mean.median); }},
    {"turn_mean_p90", [](string& f, const Row& r) { AppendIf(f, AnyAlive(r), r.turn_mean.p90); }},
}};

} // namespace

Quantiles QuantilesOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {At(values, 0.1), At(values, 0.5), At(values, 0.9)};
}

EnsembleRow EnsembleAt(std::span<const RunRecord> records, std::size_t index, std::uint64_t tick)
{
    std::vector<double> animals, plants, speed, turn;
    for (const RunRecord& record : records) { // in seed order, though the sort makes it moot
        const RunSample& s = record.samples[index];
        animals.push_back(s.animals);
        plants.push_back(s.plants);
        if (s.animals == 0) continue;
        speed.push_back(s.speed_mean);
        turn.push_back(s.turn_mean);
    }
    EnsembleRow row;
    row.tick = tick;
    row.runs_with_animals = speed.size();
    row.animals = QuantilesOf(std::move(animals));
    row.plants = QuantilesOf(std::move(plants));
    if (!speed.empty()) {
        row.speed_mean = QuantilesOf(std::move(speed));
        row.turn_mean = QuantilesOf(std::move(turn));
    }
    return row;
}

std::vector<EnsembleRow> PointRows(std::span<const RunRecord> records, std::uint64_t runs,
                                   const RowSchedule& schedule)
{
    std::vector<EnsembleRow> rows;
    for (std::size_t first = 0; first < records.size(); first += runs)
        for (std::uint64_t k = 0; k < schedule.Count(); ++k)
            rows.push_back(EnsembleAt(records.subspan(first, runs), k, schedule.Tick(k)));
    return rows;
}

std::string EnsembleHeader() { return CsvHeader(EnsembleColumns); }

std::string EnsembleLine(const EnsembleRow& row) { return CsvLine(EnsembleColumns, row); }

namespace {

class QuantilesOutput : public EnsembleOutput {
public:
    explicit QuantilesOutput(OutputFile& file) : file_(file) {}
    // A sweep's rows come point by point, each led by its point and every rule it ran under;
    // an ensemble's are as they always were.
    void Finish(const FinishedEnsemble& ensemble) override
    {
        if (!ensemble.identity.swept) {
            file_.Write(EnsembleHeader());
            for (const EnsembleRow& row : ensemble.rows)
                file_.Write(EnsembleLine(row));
            return;
        }
        const std::vector<Rules>& points = ensemble.identity.point_rules;
        file_.Write("point," + RuleColumnsHeader() + "," + EnsembleHeader());
        const std::size_t per_point = ensemble.rows.size() / points.size();
        for (std::size_t k = 0; k < ensemble.rows.size(); ++k) {
            const std::size_t point = k / per_point;
            file_.Write(std::to_string(point) + "," + RuleColumns(points[point]) + "," +
                        EnsembleLine(ensemble.rows[k]));
        }
    }

private:
    OutputFile& file_;
};

} // namespace

std::unique_ptr<EnsembleOutput> MakeQuantilesOutput(const std::string& /*value*/,
                                                    const std::vector<OutputFile*>& files)
{
    return std::make_unique<QuantilesOutput>(*files.at(0));
}

} // namespace morvane::lab

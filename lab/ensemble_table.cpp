// A run whose animals have all died has no mean speed: it is left out of the speed and turn
// quantiles rather than counted as zero, and the row says how many runs those rest on.
#include "lab/ensemble_table.h"

#include <algorithm>
#include <cmath>

#include "lab/csv_number.h"

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

void AppendQuantiles(std::string& line, bool present, const Quantiles& q)
{
    AppendField(line, present, q.p10);
    AppendField(line, present, q.median);
    AppendField(line, present, q.p90);
}

} // namespace

Quantiles QuantilesOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {At(values, 0.1), At(values, 0.5), At(values, 0.9)};
}

EnsembleRow EnsembleAt(const std::vector<RunRecord>& records, std::size_t index, std::uint64_t tick)
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

std::string EnsembleHeader()
{
    return "tick,runs_with_animals,animals_p10,animals_median,animals_p90,plants_p10,"
           "plants_median,plants_p90,speed_mean_p10,speed_mean_median,speed_mean_p90,"
           "turn_mean_p10,turn_mean_median,turn_mean_p90\n";
}

std::string EnsembleLine(const EnsembleRow& row)
{
    std::string line;
    AppendNumber(line, row.tick);
    AppendField(line, true, row.runs_with_animals);
    AppendQuantiles(line, true, row.animals);
    AppendQuantiles(line, true, row.plants);
    AppendQuantiles(line, row.runs_with_animals > 0, row.speed_mean);
    AppendQuantiles(line, row.runs_with_animals > 0, row.turn_mean);
    line += '\n';
    return line;
}

std::string SummaryHeader()
{
    return "seed,ticks,animals,plants,speed_mean,turn_mean,births,ticks_below_3_animals\n";
}

std::string SummaryLine(const RunRecord& record, std::uint64_t ticks)
{
    std::string line;
    AppendNumber(line, record.seed);
    AppendField(line, true, ticks);
    AppendField(line, true, record.final_census.living);
    AppendField(line, true, record.final_plants);
    const bool present = record.final_census.living > 0;
    AppendField(line, present, record.final_census.speed.mean);
    AppendField(line, present, record.final_census.turn.mean);
    const RunTotals& t = record.totals;
    AppendField(line, true, t.tally.born_by_breeding + t.tally.born_by_top_up + t.born_by_events);
    AppendField(line, true, t.ticks_below_three);
    line += '\n';
    return line;
}

} // namespace morvane::lab

// Many runs side by side: each run's record and samples every K ticks, and the --ensemble-out
// table of the quantiles across the runs at each of those ticks.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "lab/outputs/output.h"
#include "lab/outputs/output_file.h"
#include "lab/run/animal_census.h"
#include "lab/run/row_schedule.h"
#include "lab/run/tick_loop.h"

namespace morvane::lab {

// What a run keeps of one statistics row: small, since runs times rows of them are kept.
struct RunSample {
    std::int16_t animals = 0; // living, 0..251; the means mean nothing at 0
    std::int16_t plants = 0;  // living, 0..501
    double speed_mean = 0;    // world pixels per tick
    double turn_mean = 0;     // radians per tick
};

struct RunRecord {
    std::uint64_t point = 0; // of a sweep; 0 for an ensemble, which is a sweep of one point
    std::uint64_t run = 0;   // among its point's runs, from 0: its seed is the first + run
    Rules rules;             // the rules it ran under
    std::uint64_t seed = 0;
    std::uint64_t ticks = 0;   // ticks run
    AnimalCensus final_census; // after the last tick and its releases
    int final_plants = 0;      // 0..501
    RunTotals totals;
    std::uint64_t hash = 0;         // HashWorld of the final world
    std::vector<RunSample> samples; // one per row, or none when no output keeps rows
};

// The 10 %, 50 % and 90 % quantiles of a set of values: for n sorted values x[0..n-1] and a
// fraction p, h = (n - 1) p and the quantile is x[floor h] + (h - floor h) (x[floor h + 1] -
// x[floor h]), linear between the two nearest ranks.
struct Quantiles {
    double p10 = 0, median = 0, p90 = 0;
};
Quantiles QuantilesOf(std::vector<double> values); // values: at least one, none NaN

struct EnsembleRow {
    std::uint64_t tick = 0;              // ticks run
    std::uint64_t runs_with_animals = 0; // runs with a living animal, whose means are used
    Quantiles animals, plants;           // over every run
    Quantiles speed_mean, turn_mean;     // over the runs with animals only
};

// The row at sample `index` of every record (each has at least index + 1 samples).
EnsembleRow EnsembleAt(std::span<const RunRecord> records, std::size_t index, std::uint64_t tick);

// Every point's rows across its runs, point by point: `records` holds every run of the points
// in order, `runs` of each, and each record a sample for every tick of `schedule`.
std::vector<EnsembleRow> PointRows(std::span<const RunRecord> records, std::uint64_t runs,
                                   const RowSchedule& schedule);

std::string EnsembleHeader();
std::string EnsembleLine(const EnsembleRow& row); // speed and turn empty when no run has animals

// --ensemble-out: the quantiles across the runs every K ticks.
std::unique_ptr<EnsembleOutput> MakeQuantilesOutput(const std::string& value,
                                                    const std::vector<OutputFile*>& files);

} // namespace morvane::lab

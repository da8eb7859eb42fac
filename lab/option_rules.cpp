// Outputs that describe one world (its dump, its canvases, its every tick) have no meaning
// for an ensemble, and the ensemble's outputs none for a single run; both are said plainly
// rather than one of them silently ignored.
#include "lab/option_rules.h"

#include <string>
#include <utility>

#include "lab/lab_error.h"
#include "lab/plot_file.h"
#include "lab/whole_number.h"
#include "lab/world_run.h"
#include "sim/random_source.h"

namespace morvane::lab {

std::uint64_t FirstSeed(const LabOptions& options)
{
    return options.seed.value_or(RandomSource::DefaultInitState);
}

std::uint64_t RowSpacing(const LabOptions& options) { return options.every.value_or(DefaultEvery); }

void CheckCombinations(const LabOptions& options)
{
    const bool ensemble = options.runs.has_value();
    if (ensemble) {
        const std::pair<const char*, const std::string*> single_world[] = {
            {"--state-out", &options.state_out},
            {"--counts-out", &options.counts_out},
            {"--png", &options.png_prefix},
            {"--stats-out", &options.stats_out}};
        for (const auto& [option, name] : single_world)
            if (!name->empty())
                throw LabError(std::string(option) +
                               " describes a single world and cannot be combined with --runs "
                               "(use --summary-out, --ensemble-out or --plot)");
        const std::uint64_t first = FirstSeed(options);
        if (*options.runs - 1 > LargestWholeNumber - first)
            throw LabError("--runs " + std::to_string(*options.runs) + " from seed " +
                           std::to_string(first) + " would need seeds beyond 18446744073709551615");
    } else {
        const std::pair<const char*, bool> ensemble_only[] = {
            {"--summary-out", !options.summary_out.empty()},
            {"--ensemble-out", !options.ensemble_out.empty()},
            {"--threads", options.threads.has_value()}};
        for (const auto& [option, given] : ensemble_only)
            if (given) throw LabError(std::string(option) + " needs --runs");
    }

    const bool sampled =
        !options.stats_out.empty() || !options.ensemble_out.empty() || !options.plot.empty();
    if (options.every && !sampled)
        throw LabError("--every sets the rows of --stats-out, --ensemble-out and --plot, and "
                       "none of them is asked for");
    if (!options.plot.empty()) PlotFormatOf(options.plot);

    // --stats-out alone streams its rows; the ensemble and the figure keep theirs in memory.
    const bool kept = !options.ensemble_out.empty() || !options.plot.empty();
    const std::uint64_t rows = RowCount(options.ticks, RowSpacing(options));
    const std::uint64_t runs = options.runs.value_or(1);
    if (kept && rows > MostSamples / runs)
        throw LabError(std::to_string(runs) + (runs == 1 ? " run" : " runs") + " of " +
                       std::to_string(rows) + " rows would keep more than " +
                       std::to_string(MostSamples) +
                       " samples in memory (take a larger --every or fewer --runs)");
}

} // namespace morvane::lab

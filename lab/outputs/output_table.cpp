// Adding an output is a file of its own for what it writes, plus one entry here.
#include "lab/outputs/output_table.h"

#include "lab/outputs/checkpoint_file.h"
#include "lab/outputs/counts_table.h"
#include "lab/outputs/ensemble_table.h"
#include "lab/outputs/hash_output.h"
#include "lab/outputs/lineage_table.h"
#include "lab/outputs/png_image.h"
#include "lab/outputs/selection_table.h"
#include "lab/outputs/state_dump.h"
#include "lab/outputs/stats_table.h"
#include "lab/outputs/summary_table.h"
#include "lab/outputs/sweep_table.h"
#include "lab/shards/samples_file.h"

namespace morvane::lab {

namespace {

std::vector<std::string> TheFile(const std::string& path) { return {path}; }

} // namespace

const std::array<OutputKind, OutputKinds>& Outputs()
{
    static const std::array<OutputKind, OutputKinds> table{{
        {.option = "--state-out",
         .value_name = "FILE",
         .help = "write the whole world as JSON after the run",
         .files = TheFile,
         .for_world = MakeStateOutput},
        {.option = "--counts-out",
         .value_name = "FILE",
         .help = "write each tick's counts as CSV (tick,animals,plants)",
         .files = TheFile,
         .for_world = MakeCountsOutput},
        {.option = "--png",
         .value_name = "PREFIX",
         .help = "write PREFIX-space.png and PREFIX-graph.png, the two canvases after the run",
         .files = PictureFiles,
         .for_world = MakePicturesOutput},
        {.option = "--stats-out",
         .value_name = "FILE",
         .help = "write a CSV row of population, traits, births and deaths every K ticks",
         .needs = {.rows = true, .tally = true},
         .files = TheFile,
         .for_world = MakeStatisticsOutput},
        {.option = "--lineage-out",
         .value_name = "FILE",
         .help = "write every animal that lived, its parents, birth, death and traits, as a "
                 "phylogeny CSV",
         .files = TheFile,
         .for_world = MakeLineageOutput},
        {.option = "--selection-out",
         .value_name = "FILE",
         .help = "write, at each row after the first, how each trait's mean moved and what moved "
                 "it (CSV)",
         .describes = Describes::Either,
         .needs = {.rows = true},
         .files = TheFile,
         .for_world = MakeSelectionOutput,
         .for_ensemble = MakeSelectionQuantilesOutput},
        {.option = "--checkpoint-out",
         .value_name = "FILE",
         .help = "write a checkpoint to go on from with --resume, after the run or when it is "
                 "stopped",
         .needs = {.worlds = true},
         .files = TheFile,
         .for_world = MakeCheckpointOutput},
        {.option = "--summary-out",
         .value_name = "FILE",
         .help = "with --runs: write one CSV line per run",
         .describes = Describes::Ensemble,
         .merged = true,
         .files = TheFile,
         .for_ensemble = MakeSummaryOutput},
        {.option = "--ensemble-out",
         .value_name = "FILE",
         .help = "with --runs: write the 10/50/90 % quantiles across runs every K ticks as CSV",
         .describes = Describes::Ensemble,
         .needs = {.rows = true, .kept_rows = true},
         .merged = true,
         .files = TheFile,
         .for_ensemble = MakeQuantilesOutput},
        {.option = "--samples-out",
         .value_name = "FILE",
         .help = "with --runs: write each run's samples and summary for morvane-lab merge (with "
                 "--shard: the shard's runs)",
         .describes = Describes::Ensemble,
         .needs = {.rows = true, .kept_rows = true},
         .merged = true,
         .files = TheFile,
         .for_ensemble = MakeSamplesOutput},
        {.option = "--sweep-out",
         .value_name = "FILE",
         .help = "with --vary or --design: write one CSV line per run of the sweep, in "
                 "point-then-run order (its point, run, seed, every rule, its results and hash)",
         .describes = Describes::Sweep,
         .merged = true,
         .files = TheFile,
         .for_ensemble = MakeSweepOutput},
        {.option = "--hash",
         .help = "print the final world's 64-bit hash (with --runs: 'seed hash' for each run; in a "
                 "sweep 'point seed hash')",
         .describes = Describes::Either,
         .merged = true,
         .for_world = MakeWorldHash,
         .for_ensemble = MakeEnsembleHashes},
    }};
    return table;
}

bool AnyAsked(const AskedOutputs& asked, bool (*wanted)(const OutputKind&))
{
    return FirstAsked(asked, wanted) != nullptr;
}

const std::string* FirstAsked(const AskedOutputs& asked, bool (*wanted)(const OutputKind&))
{
    for (std::size_t k = 0; k < OutputKinds; ++k)
        if (asked[k] && wanted(Outputs()[k])) return &*asked[k];
    return nullptr;
}

std::string OptionList(bool (*wanted)(const OutputKind&), const char* last_joint)
{
    std::vector<const char*> options;
    for (const OutputKind& kind : Outputs())
        if (wanted(kind)) options.push_back(kind.option);
    std::string list;
    for (std::size_t k = 0; k < options.size(); ++k) {
        if (k > 0) list += k + 1 == options.size() ? std::string(" ") + last_joint + " " : ", ";
        list += options[k];
    }
    return list;
}

} // namespace morvane::lab

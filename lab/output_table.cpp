// Adding an output is a file of its own for what it writes, plus one entry here.
#include "lab/output_table.h"

#include "lab/checkpoint_file.h"
#include "lab/counts_table.h"
#include "lab/ensemble_table.h"
#include "lab/hash_output.h"
#include "lab/lineage_table.h"
#include "lab/plot_file.h"
#include "lab/png_image.h"
#include "lab/samples_file.h"
#include "lab/selection_table.h"
#include "lab/state_dump.h"
#include "lab/stats_table.h"
#include "lab/summary_table.h"
#include "lab/trait_map.h"

namespace morvane::lab {

namespace {

std::vector<std::string> TheFile(const std::string& path) { return {path}; }

void CheckFigureName(const std::string& path) { PlotFormatOf(path, "--plot"); }
void CheckTraitMapName(const std::string& path) { PlotFormatOf(path, "--trait-map"); }

} // namespace

const std::array<OutputKind, OutputKinds>& Outputs()
{
    static const std::array<OutputKind, OutputKinds> table{{
        // option, value, help, describes, sampled, kept, tallied, keeps worlds,
        //     follows selection, takes moments, merged, files, check, for one world, for an
        //     ensemble
        {"--state-out", "FILE", "write the whole world as JSON after the run", Describes::OneWorld,
         false, false, false, false, false, false, false, TheFile, nullptr, MakeStateOutput,
         nullptr},
        {"--counts-out", "FILE", "write each tick's counts as CSV (tick,animals,plants)",
         Describes::OneWorld, false, false, false, false, false, false, false, TheFile, nullptr,
         MakeCountsOutput, nullptr},
        {"--png", "PREFIX",
         "write PREFIX-space.png and PREFIX-graph.png, the two canvases after the run",
         Describes::OneWorld, false, false, false, false, false, false, false, PictureFiles,
         nullptr, MakePicturesOutput, nullptr},
        {"--stats-out", "FILE",
         "write a CSV row of population, traits, births and deaths every K ticks",
         Describes::OneWorld, true, false, true, false, false, false, false, TheFile, nullptr,
         MakeStatisticsOutput, nullptr},
        {"--lineage-out", "FILE",
         "write every animal that lived, its parents, birth, death and traits, as a phylogeny CSV",
         Describes::OneWorld, false, false, false, false, false, false, false, TheFile, nullptr,
         MakeLineageOutput, nullptr},
        {"--selection-out", "FILE",
         "write, at each row after the first, how each trait's mean moved and what moved it (CSV)",
         Describes::Either, true, false, false, false, true, false, false, TheFile, nullptr,
         MakeSelectionOutput, MakeSelectionQuantilesOutput},
        {"--checkpoint-out", "FILE",
         "write a checkpoint to go on from with --resume, after the run or when it is stopped",
         Describes::OneWorld, false, false, false, true, false, false, false, TheFile, nullptr,
         MakeCheckpointOutput, nullptr},
        {"--summary-out", "FILE", "with --runs: write one CSV line per run", Describes::Ensemble,
         false, false, false, false, false, false, true, TheFile, nullptr, nullptr,
         MakeSummaryOutput},
        {"--ensemble-out", "FILE",
         "with --runs: write the 10/50/90 % quantiles across runs every K ticks as CSV",
         Describes::Ensemble, true, true, false, false, false, false, true, TheFile, nullptr,
         nullptr, MakeQuantilesOutput},
        {"--samples-out", "FILE",
         "with --runs: write each run's samples and summary for morvane-lab merge (with --shard: "
         "the shard's runs)",
         Describes::Ensemble, true, true, false, false, false, false, true, TheFile, nullptr,
         nullptr, MakeSamplesOutput},
        {"--plot", "FILE", "draw populations, mean speed and mean turn over time (.png or .svg)",
         Describes::Either, true, true, false, false, false, false, true, TheFile, CheckFigureName,
         MakeWorldFigure, MakeEnsembleFigure},
        {"--trait-map", "FILE",
         "draw how the living spread over speed and turning rate at six moments (.png or .svg)",
         Describes::Either, false, false, false, false, false, true, false, TheFile,
         CheckTraitMapName, MakeTraitMapOutput, MakeEnsembleTraitMap},
        {"--hash", nullptr,
         "print the final world's 64-bit hash (with --runs: 'seed hash' for each run)",
         Describes::Either, false, false, false, false, false, false, true, nullptr, nullptr,
         MakeWorldHash, MakeEnsembleHashes},
    }};
    return table;
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

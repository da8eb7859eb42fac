// Events are delivered between ticks exactly as the window's mouse handler would deliver them,
// and every output is opened before the first tick so a bad path costs no run.
#include "lab/single_run.h"

#include <cstdio>
#include <memory>

#include "display/canvas.h"
#include "lab/counts_table.h"
#include "lab/lab_outputs.h"
#include "lab/option_rules.h"
#include "lab/plot_axis.h"
#include "lab/plot_file.h"
#include "lab/png_image.h"
#include "lab/state_dump.h"
#include "lab/world_run.h"
#include "sim/world_hash.h"

namespace morvane::lab {

namespace {

Band Exactly(double value) { return {true, value, value, value}; }

Band OneDeviation(bool present, const TraitSpread& spread)
{
    return {present, spread.mean - spread.sd, spread.mean, spread.mean + spread.sd};
}

class SingleWatcher : public RunWatcher {
public:
    SingleWatcher(OutputFile* counts, OutputFile* stats, PlotSeries* plot)
        : counts_(counts), stats_(stats), plot_(plot)
    {
    }

    void Ticked(std::uint64_t tick, const TickCounts& counts) override
    {
        if (!counts_) return;
        line_.clear();
        AppendCountsLine(line_, {tick, counts});
        WriteText(counts_, line_);
    }

    void Row(const StatsRow& row) override
    {
        WriteText(stats_, StatsLine(row));
        if (!plot_) return;
        const bool present = row.animals.living > 0;
        plot_->points.push_back({row.tick, Exactly(row.animals.living), Exactly(row.plants),
                                 OneDeviation(present, row.animals.speed),
                                 OneDeviation(present, row.animals.turn)});
    }

private:
    OutputFile* counts_;
    OutputFile* stats_;
    PlotSeries* plot_;
    std::string line_; // the counts row being written, kept for its storage
};

} // namespace

void RunSingle(const LabOptions& options, const std::vector<ScriptedRelease>& releases,
               std::ostream& warnings, std::ostream& out)
{
    const std::string space_png =
        options.png_prefix.empty() ? "" : options.png_prefix + "-space.png";
    const std::string graph_png =
        options.png_prefix.empty() ? "" : options.png_prefix + "-graph.png";
    auto state_file = OpenIfNamed(options.state_out);
    auto counts_file = OpenIfNamed(options.counts_out);
    auto space_file = OpenIfNamed(space_png);
    auto graph_file = OpenIfNamed(graph_png);
    auto stats_file = OpenIfNamed(options.stats_out);
    auto plot_file = OpenIfNamed(options.plot);
    // Warned only once every output is open, so a run refused for its outputs says one thing.
    WarnLateReleases(releases, options, warnings);

    World world{};
    RandomSource random = RandomSource::FromSeed(FirstSeed(options));
    // Nobody looks at the canvases unless they are to be saved, and drawing changes no world
    // value, so an unwatched run draws on surfaces that keep nothing.
    Canvas space = space_file ? Canvas::Space() : Canvas::Discarding();
    Canvas graph = graph_file ? Canvas::Graph() : Canvas::Discarding();
    PlotSeries plot;
    plot.title = "Morvane: one run from seed " + GroupedDigits(FirstSeed(options)) + ", " +
                 GroupedDigits(options.ticks) + " ticks";

    WriteText(counts_file.get(), CountsHeader());
    WriteText(stats_file.get(), StatsHeader());
    SingleWatcher watcher(counts_file.get(), stats_file.get(), plot_file ? &plot : nullptr);
    const bool sampled = stats_file || plot_file;
    const RunPlan plan{options.ticks, sampled ? RowSpacing(options) : 0, &releases};
    {
        ProgressMeter progress(static_cast<double>(options.ticks), ProgressWanted(options.quiet),
                               stderr);
        RunWorld(plan, world, random, space, graph, watcher, &progress);
    }

    if (state_file) WriteStateJson(state_file->Stream(), world, options.ticks);
    if (space_file) WritePng(space_file->Stream(), space);
    if (graph_file) WritePng(graph_file->Stream(), graph);
    if (plot_file) WritePlot(plot_file->Stream(), PlotFormatOf(options.plot), plot);
    for (OutputFile* file : {state_file.get(), counts_file.get(), space_file.get(),
                             graph_file.get(), stats_file.get(), plot_file.get()})
        if (file) file->Commit();
    if (options.hash) out << Hex16(HashWorld(world)) << "\n";
}

} // namespace morvane::lab

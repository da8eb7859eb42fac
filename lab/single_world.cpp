// Events are delivered between ticks exactly as the window's mouse handler would deliver them,
// and every output is opened before the first tick so a bad path costs no run.
#include "lab/single_world.h"

#include <cstdio>

#include "display/canvas.h"
#include "lab/output_set.h"
#include "lab/tick_loop.h"
#include "sim/random_source.h"
#include "sim/world.h"

namespace morvane::lab {

namespace {

bool Sampled(const OutputKind& kind) { return kind.sampled; }

} // namespace

void RunSingleWorld(const Request& request, const std::vector<ScriptedRelease>& releases,
                    std::ostream& warnings, std::ostream& out)
{
    OutputSet<WorldOutput> outputs = OpenWorldOutputs(request);
    // Warned only once every output is open, so a run refused for its outputs says one thing.
    WarnLateReleases(releases, request.events, request.ticks, warnings);

    World world{};
    RandomSource random = RandomSource::FromSeed(request.FirstSeed());
    // Nobody looks at the canvases unless an output keeps them, and drawing changes no world
    // value, so otherwise the run draws on surfaces that keep nothing.
    bool keep_canvases = false;
    Listeners listeners;
    for (auto& output : outputs.outputs) {
        keep_canvases |= output->NeedsCanvases();
        listeners.Add(*output);
    }
    Canvas space = keep_canvases ? Canvas::Space() : Canvas::Discarding();
    Canvas graph = keep_canvases ? Canvas::Graph() : Canvas::Discarding();

    const RunPlan plan{request.ticks, request.Asks(Sampled) ? request.RowSpacing() : 0, &releases};
    {
        ProgressMeter progress(static_cast<double>(request.ticks), ProgressWanted(request.quiet),
                               stderr);
        RunTicks(plan, world, random, space, graph, listeners, &progress);
    }

    outputs.Finish(FinishedWorld{world, space, graph, request.FirstSeed(), request.ticks}, out);
}

} // namespace morvane::lab

// Events are delivered between ticks exactly as the window's mouse handler would deliver them.
#include "lab/lab_run.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <ostream>
#include <vector>

#include "display/canvas.h"
#include "lab/events_file.h"
#include "lab/lab_error.h"
#include "lab/output_file.h"
#include "lab/png_image.h"
#include "lab/state_dump.h"
#include "sim/mouse_release.h"
#include "sim/tick.h"

namespace morvane::lab {

namespace {

// Two outputs naming one file would overwrite each other; refuse before anything is written.
struct NamedFile {
    const char* role; // the option that names it
    std::string path;
};

void RefuseSharedFiles(const std::vector<NamedFile>& files)
{
    std::vector<std::filesystem::path> seen;
    for (const NamedFile& file : files) {
        // Made absolute first: weakly_canonical leaves a relative path whose first part does
        // not exist as it is, so "a.json" and "./a.json" would look like two files.
        std::error_code ec;
        const std::filesystem::path absolute = std::filesystem::absolute(file.path);
        std::filesystem::path canonical = std::filesystem::weakly_canonical(absolute, ec);
        if (ec) canonical = absolute.lexically_normal();
        const auto earlier = std::find(seen.begin(), seen.end(), canonical);
        if (earlier != seen.end())
            throw LabError(std::string(files[earlier - seen.begin()].role) + " and " + file.role +
                           " both name " + file.path);
        seen.push_back(canonical);
    }
}

std::unique_ptr<OutputFile> OpenIfNamed(const std::string& path)
{
    return path.empty() ? nullptr : std::make_unique<OutputFile>(path);
}

} // namespace

void RunLab(const LabOptions& options, std::ostream& warnings)
{
    std::vector<ScriptedRelease> releases;
    if (!options.events.empty()) releases = ReadEventsFile(options.events);
    std::stable_sort(releases.begin(), releases.end(),
                     [](const ScriptedRelease& a, const ScriptedRelease& b) {
                         return a.after_ticks < b.after_ticks;
                     });
    const std::string space_png =
        options.png_prefix.empty() ? "" : options.png_prefix + "-space.png";
    const std::string graph_png =
        options.png_prefix.empty() ? "" : options.png_prefix + "-graph.png";
    std::vector<NamedFile> named;
    for (NamedFile file :
         {NamedFile{"--events", options.events}, NamedFile{"--state-out", options.state_out},
          NamedFile{"--counts-out", options.counts_out}, NamedFile{"--png", space_png},
          NamedFile{"--png", graph_png}})
        if (!file.path.empty()) named.push_back(file);
    RefuseSharedFiles(named);

    auto state_file = OpenIfNamed(options.state_out);
    auto counts_file = OpenIfNamed(options.counts_out);
    auto space_file = OpenIfNamed(space_png);
    auto graph_file = OpenIfNamed(graph_png);

    // Warned only once every output is open, so a run refused for its outputs says one thing.
    for (const ScriptedRelease& r : releases)
        if (r.after_ticks > options.ticks)
            warnings << "morvane-lab: warning: " << options.events << ":" << r.line
                     << ": release after " << r.after_ticks << " ticks lies beyond the run of "
                     << options.ticks << " ticks and is not delivered\n";

    World world{};
    RandomSource random = options.seed ? RandomSource::FromSeed(*options.seed) : RandomSource{};
    // Nobody looks at the canvases unless they are to be saved, and drawing changes no world
    // value, so an unwatched run draws on surfaces that keep nothing.
    Canvas space = space_file ? Canvas::Space() : Canvas::Discarding();
    Canvas graph = graph_file ? Canvas::Graph() : Canvas::Discarding();

    if (counts_file) std::fputs("tick,animals,plants\n", counts_file->Stream());
    auto next = releases.begin();
    for (std::uint64_t t = 0;; ++t) {
        for (; next != releases.end() && next->after_ticks == t; ++next)
            space_MouseUp(world, random, next->button, 0, next->x, next->y);
        if (t == options.ticks) break;
        const TickCounts counts = RunTick(world, random, space, graph);
        if (counts_file)
            std::fprintf(counts_file->Stream(), "%llu,%d,%d\n",
                         static_cast<unsigned long long>(t + 1), counts.animals, counts.plants);
    }

    if (state_file) WriteStateJson(state_file->Stream(), world, options.ticks);
    if (space_file) WritePng(space_file->Stream(), space);
    if (graph_file) WritePng(graph_file->Stream(), graph);
    for (OutputFile* file :
         {state_file.get(), counts_file.get(), space_file.get(), graph_file.get()})
        if (file) file->Commit();
}

} // namespace morvane::lab

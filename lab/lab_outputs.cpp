// Two outputs naming one file would overwrite each other; they are refused before anything
// is written, as is an output that would overwrite the events file being read.
#include "lab/lab_outputs.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "lab/lab_error.h"

namespace morvane::lab {

namespace {

struct NamedFile {
    const char* role; // the option that names it
    std::string path;
};

} // namespace

void RefuseSharedFiles(const LabOptions& options)
{
    const std::string space_png =
        options.png_prefix.empty() ? "" : options.png_prefix + "-space.png";
    const std::string graph_png =
        options.png_prefix.empty() ? "" : options.png_prefix + "-graph.png";
    std::vector<NamedFile> files;
    for (NamedFile file :
         {NamedFile{"--events", options.events}, NamedFile{"--state-out", options.state_out},
          NamedFile{"--counts-out", options.counts_out}, NamedFile{"--png", space_png},
          NamedFile{"--png", graph_png}, NamedFile{"--stats-out", options.stats_out},
          NamedFile{"--summary-out", options.summary_out},
          NamedFile{"--ensemble-out", options.ensemble_out}, NamedFile{"--plot", options.plot}})
        if (!file.path.empty()) files.push_back(file);

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

void WriteText(OutputFile* file, const std::string& text)
{
    if (file) std::fwrite(text.data(), 1, text.size(), file->Stream());
}

void WarnLateReleases(const std::vector<ScriptedRelease>& releases, const LabOptions& options,
                      std::ostream& warnings)
{
    for (const ScriptedRelease& r : releases)
        if (r.after_ticks > options.ticks)
            warnings << "morvane-lab: warning: " << options.events << ":" << r.line
                     << ": release after " << r.after_ticks << " ticks lies beyond the run of "
                     << options.ticks << " ticks and is not delivered\n";
}

std::string Hex16(std::uint64_t value)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

} // namespace morvane::lab

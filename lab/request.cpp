// Outputs that describe one world (its dump, its canvases, its every tick) have no meaning
// for an ensemble, and the ensemble's outputs none for a single run; both are said plainly
// rather than one of them silently ignored. Two outputs naming one file would overwrite each
// other; they are refused before anything is written, as is an output that would overwrite
// the events file being read.
#include "lab/request.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "lab/lab_error.h"
#include "lab/tick_loop.h"
#include "lab/whole_number.h"
#include "sim/random_source.h"

namespace morvane::lab {

std::uint64_t Request::FirstSeed() const { return seed.value_or(RandomSource::DefaultInitState); }

std::uint64_t Request::RowSpacing() const { return every.value_or(DefaultEvery); }

bool Request::Asks(bool (*wanted)(const OutputKind&)) const
{
    for (std::size_t k = 0; k < OutputKinds; ++k)
        if (outputs[k] && wanted(Outputs()[k])) return true;
    return false;
}

namespace {

bool DescribesOneWorld(const OutputKind& kind) { return kind.describes == Describes::OneWorld; }
bool WritesForEnsembles(const OutputKind& kind)
{
    return kind.describes != Describes::OneWorld && kind.files != nullptr;
}
bool Sampled(const OutputKind& kind) { return kind.sampled; }
bool Kept(const OutputKind& kind) { return kind.kept; }

} // namespace

void CheckCombinations(const Request& request)
{
    if (request.Ensemble()) {
        for (std::size_t k = 0; k < OutputKinds; ++k)
            if (request.outputs[k] && DescribesOneWorld(Outputs()[k]))
                throw LabError(std::string(Outputs()[k].option) +
                               " describes a single world and cannot be combined with --runs "
                               "(use " +
                               OptionList(WritesForEnsembles, "or") + ")");
        const std::uint64_t first = request.FirstSeed();
        if (*request.runs - 1 > LargestWholeNumber - first)
            throw LabError("--runs " + std::to_string(*request.runs) + " from seed " +
                           std::to_string(first) + " would need seeds beyond 18446744073709551615");
    } else {
        for (std::size_t k = 0; k < OutputKinds; ++k)
            if (request.outputs[k] && Outputs()[k].describes == Describes::Ensemble)
                throw LabError(std::string(Outputs()[k].option) + " needs --runs");
        if (request.threads) throw LabError("--threads needs --runs");
    }

    if (request.every && !request.Asks(Sampled))
        throw LabError("--every sets the rows of " + OptionList(Sampled, "and") +
                       ", and none of them is asked for");
    for (std::size_t k = 0; k < OutputKinds; ++k)
        if (request.outputs[k] && Outputs()[k].check) Outputs()[k].check(*request.outputs[k]);

    // Sampled outputs that stream their rows need no memory; those that keep them do.
    const std::uint64_t rows = RowCount(request.ticks, request.RowSpacing());
    const std::uint64_t runs = request.runs.value_or(1);
    if (request.Asks(Kept) && rows > MostSamples / runs)
        throw LabError(std::to_string(runs) + (runs == 1 ? " run" : " runs") + " of " +
                       std::to_string(rows) + " rows would keep more than " +
                       std::to_string(MostSamples) +
                       " samples in memory (take a larger --every or fewer --runs)");
}

void RefuseSharedFiles(const Request& request)
{
    struct NamedFile {
        const char* role; // the option that names it
        std::string path;
    };
    std::vector<NamedFile> files;
    if (!request.events.empty()) files.push_back({"--events", request.events});
    for (std::size_t k = 0; k < OutputKinds; ++k)
        if (request.outputs[k] && Outputs()[k].files)
            for (const std::string& path : Outputs()[k].files(*request.outputs[k]))
                files.push_back({Outputs()[k].option, path});

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

} // namespace morvane::lab

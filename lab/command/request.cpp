// Outputs that describe one world (its dump, its canvases, its every tick) have no meaning
// for an ensemble, and the ensemble's outputs none for a single run; both are said plainly
// rather than one of them silently ignored. Two outputs naming one file would overwrite each
// other; they are refused before anything is written, as is an output that would overwrite
// the events file being read.
#include "lab/command/request.h"

#include <string_view>
#include <vector>

#include "lab/command/lab_error.h"
#include "lab/command/shared_files.h"
#include "lab/command/whole_number.h"
#include "sim/random_source.h"
#include "sim/world_run.h"

namespace morvane::lab {

std::uint64_t Request::FirstSeed() const { return seed.value_or(RandomSource::DefaultInitState); }

std::uint64_t Request::RowSpacing() const { return every.value_or(DefaultRowSpacing); }

namespace {

bool WritesForEnsembles(const OutputKind& kind)
{
    return DescribesEnsembles(kind) && WritesFiles(kind);
}
bool WritesSamples(const OutputKind& kind)
{
    return std::string_view(kind.option) == "--samples-out";
}

// A shard holds a part of the runs: its samples, and the hashes it prints, are the part's own;
// every other file describes the whole ensemble and is made by the merge.
void CheckShard(const Request& request)
{
    if (!request.Asks(WritesSamples))
        throw LabError(
            "--shard needs --samples-out, the file its runs go to for morvane-lab merge");
    for (std::size_t k = 0; k < OutputKinds; ++k) {
        const OutputKind& kind = Outputs()[k];
        if (!request.outputs[k] || !kind.files || WritesSamples(kind)) continue;
        if (MadeFromSamples(kind))
            throw LabError(std::string(kind.option) + " describes the whole " +
                           (request.Sweep() ? "sweep" : "ensemble") +
                           ": with --shard, write --samples-out and make it from the shards "
                           "with morvane-lab merge");
        throw LabError(std::string(kind.option) +
                       " follows every run event by event, which a shard's samples do not keep: "
                       "ask for it from one process running all the runs");
    }
}

} // namespace

// A sweep's points come from one place. (A rule fixed and swept at once is refused once the
// points are known.)
void CheckSweep(const Request& request)
{
    if (!request.varies.empty() && !request.design_file.empty())
        throw LabError("--vary and --design cannot be combined: a sweep's points come from one "
                       "or the other");
}

void CheckCombinations(const Request& request)
{
    if (request.Ensemble()) {
        for (std::size_t k = 0; k < OutputKinds; ++k)
            if (request.outputs[k] && DescribesOneWorld(Outputs()[k]))
                throw LabError(std::string(Outputs()[k].option) +
                               " describes a single world and cannot be combined with --runs "
                               "(use " +
                               OptionList(WritesForEnsembles, "or") + ")");
        if (request.Resumed() && !request.seed)
            throw LabError("--resume with --runs forks the kept world into runs that differ only "
                           "by chance, so it needs --seed S (run r then draws from seed S + r)");
        const std::uint64_t first = request.FirstSeed();
        if (*request.runs - 1 > LargestWholeNumber - first)
            throw LabError("--runs " + std::to_string(*request.runs) + " from seed " +
                           std::to_string(first) + " would need seeds beyond 18446744073709551615");
        if (request.shard) CheckShard(request);
        if (request.Sweep()) CheckSweep(request);
    } else {
        for (std::size_t k = 0; k < OutputKinds; ++k)
            if (request.outputs[k] && OnlyForEnsembles(Outputs()[k]))
                throw LabError(std::string(Outputs()[k].option) + " needs --runs");
        for (std::size_t k = 0; k < OutputKinds; ++k)
            if (request.outputs[k] && DescribesSweeps(Outputs()[k]))
                throw LabError(std::string(Outputs()[k].option) +
                               " needs --vary or --design, the sweep it describes");
        if (request.threads) throw LabError("--threads needs --runs");
    }
    if (request.checkpoint_every && !request.Asks(KeepsWorlds))
        throw LabError("--checkpoint-every needs --checkpoint-out, the file it replaces");

    // A checkpoint carries the births and deaths since the last row of K ticks, for the rows
    // of a resumed --stats-out, so --every has a meaning for it too.
    if (request.every && !request.Asks(Sampled) && !request.Asks(KeepsWorlds))
        throw LabError("--every sets the rows of " + OptionList(Sampled, "and") +
                       ", and none of them is asked for");
}

void RefuseSharedFiles(const Request& request)
{
    std::vector<NamedFile> files;
    if (!request.events.empty()) files.push_back({"--events", request.events});
    if (!request.rules_file.empty()) files.push_back({"--rules", request.rules_file});
    if (!request.design_file.empty()) files.push_back({"--design", request.design_file});
    if (request.Resumed()) files.push_back({"--resume", request.resume, true});
    for (std::size_t k = 0; k < OutputKinds; ++k)
        if (request.outputs[k] && Outputs()[k].files)
            for (const std::string& path : Outputs()[k].files(*request.outputs[k]))
                files.push_back({Outputs()[k].option, path, false, KeepsWorlds(Outputs()[k])});
    RefuseSharedFiles(files);
}

} // namespace morvane::lab

// Outputs that describe one world (its dump, its canvases, its every tick) have no meaning
// for an ensemble, and the ensemble's outputs none for a single run; both are said plainly
// rather than one of them silently ignored. Two outputs naming one file would overwrite each
// other; they are refused before anything is written, as is an output that would overwrite
// the events file being read.
#include "lab/request.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "lab/lab_error.h"
#include "lab/merge.h"
#include "lab/output_file.h"
#include "lab/samples_file.h"
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

const std::string* Request::ValueOf(bool (*wanted)(const OutputKind&)) const
{
    for (std::size_t k = 0; k < OutputKinds; ++k)
        if (outputs[k] && wanted(Outputs()[k])) return &*outputs[k];
    return nullptr;
}

namespace {

bool DescribesOneWorld(const OutputKind& kind) { return kind.describes == Describes::OneWorld; }
bool WritesForEnsembles(const OutputKind& kind)
{
    return kind.describes != Describes::OneWorld && kind.files != nullptr;
}
bool Sampled(const OutputKind& kind) { return kind.sampled; }
bool Kept(const OutputKind& kind) { return kind.kept; }
bool Tallied(const OutputKind& kind) { return kind.tallied; }
bool KeepsWorlds(const OutputKind& kind) { return kind.keeps_worlds; }
bool WritesSamples(const OutputKind& kind) { return kind.for_ensemble == MakeSamplesOutput; }

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
            throw LabError(std::string(kind.option) +
                           " describes the whole ensemble: with --shard, write --samples-out and "
                           "make it from the shards with morvane-lab merge");
        throw LabError(std::string(kind.option) +
                       " follows every run event by event, which a shard's samples do not keep: "
                       "ask for it from one process running all the runs");
    }
}

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
        if (request.Resumed() && !request.seed)
            throw LabError("--resume with --runs forks the kept world into runs that differ only "
                           "by chance, so it needs --seed S (run r then draws from seed S + r)");
        const std::uint64_t first = request.FirstSeed();
        if (*request.runs - 1 > LargestWholeNumber - first)
            throw LabError("--runs " + std::to_string(*request.runs) + " from seed " +
                           std::to_string(first) + " would need seeds beyond 18446744073709551615");
        if (request.shard) CheckShard(request);
    } else {
        for (std::size_t k = 0; k < OutputKinds; ++k)
            if (request.outputs[k] && Outputs()[k].describes == Describes::Ensemble)
                throw LabError(std::string(Outputs()[k].option) + " needs --runs");
        if (request.threads) throw LabError("--threads needs --runs");
    }
    if (request.checkpoint_every && !request.Asks(KeepsWorlds))
        throw LabError("--checkpoint-every needs --checkpoint-out, the file it replaces");

    // A checkpoint carries the births and deaths since the last row of K ticks, for the rows
    // of a resumed --stats-out, so --every has a meaning for it too.
    if (request.every && !request.Asks(Sampled) && !request.Asks(KeepsWorlds))
        throw LabError("--every sets the rows of " + OptionList(Sampled, "and") +
                       ", and none of them is asked for");
    for (std::size_t k = 0; k < OutputKinds; ++k)
        if (request.outputs[k] && Outputs()[k].check) Outputs()[k].check(*request.outputs[k]);
}

RunPlan PlanOf(const Request& request, const RunState& start)
{
    RunPlan plan;
    plan.to = start.ticks_run + request.ticks; // CheckRunFits refuses a sum past 2^64 - 1
    plan.every = request.RowSpacing();
    plan.take_rows = request.Asks(Sampled);
    plan.resumed = request.Resumed();
    return plan;
}

void CheckRunFits(const Request& request, const RunState& start)
{
    const std::uint64_t from = start.ticks_run;
    if (request.ticks > LargestWholeNumber - from)
        throw LabError("--ticks " + std::to_string(request.ticks) + " from the " +
                       std::to_string(from) + " ticks of " + request.resume +
                       " would run beyond 18446744073709551615 ticks");

    // Sampled outputs that stream their rows need no memory; those that keep them do, and an
    // ensemble keeps every sampled output's rows, to take quantiles across its runs.
    const RunPlan plan = PlanOf(request, start);
    const std::uint64_t rows = RowsOf(plan, from).Count();
    const std::uint64_t runs = request.runs.value_or(1);
    const bool keeps_rows = request.Ensemble() ? request.Asks(Sampled) : request.Asks(Kept);
    if (keeps_rows && rows > MostSamples / runs)
        throw LabError(std::to_string(runs) + (runs == 1 ? " run" : " runs") + " of " +
                       std::to_string(rows) + " rows would keep more than " +
                       std::to_string(MostSamples) +
                       " samples in memory (take a larger --every or fewer --runs)");

    // A resumed run's first row counts the births and deaths since the last row of K before
    // the checkpoint; the checkpoint carries them since its own last row.
    const std::uint64_t last_row = LastRowAtOrBefore(from, plan.every);
    if (request.Resumed() && request.Asks(Tallied) && last_row != start.since_row_tick)
        throw LabError("--every " + std::to_string(plan.every) + ": " + request.resume +
                       " counts births and deaths from tick " +
                       std::to_string(start.since_row_tick) + ", but rows every " +
                       std::to_string(plan.every) + " ticks had their last at tick " +
                       std::to_string(last_row) + " (resume with the --every it was written with)");
}

void RefuseSharedFiles(const Request& request)
{
    std::vector<NamedFile> files;
    if (!request.events.empty()) files.push_back({"--events", request.events});
    if (request.Resumed()) files.push_back({"--resume", request.resume, true});
    for (std::size_t k = 0; k < OutputKinds; ++k)
        if (request.outputs[k] && Outputs()[k].files)
            for (const std::string& path : Outputs()[k].files(*request.outputs[k]))
                files.push_back({Outputs()[k].option, path, false, KeepsWorlds(Outputs()[k])});
    RefuseSharedFiles(files);
}

namespace {

// What tells two names of one file apart from two files: the file itself where it exists,
// else the place its name leads to.
struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    std::filesystem::path place;

    bool operator==(const FileIdentity& other) const
    {
        if (exists && other.exists) return device == other.device && inode == other.inode;
        return !exists && !other.exists && place == other.place;
    }
};

FileIdentity IdentityOf(const NamedFile& file)
{
    // An output is written where its links lead, even to a file not made yet.
    const std::string place = file.Input() ? file.path : OutputPlace(file.path);
    FileIdentity identity;
    struct stat status {};
    if (::stat(place.c_str(), &status) == 0) {
        identity.exists = true;
        identity.device = status.st_dev;
        identity.inode = status.st_ino;
    }
    // Made absolute first: weakly_canonical leaves a relative path whose first part does
    // not exist as it is, so "a.json" and "./a.json" would look like two files.
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(place, ec);
    identity.place = std::filesystem::weakly_canonical(absolute, ec);
    if (ec) identity.place = absolute.lexically_normal();
    return identity;
}

} // namespace

void RefuseSharedFiles(const std::vector<NamedFile>& files)
{
    std::vector<FileIdentity> seen;
    for (const NamedFile& file : files) {
        const FileIdentity identity = IdentityOf(file);
        const auto earlier = std::find(seen.begin(), seen.end(), identity);
        // The checkpoint a run resumed is read whole before the first tick, so the run may
        // keep its own end there.
        const bool replaces_resumed =
            earlier != seen.end() && files[earlier - seen.begin()].resumed && file.keeps_worlds;
        // Files to merge are only read; one named twice shows as its runs held twice.
        const bool both_merged =
            earlier != seen.end() && files[earlier - seen.begin()].merged && file.merged;
        if (earlier != seen.end() && !replaces_resumed && !both_merged)
            throw LabError(std::string(files[earlier - seen.begin()].role) + " and " + file.role +
                           " both name " + file.path);
        seen.push_back(identity);
    }
}

} // namespace morvane::lab

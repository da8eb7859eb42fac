// Shards may come in any order and from any split of the runs; what matters is that together
// they hold every run of one request exactly once. The outputs are then made by the very code
// a one-process ensemble uses, from records equal to its own in every value it prints.
#include "lab/shards/merge.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "lab/command/input_file.h"
#include "lab/command/lab_error.h"
#include "lab/command/shared_files.h"
#include "lab/outputs/ensemble_table.h"
#include "lab/outputs/output_set.h"
#include "lab/shards/samples_file.h"

namespace morvane::lab {

namespace {

struct ShardFile {
    std::string path;
    std::filesystem::path place; // the file itself, however it was named
    ShardSamples samples;
};

ShardFile ReadSamplesFile(const std::string& path)
{
    InputFile file(path, "merge: " + path);
    // Never more than a samples file can hold and one byte, whatever file was named.
    const std::string bytes = file.ReadUpTo(MostSamplesFileBytes);
    std::error_code ec;
    std::filesystem::path place =
        std::filesystem::weakly_canonical(std::filesystem::absolute(path), ec);
    if (ec) place = std::filesystem::absolute(path).lexically_normal();
    try {
        return {path, place, ReadSamples(bytes)};
    } catch (const SamplesError& e) {
        throw LabError("merge: " + path + ": " + e.what());
    }
}

// `shard` must follow the request of the first file read, `first` (named `first_path`).
void RefuseOtherRequest(const std::string& first_path, const EnsembleIdentity& first,
                        const ShardFile& shard)
{
    const EnsembleIdentity& other = shard.samples.identity;
    if (first.program_version != other.program_version)
        throw LabError("merge: " + first_path + " and " + shard.path +
                       " were written by different versions of morvane-lab (" +
                       first.program_version + " and " + other.program_version + ")");
    if (const std::string difference = FirstDifference(first, other); !difference.empty())
        throw LabError("merge: " + first_path + " and " + shard.path +
                       " are shards of different requests (" + difference + ")");
}

// "a, b and c", or the first `most` of them and how many more.
std::string Listed(const std::vector<std::string>& items, std::size_t most)
{
    std::string list;
    const std::size_t shown = std::min(items.size(), most);
    for (std::size_t k = 0; k < shown; ++k) {
        if (k > 0) list += k + 1 == items.size() ? " and " : ", ";
        list += items[k];
    }
    if (shown < items.size()) list += " and " + std::to_string(items.size() - shown) + " more";
    return list;
}

std::string Plural(std::size_t count, const char* one, const char* many)
{
    return count == 1 ? one : many;
}

// The seeds of an ensemble's runs: "14 to 16", "15".
std::string SeedSpan(const EnsembleIdentity& id, RunRange runs)
{
    const std::uint64_t first = id.first_seed + runs.first, last = id.first_seed + runs.end - 1;
    return first == last ? std::to_string(first)
                         : std::to_string(first) + " to " + std::to_string(last);
}

// A sweep's runs by point and seed: "point 2, seeds 14 to 16", "point 0, seed 15 to point 1,
// seed 12".
std::string PointSpan(const EnsembleIdentity& id, RunRange runs)
{
    const auto seed = [&](std::uint64_t run) {
        return std::to_string(id.first_seed + run % id.runs);
    };
    const auto point = [&](std::uint64_t run) { return std::to_string(run / id.runs); };
    const std::uint64_t last = runs.end - 1;
    if (runs.Count() == 1) return "point " + point(last) + ", seed " + seed(last);
    if (runs.first / id.runs == last / id.runs)
        return "point " + point(last) + ", seeds " + seed(runs.first) + " to " + seed(last);
    return "point " + point(runs.first) + ", seed " + seed(runs.first) + " to point " +
           point(last) + ", seed " + seed(last);
}

// Stretches of runs in a user's words: by their seeds in an ensemble ("seeds 11 to 13 and 17
// to 19"), by point and seed in a sweep.
std::string SpansText(const EnsembleIdentity& id, const std::vector<RunRange>& spans)
{
    std::vector<std::string> texts;
    std::uint64_t runs = 0;
    for (const RunRange& span : spans) {
        texts.push_back(id.swept ? PointSpan(id, span) : SeedSpan(id, span));
        runs += span.Count();
    }
    return (id.swept ? "" : Plural(runs, "seed ", "seeds ")) + Listed(texts, 4);
}

// Every run once: none in two files, none in no file.
void RefuseGapsAndRepeats(const EnsembleIdentity& id, std::vector<ShardFile>& shards)
{
    std::stable_sort(shards.begin(), shards.end(), [](const ShardFile& a, const ShardFile& b) {
        return a.samples.runs.first < b.samples.runs.first;
    });
    std::vector<RunRange> gaps;
    std::uint64_t next = 0; // the first run no file before has held
    const ShardFile* before = nullptr;
    for (const ShardFile& shard : shards) {
        const RunRange runs = shard.samples.runs;
        if (runs.first < next && before->place == shard.place)
            throw LabError("merge: " + shard.path + " is given twice");
        if (runs.first < next) {
            const bool same = before->samples.shard == shard.samples.shard;
            const RunRange both{runs.first, std::min(next, runs.end)};
            throw LabError("merge: " + before->path + " and " + shard.path + " both hold " +
                           (same ? "shard " + ShardText(shard.samples.shard) + ", " : "") +
                           "the runs of " + SpansText(id, {both}));
        }
        if (runs.first > next) gaps.push_back({next, runs.first});
        next = runs.end;
        before = &shard;
    }
    if (next < id.AllRuns()) gaps.push_back({next, id.AllRuns()});
    if (gaps.empty()) return;

    // When every file comes from one split, the missing runs are whole shards of it.
    const std::uint64_t k = shards.front().samples.shard.count;
    std::vector<std::string> missing;
    if (std::all_of(shards.begin(), shards.end(),
                    [&](const ShardFile& s) { return s.samples.shard.count == k; }))
        for (std::uint64_t i = 1; i <= k; ++i) {
            const RunRange runs = RunsOf({i, k}, id.AllRuns());
            for (const RunRange& gap : gaps)
                if (runs.first >= gap.first && runs.end <= gap.end)
                    missing.push_back(ShardText({i, k}));
        }
    throw LabError("merge: the runs of " + SpansText(id, gaps) + " are in none of the " +
                   std::to_string(shards.size()) +
                   Plural(shards.size(), " file given", " files given") +
                   (missing.empty() ? ""
                                    : " (missing: " + Plural(missing.size(), "shard ", "shards ") +
                                          Listed(missing, 8) + ")"));
}

// A sweep's table has nothing to say of an ensemble's runs.
void RefuseSweepOutputsOfAnEnsemble(const MergeRequest& request, const EnsembleIdentity& id,
                                    const std::string& path)
{
    if (id.swept) return;
    for (std::size_t k = 0; k < OutputKinds; ++k)
        if (request.outputs[k] && DescribesSweeps(Outputs()[k]))
            throw LabError(std::string("merge: ") + Outputs()[k].option +
                           " describes a sweep, and " + path +
                           " holds the runs of an ensemble (no --vary or --design)");
}

} // namespace

void RunMerge(const MergeRequest& request, std::ostream& out, StopFlag stop)
{
    std::vector<NamedFile> named;
    for (const std::string& path : request.files)
        named.push_back({"merge: a file to merge", path, false, false, true});
    for (std::size_t k = 0; k < OutputKinds; ++k) {
        const OutputKind& kind = Outputs()[k];
        if (!request.outputs[k]) continue;
        if (kind.files)
            for (const std::string& path : kind.files(*request.outputs[k]))
                named.push_back({kind.option, path});
    }
    RefuseSharedFiles(named);

    const auto interrupted = [&] {
        return RunInterrupted(stop.Signal(), "interrupted while merging; nothing was written");
    };
    // Each file is held to the first as it is read, and only the first's table of the points'
    // rules is kept (every record carries its own): the many parts of a large sweep hold one.
    std::vector<ShardFile> shards;
    EnsembleIdentity identity;
    for (const std::string& path : request.files) {
        if (stop.Raised()) throw interrupted();
        ShardFile shard = ReadSamplesFile(path);
        if (shards.empty())
            identity = shard.samples.identity;
        else
            RefuseOtherRequest(request.files.front(), identity, shard);
        shard.samples.identity.point_rules = {};
        shards.push_back(std::move(shard));
    }
    RefuseSweepOutputsOfAnEnsemble(request, identity, request.files.front());
    RefuseGapsAndRepeats(identity, shards);

    // In point-then-seed order, as the files now stand.
    std::vector<RunRecord> records;
    records.reserve(identity.AllRuns());
    for (ShardFile& shard : shards)
        for (RunRecord& record : shard.samples.records)
            records.push_back(std::move(record));
    shards.clear();

    OutputSet<EnsembleOutput> outputs = OpenEnsembleOutputs(request.outputs);
    const RowSchedule schedule{identity.from, identity.to, identity.every, identity.resumed};
    const std::vector<EnsembleRow> rows = AnyAsked(request.outputs, Sampled)
                                              ? PointRows(records, identity.runs, schedule)
                                              : std::vector<EnsembleRow>{};
    if (stop.Raised()) throw interrupted();
    // The outputs that write as runs finish are told of them in their order.
    for (auto& output : outputs.outputs) {
        output->Expect(records.size());
        for (std::size_t k = 0; k < records.size(); ++k)
            output->RunDone(k, records[k]);
    }
    outputs.Finish(FinishedEnsemble{records, rows, identity, {0, identity.AllRuns()}, Shard{}},
                   out);
}

} // namespace morvane::lab

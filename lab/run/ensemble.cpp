// Each run is a world of its own with its own random source, and its record goes to the slot
// of its seed, so which thread ran it, and when, cannot show in any output. A fork is an
// ensemble whose runs start from a kept world instead of a fresh one.
#include "lab/run/ensemble.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "lab/command/lab_error.h"
#include "lab/outputs/ensemble_table.h"
#include "lab/outputs/output_set.h"
#include "lab/run/run_plan.h"
#include "lab/run/tick_loop.h"
#include "lab/shards/samples_file.h"
#include "sim/number_text.h"
#include "sim/program_version.h"
#include "sim/world_hash.h"

namespace morvane::lab {

namespace {

class SampleKeeper : public RunListener {
public:
    explicit SampleKeeper(std::vector<RunSample>& samples) : samples_(samples) {}
    void RowDue(const SampleRow& row) override
    {
        samples_.push_back({static_cast<std::int16_t>(row.animals.living),
                            static_cast<std::int16_t>(row.plants), row.animals.speed.mean,
                            row.animals.turn.mean});
    }

private:
    std::vector<RunSample>& samples_;
};

// Run `index` of the ensemble, from `seed`: `start` going on with its random source restarted
// from `seed`, listened to by the outputs that follow each run as it goes.
RunRecord RunOne(const RunPlan& plan, const RunState& start, std::uint64_t index,
                 std::uint64_t point, std::uint64_t run_of_point, const Rules& rules,
                 std::uint64_t seed, OutputSet<EnsembleOutput>& outputs, ProgressMeter& progress)
{
    RunRecord record;
    record.point = point;
    record.run = run_of_point;
    record.rules = rules;
    record.seed = seed;
    WorldRun run = WorldRun(start).Fork(seed);
    run.State().rules = rules;
    if (plan.take_rows) record.samples.reserve(RowsOf(plan, start.ticks_run).Count());
    Listeners listeners;
    SampleKeeper keeper(record.samples);
    listeners.Add(keeper);
    for (auto& output : outputs.outputs)
        if (RunListener* listener = output->ListenerFor(index)) listeners.Add(*listener);
    record.totals = RunTicks(plan, run, listeners, &progress);
    record.ticks = run.TicksRun();
    record.final_census = TakeCensus(run.State().world);
    record.final_plants = LivingPlants(run.State().world);
    record.hash = run.Hash();
    return record;
}

// The request as the samples of a shard record it, so the shards of one ensemble or sweep are
// known: `point_rules` holds a sweep's points, or the one point of an ensemble.
EnsembleIdentity IdentityOf(const Request& request, const RunPlan& plan, const RunState& start,
                            const std::vector<Rules>& point_rules, const InputDigests& inputs)
{
    EnsembleIdentity id;
    static_assert(ProgramVersion.size() <= MostProgramVersionBytes);
    id.program_version = ProgramVersion;
    id.to = plan.to;
    id.from = start.ticks_run;
    id.resumed = plan.resumed;
    id.every = plan.every;
    id.first_seed = request.FirstSeed();
    id.runs = *request.runs;
    id.events = inputs.events;
    id.checkpoint = inputs.checkpoint;
    id.swept = request.Sweep();
    id.point_rules = point_rules;
    return id;
}

} // namespace

std::uint64_t DefaultThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

namespace {

void RunEnsembleAsked(const Request& request, RunState start, std::vector<Rules> point_rules,
                      const std::vector<ScriptedRelease>& releases, const InputDigests& inputs,
                      std::ostream& warnings, std::ostream& out, StopFlag stop)
{
    if (point_rules.empty()) point_rules.push_back(start.rules);
    OutputSet<EnsembleOutput> outputs = OpenEnsembleOutputs(request.outputs);
    RunPlan plan = PlanOf(request, start);
    plan.releases = &releases;
    plan.stop = stop;
    plan.take_rows = request.Asks(Sampled); // no ensemble output streams its rows
    WarnLateReleases(releases, request.events, plan.to, warnings);

    // No ensemble output looks at a canvas.
    start.space = Canvas::Discarding(), start.graph = Canvas::Discarding();
    const EnsembleIdentity identity = IdentityOf(request, plan, start, point_rules, inputs);
    const Shard shard = request.shard.value_or(Shard{});
    // The runs of this process: all of them, or a shard's part of every point's runs.
    const RunRange range = RunsOf(shard, identity.AllRuns());
    const std::uint64_t runs = range.Count(), per_point = identity.runs;
    // Kept only for the outputs that make their files once every run is done.
    bool keep_records = false;
    for (auto& output : outputs.outputs)
        keep_records = keep_records || output->KeepsRecords();
    std::vector<RunRecord> records(keep_records ? runs : 0);
    for (auto& output : outputs.outputs)
        output->Expect(runs);
    std::atomic<std::uint64_t> ticks_done{0};
    {
        ProgressMeter progress(static_cast<double>(request.ticks) * static_cast<double>(runs),
                               ProgressWanted(request.quiet), stderr);
        std::atomic<std::uint64_t> next{0};
        std::mutex failure_mutex;
        std::exception_ptr failure;
        auto work = [&] {
            try {
                for (std::uint64_t k; (k = next.fetch_add(1)) < runs;) {
                    if (stop.Raised()) break;
                    const std::uint64_t point = (range.first + k) / per_point,
                                        run = (range.first + k) % per_point;
                    RunRecord record = RunOne(plan, start, k, point, run, point_rules[point],
                                              identity.first_seed + run, outputs, progress);
                    ticks_done += record.ticks - start.ticks_run;
                    for (auto& output : outputs.outputs)
                        output->RunDone(k, record);
                    if (keep_records) records[k] = std::move(record);
                }
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failure_mutex);
                if (!failure) failure = std::current_exception();
                next = runs; // the others stop at their next run
            }
        };
        const std::uint64_t threads = std::min(request.threads.value_or(DefaultThreads()), runs);
        std::vector<std::thread> pool;
        bool started = true;
        try {
            for (std::uint64_t t = 1; t < threads; ++t)
                pool.emplace_back(work);
        } catch (const std::system_error&) {
            started = false;
            next = runs; // the threads already started stop at their next run
        }
        if (started) work(); // this thread is one of the workers
        for (std::thread& thread : pool)
            thread.join();
        if (!started)
            throw LabError("--threads " + std::to_string(threads) +
                           ": the system would not start that many threads");
        if (failure) std::rethrow_exception(failure);
    } // the bar is wiped here, before anything else is said
    if (stop.Raised())
        throw RunInterrupted(stop.Signal(),
                             "interrupted after " + GroupedDigits(ticks_done) + " of " +
                                 GroupedDigits(request.ticks * runs) + " ticks of " +
                                 GroupedDigits(runs) +
                                 " runs; nothing was written (an ensemble keeps no checkpoint)");

    // The rows across each point's runs, worked out once for every output that keeps rows; a
    // shard's outputs take none (its part is no whole point).
    const std::vector<EnsembleRow> rows =
        plan.take_rows && !request.shard
            ? PointRows(records, per_point, RowsOf(plan, start.ticks_run))
            : std::vector<EnsembleRow>{};
    outputs.Finish(FinishedEnsemble{records, rows, identity, range, shard}, out);
}

} // namespace

void RunEnsemble(const Request& request, RunState start, const std::vector<Rules>& point_rules,
                 const std::vector<ScriptedRelease>& releases, const InputDigests& inputs,
                 std::ostream& warnings, std::ostream& out, StopFlag stop)
{
    // The records of every run, and their rows, are held until the end: a request too large
    // for this machine's memory is said in those words.
    const std::uint64_t runs = RunsOf(request.shard.value_or(Shard{}),
                                      *request.runs * std::max<std::size_t>(point_rules.size(), 1))
                                   .Count();
    const std::uint64_t rows =
        request.Asks(Sampled) ? RowsOf(PlanOf(request, start), start.ticks_run).Count() : 0;
    try {
        RunEnsembleAsked(request, std::move(start), point_rules, releases, inputs, warnings, out,
                         stop);
    } catch (const std::bad_alloc&) {
        throw LabError("not enough memory for " + GroupedDigits(runs) +
                       (runs == 1 ? " run" : " runs") +
                       (rows == 0 ? std::string()
                                  : " of " + GroupedDigits(rows) + (rows == 1 ? " row" : " rows")) +
                       " (take a larger --every or fewer --runs)");
    }
}

} // namespace morvane::lab

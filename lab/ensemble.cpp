// Each run is a world of its own with its own random source, and its record goes to the slot
// of its seed, so which thread ran it, and when, cannot show in any output.
#include "lab/ensemble.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#include "lab/ensemble_table.h"
#include "lab/lab_error.h"
#include "lab/output_set.h"
#include "lab/tick_loop.h"
#include "sim/world_hash.h"

namespace morvane::lab {

namespace {

bool Kept(const OutputKind& kind) { return kind.kept; }

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

RunRecord RunOne(const RunPlan& plan, std::uint64_t seed, bool keep_samples,
                 ProgressMeter& progress)
{
    RunRecord record;
    record.seed = seed;
    record.ticks = plan.ticks;
    World world{};
    RandomSource random = RandomSource::FromSeed(seed);
    Canvas space = Canvas::Discarding(), graph = Canvas::Discarding();
    if (keep_samples) record.samples.reserve(RowCount(plan.ticks, plan.every));
    SampleKeeper keeper(record.samples);
    RunListener nobody;
    RunPlan sampled = plan;
    if (!keep_samples) sampled.every = 0;
    record.totals = RunTicks(sampled, world, random, space, graph,
                             keep_samples ? static_cast<RunListener&>(keeper) : nobody, &progress);
    record.final_census = TakeCensus(world);
    record.final_plants = LivingPlants(world);
    record.hash = HashWorld(world);
    return record;
}

} // namespace

std::uint64_t DefaultThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

void RunEnsemble(const Request& request, const std::vector<ScriptedRelease>& releases,
                 std::ostream& warnings, std::ostream& out)
{
    OutputSet<EnsembleOutput> outputs = OpenEnsembleOutputs(request);
    WarnLateReleases(releases, request.events, request.ticks, warnings);

    const std::uint64_t runs = *request.runs, first_seed = request.FirstSeed();
    const bool keep_samples = request.Asks(Kept);
    const RunPlan plan{request.ticks, request.RowSpacing(), &releases};
    std::vector<RunRecord> records(runs);
    {
        ProgressMeter progress(static_cast<double>(request.ticks) * static_cast<double>(runs),
                               ProgressWanted(request.quiet), stderr);
        std::atomic<std::uint64_t> next{0};
        std::mutex failure_mutex;
        std::exception_ptr failure;
        auto work = [&] {
            try {
                for (std::uint64_t k; (k = next.fetch_add(1)) < runs;)
                    records[k] = RunOne(plan, first_seed + k, keep_samples, progress);
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
    }

    // The rows across the runs, worked out once for every output that keeps rows.
    std::vector<EnsembleRow> rows;
    const std::uint64_t row_count = keep_samples ? RowCount(request.ticks, plan.every) : 0;
    for (std::uint64_t k = 0; k < row_count; ++k)
        rows.push_back(EnsembleAt(records, k, RowTick(k, request.ticks, plan.every)));

    outputs.Finish(FinishedEnsemble{records, rows, first_seed, request.ticks}, out);
}

} // namespace morvane::lab

// Each run is a world of its own with its own random source, and its record goes to the slot
// of its seed, so which thread ran it, and when, cannot show in any output.
#include "lab/ensemble_run.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#include "lab/ensemble_table.h"
#include "lab/lab_error.h"
#include "lab/lab_outputs.h"
#include "lab/option_rules.h"
#include "lab/plot_axis.h"
#include "lab/plot_file.h"
#include "lab/world_run.h"
#include "sim/world_hash.h"

namespace morvane::lab {

namespace {

class SampleKeeper : public RunWatcher {
public:
    explicit SampleKeeper(std::vector<RunSample>& samples) : samples_(samples) {}
    void Row(const StatsRow& row) override
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
    RunWatcher nobody;
    RunPlan sampled = plan;
    if (!keep_samples) sampled.every = 0;
    record.totals = RunWorld(sampled, world, random, space, graph,
                             keep_samples ? static_cast<RunWatcher&>(keeper) : nobody, &progress);
    record.final_census = TakeCensus(world);
    record.final_plants = LivingPlants(world);
    record.hash = HashWorld(world);
    return record;
}

Band Spread(bool present, const Quantiles& q) { return {present, q.p10, q.median, q.p90}; }

} // namespace

std::uint64_t DefaultThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

void RunEnsemble(const LabOptions& options, const std::vector<ScriptedRelease>& releases,
                 std::ostream& warnings, std::ostream& out)
{
    auto summary_file = OpenIfNamed(options.summary_out);
    auto ensemble_file = OpenIfNamed(options.ensemble_out);
    auto plot_file = OpenIfNamed(options.plot);
    WarnLateReleases(releases, options, warnings);

    const std::uint64_t runs = *options.runs, first_seed = FirstSeed(options);
    const bool keep_samples = ensemble_file || plot_file;
    const RunPlan plan{options.ticks, RowSpacing(options), &releases};
    std::vector<RunRecord> records(runs);
    {
        ProgressMeter progress(static_cast<double>(options.ticks) * static_cast<double>(runs),
                               ProgressWanted(options.quiet), stderr);
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
        const std::uint64_t threads = std::min(options.threads.value_or(DefaultThreads()), runs);
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

    std::string summary = SummaryHeader();
    for (const RunRecord& record : records)
        summary += SummaryLine(record);
    WriteText(summary_file.get(), summary);
    PlotSeries plot;
    plot.ensemble = true;
    plot.title = "Morvane: " + GroupedDigits(runs) + (runs == 1 ? " run" : " runs") +
                 " from seed " + GroupedDigits(first_seed) + ", " + GroupedDigits(options.ticks) +
                 " ticks each";
    WriteText(ensemble_file.get(), EnsembleHeader());
    const std::uint64_t rows = keep_samples ? RowCount(options.ticks, plan.every) : 0;
    for (std::uint64_t k = 0; k < rows; ++k) {
        const EnsembleRow row = EnsembleAt(records, k, RowTick(k, options.ticks, plan.every));
        WriteText(ensemble_file.get(), EnsembleLine(row));
        const bool present = row.runs_with_animals > 0;
        plot.points.push_back({row.tick, Spread(true, row.animals), Spread(true, row.plants),
                               Spread(present, row.speed_mean), Spread(present, row.turn_mean)});
    }
    if (plot_file) WritePlot(plot_file->Stream(), PlotFormatOf(options.plot), plot);
    for (OutputFile* file : {summary_file.get(), ensemble_file.get(), plot_file.get()})
        if (file) file->Commit();
    if (options.hash)
        for (const RunRecord& record : records)
            out << record.seed << " " << Hex16(record.hash) << "\n";
}

} // namespace morvane::lab

#include "lab/outputs/sweep_table.h"

#include <map>
#include <mutex>
#include <stdexcept>

#include "lab/outputs/csv_number.h"
#include "lab/outputs/rule_columns.h"
#include "sim/number_text.h"

namespace morvane::lab {

namespace {

// What became of the run, after its rules: the columns of --summary-out's kind.
constexpr const char* Results[] = {"animals",
                                   "plants",
                                   "speed_mean",
                                   "turn_mean",
                                   "born_by_breeding",
                                   "born_by_top_up",
                                   "born_by_events",
                                   "died_leaving",
                                   "died_exhausted",
                                   "died_paying",
                                   "hash"};

} // namespace

std::string SweepHeader()
{
    std::string header = "point,run,seed," + RuleColumnsHeader();
    for (const char* result : Results) {
        header += ',';
        header += result;
    }
    return header + '\n';
}

std::string SweepLine(const RunRecord& r)
{
    std::string line;
    AppendNumber(line, r.point);
    line += ',';
    AppendNumber(line, r.run);
    line += ',';
    AppendNumber(line, r.seed);
    line += ',';
    line += RuleColumns(r.rules);
    const bool alive = r.final_census.living > 0;
    const LifeTally& t = r.totals.tally;
    line += ',';
    AppendNumber(line, r.final_census.living);
    line += ',';
    AppendNumber(line, r.final_plants);
    line += ',';
    AppendIf(line, alive, r.final_census.speed.mean);
    line += ',';
    AppendIf(line, alive, r.final_census.turn.mean);
    for (const std::int64_t count : {t.born_by_breeding, t.born_by_top_up, r.totals.born_by_events,
                                     t.died_leaving, t.died_exhausted, t.died_paying}) {
        line += ',';
        AppendNumber(line, count);
    }
    line += ',';
    line += HexDigits(r.hash);
    return line + '\n';
}

namespace {

// Each line goes out as soon as every run before it is done, so the lines stand in order and
// only those of runs that finished early wait, whatever the threads.
class SweepOutput : public EnsembleOutput {
public:
    explicit SweepOutput(OutputFile& file) : file_(file) {}
    void Expect(std::uint64_t runs) override
    {
        expected_ = runs;
        file_.Write(SweepHeader());
    }
    void RunDone(std::uint64_t index, const RunRecord& record) override
    {
        std::string line = SweepLine(record);
        const std::lock_guard hold(lock_);
        waiting_.emplace(index, std::move(line));
        for (auto next = waiting_.begin(); next != waiting_.end() && next->first == written_;
             next = waiting_.erase(next), ++written_)
            file_.Write(next->second);
    }
    bool KeepsRecords() const override { return false; }
    void Finish(const FinishedEnsemble& /*ensemble*/) override
    {
        if (!waiting_.empty() || written_ != expected_)
            throw std::logic_error("a sweep's line was never written");
    }

private:
    OutputFile& file_;
    std::mutex lock_;
    std::map<std::uint64_t, std::string> waiting_; // lines of runs done ahead of their turn
    std::uint64_t written_ = 0;                    // lines written: the next run's index
    std::uint64_t expected_ = 0;
};

} // namespace

std::unique_ptr<EnsembleOutput> MakeSweepOutput(const std::string& /*value*/,
                                                const std::vector<OutputFile*>& files)
{
    return std::make_unique<SweepOutput>(*files.at(0));
}

} // namespace morvane::lab

// The hashes are printed only once every file is in place, so a run whose outputs failed
// prints none.
#include "lab/outputs/hash_output.h"

#include "lab/outputs/ensemble_table.h"
#include "sim/number_text.h"
#include "sim/world_hash.h"

namespace morvane::lab {

namespace {

class WorldHash : public WorldOutput {
public:
    void Finish(const RunState& run) override { hash_ = HashWorld(run.world); }
    void Print(std::ostream& out) override { out << HexDigits(hash_) << "\n"; }

private:
    std::uint64_t hash_ = 0;
};

class EnsembleHashes : public EnsembleOutput {
public:
    void Finish(const FinishedEnsemble& ensemble) override
    {
        // A seed runs at every point of a sweep, so there the point comes first.
        for (const RunRecord& record : ensemble.records)
            lines_ += (ensemble.identity.swept ? std::to_string(record.point) + " " : "") +
                      std::to_string(record.seed) + " " + HexDigits(record.hash) + "\n";
    }
    void Print(std::ostream& out) override { out << lines_; }

private:
    std::string lines_;
};

} // namespace

std::unique_ptr<WorldOutput> MakeWorldHash(const std::string& /*value*/,
                                           const std::vector<OutputFile*>& /*files*/)
{
    return std::make_unique<WorldHash>();
}

std::unique_ptr<EnsembleOutput> MakeEnsembleHashes(const std::string& /*value*/,
                                                   const std::vector<OutputFile*>& /*files*/)
{
    return std::make_unique<EnsembleHashes>();
}

} // namespace morvane::lab

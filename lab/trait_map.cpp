// A moment is the world after that many ticks and their releases, as a state dump of that
// many ticks would show it.
#include "lab/trait_map.h"

#include "lab/ensemble_table.h"
#include "lab/plot_axis.h"

namespace morvane::lab {

void MomentTaker::Began(const RunState& run, const RunPlan& plan)
{
    const std::uint64_t from = run.ticks_run, length = plan.to - from;
    due_.clear();
    for (int k = TraitMapMoments; k >= 1; --k) // k/6 of the way, without overflow
        due_.push_back(from + length / TraitMapMoments * k +
                       length % TraitMapMoments * k / TraitMapMoments);
}

void MomentTaker::TakeDue(const RunState& run)
{
    while (!due_.empty() && due_.back() <= run.ticks_run) {
        TraitMoment moment;
        moment.tick = run.ticks_run;
        const AnimalTable& a = run.world.animals;
        for (int i = 0; i < AnimalSlots; ++i)
            if (a.energy[i] > 0) {
                moment.speed.push_back(a.speed[i]);
                moment.turn.push_back(a.turn[i]);
            }
        moments_.push_back(std::move(moment));
        due_.pop_back();
    }
}

void MomentTaker::Settled(const RunState& run) { TakeDue(run); }

void MomentTaker::Ended(const RunState& run) { TakeDue(run); }

namespace {

class TraitMapOutput : public WorldOutput {
public:
    TraitMapOutput(const std::string& path, OutputFile& file)
        : format_(PlotFormatOf(path, "--trait-map")), file_(file), taker_(map_.moments)
    {
    }
    void Began(const RunState& run, const RunPlan& plan) override { taker_.Began(run, plan); }
    void Settled(const RunState& run) override { taker_.Settled(run); }
    void Finish(const RunState& run) override
    {
        taker_.Ended(run);
        map_.title = "Morvane: speed and turning rate of the living, one run from seed " +
                     GroupedDigits(run.seed);
        WriteTraitMap(file_.Stream(), format_, map_);
    }

private:
    PlotFormat format_;
    OutputFile& file_;
    TraitMap map_;
    MomentTaker taker_;
};

class EnsembleTraitMap : public EnsembleOutput {
public:
    EnsembleTraitMap(const std::string& path, OutputFile& file)
        : format_(PlotFormatOf(path, "--trait-map")), file_(file)
    {
    }
    void Finish(const FinishedEnsemble& ensemble) override
    {
        TraitMap map;
        map.runs = ensemble.records.size();
        map.title = "Morvane: speed and turning rate of the living, " + GroupedDigits(map.runs) +
                    (map.runs == 1 ? " run" : " runs") + " pooled";
        if (ensemble.identity.resumed)
            map.title += ", forked at tick " + GroupedDigits(ensemble.identity.from);
        for (const RunRecord& record : ensemble.records) // in seed order
            for (std::size_t k = 0; k < record.moments.size(); ++k) {
                const TraitMoment& m = record.moments[k];
                if (map.moments.size() <= k) {
                    map.moments.emplace_back();
                    map.moments.back().tick = m.tick;
                }
                TraitMoment& pooled = map.moments[k];
                pooled.speed.insert(pooled.speed.end(), m.speed.begin(), m.speed.end());
                pooled.turn.insert(pooled.turn.end(), m.turn.begin(), m.turn.end());
            }
        WriteTraitMap(file_.Stream(), format_, map);
    }

private:
    PlotFormat format_;
    OutputFile& file_;
};

} // namespace

std::unique_ptr<WorldOutput> MakeTraitMapOutput(const std::string& path,
                                                const std::vector<OutputFile*>& files)
{
    return std::make_unique<TraitMapOutput>(path, *files.at(0));
}

std::unique_ptr<EnsembleOutput> MakeEnsembleTraitMap(const std::string& path,
                                                     const std::vector<OutputFile*>& files)
{
    return std::make_unique<EnsembleTraitMap>(path, *files.at(0));
}

} // namespace morvane::lab

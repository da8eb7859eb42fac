// --trait-map: the living animals' speed and turning rate at six evenly spaced moments of the
// run, taken as the run goes; with --runs, every run's animals pooled.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lab/output.h"
#include "lab/output_file.h"
#include "lab/trait_map_figure.h"

namespace morvane::lab {

inline constexpr int TraitMapMoments = 6;

// Takes the moments of one run: after 1/6, 2/6, ... and all of its ticks.
class MomentTaker : public RunListener {
public:
    explicit MomentTaker(std::vector<TraitMoment>& moments) : moments_(moments) {}
    void Began(const RunState& run, const RunPlan& plan) override;
    void Settled(const RunState& run) override;
    // The run is over: the moments still due are its end.
    void Ended(const RunState& run);

private:
    void TakeDue(const RunState& run);

    std::vector<TraitMoment>& moments_;
    std::vector<std::uint64_t> due_; // the ticks of the moments still to take, latest first
};

std::unique_ptr<WorldOutput> MakeTraitMapOutput(const std::string& value,
                                                const std::vector<OutputFile*>& files);
std::unique_ptr<EnsembleOutput> MakeEnsembleTraitMap(const std::string& value,
                                                     const std::vector<OutputFile*>& files);

} // namespace morvane::lab

// What an output of the lab is: it is handed its files, opened before the first tick, listens
// to the run, writes when the run ends, and may print on stdout once every file is in place.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "display/canvas.h"
#include "lab/tick_loop.h"
#include "sim/world.h"

namespace morvane::lab {

struct RunRecord;
struct EnsembleRow;

// One world as its run left it.
struct FinishedWorld {
    const World& world;
    const Canvas& space;
    const Canvas& graph;
    std::uint64_t seed;  // the random source's seed
    std::uint64_t ticks; // ticks run
};

class WorldOutput : public RunListener {
public:
    // Whether the run must keep what it draws (else it draws on canvases that keep nothing).
    virtual bool NeedsCanvases() const { return false; }
    // The run is over: write what remains into the output's files.
    virtual void Finish(const FinishedWorld& /*run*/) {}
    // Every output's files are in place.
    virtual void Print(std::ostream& /*out*/) {}
};

// An ensemble as its runs left it, in seed order.
struct FinishedEnsemble {
    const std::vector<RunRecord>& records;
    const std::vector<EnsembleRow>& rows; // every K ticks, when an output keeps rows; else none
    std::uint64_t first_seed;
    std::uint64_t ticks; // ticks each run ran
};

class EnsembleOutput {
public:
    virtual ~EnsembleOutput() = default;
    virtual void Finish(const FinishedEnsemble& /*ensemble*/) {}
    virtual void Print(std::ostream& /*out*/) {}
};

} // namespace morvane::lab

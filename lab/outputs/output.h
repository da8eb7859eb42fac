// What an output of the lab is: it is handed its files, opened before the first tick, listens
// to the run, writes when the run ends, and may print on stdout once every file is in place.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "lab/run/tick_loop.h"
#include "lab/shards/ensemble_identity.h"
#include "lab/shards/shard.h"
#include "sim/run_state.h"

namespace morvane::lab {

struct RunRecord;
struct EnsembleRow;

class WorldOutput : public RunListener {
public:
    // Whether the run must keep what it draws (else it draws on canvases that keep nothing).
    virtual bool NeedsCanvases() const { return false; }
    // The run is over, `run` its whole state at the end: write what remains into the
    // output's files.
    virtual void Finish(const RunState& /*run*/) {}
    // The run was stopped early, `run` its whole state at its last tick: an output that keeps
    // worlds to go on from writes and commits its file now, and names it. The other outputs'
    // files are left unwritten.
    virtual std::optional<std::string> Interrupted(const RunState& /*run*/) { return {}; }
    // Every output's files are in place.
    virtual void Print(std::ostream& /*out*/) {}
};

// An ensemble or a sweep as its runs left it, in point-then-seed order: all of it, or one
// shard's part.
struct FinishedEnsemble {
    const std::vector<RunRecord>& records; // runs.first..runs.end-1 of the ensemble
    // Every K ticks, point by point, when an output keeps rows and the records hold every run;
    // else none.
    const std::vector<EnsembleRow>& rows;
    const EnsembleIdentity& identity; // the request the runs followed, a sweep's points too
    RunRange runs = {};               // of identity.AllRuns()
    Shard shard = {};                 // 1/1 when the records hold every run
};

class EnsembleOutput {
public:
    virtual ~EnsembleOutput() = default;
    // Before the first run: how many runs this process makes, numbered from 0 in seed order.
    virtual void Expect(std::uint64_t /*runs*/) {}
    // What follows run `index` as it goes, or nullptr for an output that needs only the runs'
    // records. Asked on the thread that makes the run, so an output keeps each run's data in
    // a place of the run's own.
    virtual RunListener* ListenerFor(std::uint64_t /*index*/) { return nullptr; }
    // Run `index` is done, `record` what it left: told on the thread that ran it, as runs
    // finish, in any order, so an output can write as it goes.
    virtual void RunDone(std::uint64_t /*index*/, const RunRecord& /*record*/) {}
    // Whether Finish needs every run's record. When no output does, none is kept, and the
    // memory a sweep takes does not grow with its runs.
    virtual bool KeepsRecords() const { return true; }
    virtual void Finish(const FinishedEnsemble& /*ensemble*/) {}
    virtual void Print(std::ostream& /*out*/) {}
};

} // namespace morvane::lab

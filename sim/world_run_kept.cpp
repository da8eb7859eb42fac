// A run kept as a checkpoint and read back. Apart from the rest of the run, so that a front
// end that keeps no worlds (the page) is built without the checkpoint's format and its zlib.
#include "sim/checkpoint.h"
#include "sim/program_version.h"
#include "sim/world_run.h"

namespace morvane {

WorldRun WorldRun::FromCheckpoint(std::string_view bytes)
{
    try {
        return WorldRun(ReadCheckpoint(bytes));
    } catch (const CheckpointError& e) {
        throw RunRefused(std::string("checkpoint: ") + e.what());
    }
}

std::string WorldRun::Checkpoint() const
{
    WorldRun kept = *this;
    kept.CloseRowIfDue();
    return WriteCheckpoint(kept.state_, ProgramVersion);
}

} // namespace morvane

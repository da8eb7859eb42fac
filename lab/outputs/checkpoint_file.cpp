// A checkpoint is written like every other output: to a temporary beside the file, renamed
// over it when whole, so the file always holds one complete checkpoint or the one before.
#include "lab/outputs/checkpoint_file.h"

#include "sim/program_version.h"

#include "lab/command/input_file.h"
#include "lab/command/lab_error.h"
#include "sim/checkpoint.h"

namespace morvane::lab {

namespace {

void WriteCheckpointTo(OutputFile& file, const RunState& run)
{
    file.Write(WriteCheckpoint(run, ProgramVersion));
}

class CheckpointOutput : public WorldOutput {
public:
    explicit CheckpointOutput(OutputFile& file) : file_(file) {}
    bool NeedsCanvases() const override { return true; }
    void Finish(const RunState& run) override { WriteCheckpointTo(file_, run); }
    std::optional<std::string> Interrupted(const RunState& run) override
    {
        WriteCheckpointTo(file_, run);
        file_.Commit();
        return file_.Path();
    }

private:
    OutputFile& file_;
};

} // namespace

RunState ReadCheckpointFile(const std::string& path, FileDigest* digest)
{
    InputFile file(path, "--resume " + path);
    // Never more than a checkpoint can hold and one byte, whatever file was named.
    const std::string bytes = file.ReadUpTo(MostCheckpointBytes);
    if (digest) digest->Add(bytes);
    try {
        return ReadCheckpoint(bytes);
    } catch (const CheckpointError& e) {
        throw LabError("--resume " + path + ": " + e.what());
    }
}

std::unique_ptr<WorldOutput> MakeCheckpointOutput(const std::string& /*value*/,
                                                  const std::vector<OutputFile*>& files)
{
    return std::make_unique<CheckpointOutput>(*files.at(0));
}

void RollingCheckpoint::Settled(const RunState& run)
{
    if (run.ticks_run % every_ != 0) return;
    OutputFile file(path_);
    WriteCheckpointTo(file, run);
    file.Commit();
}

} // namespace morvane::lab

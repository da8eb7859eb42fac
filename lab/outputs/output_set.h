// The outputs a run was asked for, made from the table of outputs with their files opened
// (as temporaries beside their targets) before the first tick, and committed together.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "lab/outputs/output.h"
#include "lab/outputs/output_file.h"
#include "lab/outputs/output_table.h"

namespace morvane::lab {

template <typename Output> struct OutputSet {
    std::vector<std::unique_ptr<OutputFile>> files; // in table order
    std::vector<std::unique_ptr<Output>> outputs;   // in table order

    // The run is over: every output writes what remains, every file is completed, and only
    // when all are complete is any renamed into place (in table order), so one that fails
    // leaves every file as it was. Only then do the outputs print, so a run whose files failed
    // prints nothing. Throws LabError, or RunInterrupted when a stop cut a pipe's write short.
    template <typename Finished> void Finish(const Finished& run, std::ostream& out)
    {
        for (auto& output : outputs)
            output->Finish(run);
        for (auto& file : files)
            file->Complete();
        for (auto& file : files)
            file->PutInPlace();
        for (auto& output : outputs)
            output->Print(out);
    }

    // The run was stopped early: an output that keeps worlds to go on from writes its file,
    // whose name is returned; every other file is removed with the set, unwritten.
    std::optional<std::string> Interrupt(const RunState& run)
    {
        std::optional<std::string> kept;
        for (auto& output : outputs)
            if (auto file = output->Interrupted(run)) kept = std::move(file);
        return kept;
    }

    // The devices and pipes that have already been handed part of their output, which no
    // temporary can take back.
    std::vector<std::string> Delivered() const
    {
        std::vector<std::string> paths;
        for (const auto& file : files)
            if (file->Delivered()) paths.push_back(file->Path());
        return paths;
    }
};

// The outputs of one world, or of an ensemble, that were asked for. Throws LabError when
// a file cannot be opened; the files opened before it are then removed.
OutputSet<WorldOutput> OpenWorldOutputs(const AskedOutputs& asked);
OutputSet<EnsembleOutput> OpenEnsembleOutputs(const AskedOutputs& asked);

} // namespace morvane::lab

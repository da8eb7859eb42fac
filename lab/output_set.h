// The outputs a run was asked for, made from the table of outputs with their files opened
// (as temporaries beside their targets) before the first tick, and committed together.
#pragma once

#include <memory>
#include <vector>

#include "lab/output.h"
#include "lab/output_file.h"
#include "lab/request.h"

namespace morvane::lab {

template <typename Output> struct OutputSet {
    std::vector<std::unique_ptr<OutputFile>> files; // in table order
    std::vector<std::unique_ptr<Output>> outputs;   // in table order

    // Renames every file into place, in table order. Throws LabError.
    void Commit()
    {
        for (auto& file : files)
            file->Commit();
    }
};

// The outputs of one world, or of an ensemble, that `request` asks for. Throws LabError when
// a file cannot be opened; the files opened before it are then removed.
OutputSet<WorldOutput> OpenWorldOutputs(const Request& request);
OutputSet<EnsembleOutput> OpenEnsembleOutputs(const Request& request);

} // namespace morvane::lab

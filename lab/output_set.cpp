// Every file is opened before the first tick, so a bad path costs no run, and in the table's
// order, so the first of two bad paths is the one reported.
#include "lab/output_set.h"

namespace morvane::lab {

namespace {

template <typename Output, typename Make>
OutputSet<Output> Open(const Request& request, Make OutputKind::*make)
{
    OutputSet<Output> set;
    for (std::size_t k = 0; k < OutputKinds; ++k) {
        const OutputKind& kind = Outputs()[k];
        if (!request.outputs[k] || !(kind.*make)) continue;
        std::vector<OutputFile*> files;
        if (kind.files)
            for (const std::string& path : kind.files(*request.outputs[k])) {
                set.files.push_back(std::make_unique<OutputFile>(path));
                files.push_back(set.files.back().get());
            }
        set.outputs.push_back((kind.*make)(*request.outputs[k], files));
    }
    return set;
}

} // namespace

OutputSet<WorldOutput> OpenWorldOutputs(const Request& request)
{
    return Open<WorldOutput>(request, &OutputKind::for_world);
}

OutputSet<EnsembleOutput> OpenEnsembleOutputs(const Request& request)
{
    return Open<EnsembleOutput>(request, &OutputKind::for_ensemble);
}

} // namespace morvane::lab

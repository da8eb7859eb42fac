// Every file is opened before the first tick, so a bad path costs no run, and in the table's
// order, so the first of two bad paths is the one reported.
#include "lab/outputs/output_set.h"

namespace morvane::lab {

namespace {

template <typename Output, typename Make>
OutputSet<Output> Open(const AskedOutputs& asked, Make OutputKind::*make)
{
    OutputSet<Output> set;
    for (std::size_t k = 0; k < OutputKinds; ++k) {
        const OutputKind& kind = Outputs()[k];
        if (!asked[k] || !(kind.*make)) continue;
        std::vector<OutputFile*> files;
        if (kind.files)
            for (const std::string& path : kind.files(*asked[k])) {
                set.files.push_back(std::make_unique<OutputFile>(path));
                files.push_back(set.files.back().get());
            }
        set.outputs.push_back((kind.*make)(*asked[k], files));
    }
    return set;
}

} // namespace

OutputSet<WorldOutput> OpenWorldOutputs(const AskedOutputs& asked)
{
    return Open<WorldOutput>(asked, &OutputKind::for_world);
}

OutputSet<EnsembleOutput> OpenEnsembleOutputs(const AskedOutputs& asked)
{
    return Open<EnsembleOutput>(asked, &OutputKind::for_ensemble);
}

} // namespace morvane::lab

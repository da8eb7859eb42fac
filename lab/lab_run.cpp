// Everything that can be refused is refused here, in the order a user would fix it: options
// that contradict each other, the events file, then outputs that clash.
#include "lab/lab_run.h"

#include <algorithm>
#include <vector>

#include "lab/ensemble_run.h"
#include "lab/events_file.h"
#include "lab/lab_outputs.h"
#include "lab/option_rules.h"
#include "lab/single_run.h"

namespace morvane::lab {

void RunLab(const LabOptions& options, std::ostream& warnings, std::ostream& out)
{
    CheckCombinations(options);
    std::vector<ScriptedRelease> releases;
    if (!options.events.empty()) releases = ReadEventsFile(options.events);
    std::stable_sort(releases.begin(), releases.end(),
                     [](const ScriptedRelease& a, const ScriptedRelease& b) {
                         return a.after_ticks < b.after_ticks;
                     });
    RefuseSharedFiles(options);
    if (options.runs)
        RunEnsemble(options, releases, warnings, out);
    else
        RunSingle(options, releases, warnings, out);
}

} // namespace morvane::lab

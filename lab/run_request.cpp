// Everything that can be refused is refused before the first tick, in the order a user would
// fix it: options that contradict each other, the events file, then outputs that clash.
#include <algorithm>
#include <vector>

#include "lab/ensemble.h"
#include "lab/events_file.h"
#include "lab/request.h"
#include "lab/single_world.h"

namespace morvane::lab {

void RunRequest(const Request& request, std::ostream& warnings, std::ostream& out)
{
    CheckCombinations(request);
    std::vector<ScriptedRelease> releases;
    if (!request.events.empty()) releases = ReadEventsFile(request.events);
    std::stable_sort(releases.begin(), releases.end(),
                     [](const ScriptedRelease& a, const ScriptedRelease& b) {
                         return a.after_ticks < b.after_ticks;
                     });
    RefuseSharedFiles(request);
    if (request.Ensemble())
        RunEnsemble(request, releases, warnings, out);
    else
        RunSingleWorld(request, releases, warnings, out);
}

} // namespace morvane::lab

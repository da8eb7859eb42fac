// Two names for one file, refused before anything is read or written: an output would
// overwrite another, or the input being read.
#pragma once

#include <string>
#include <vector>

namespace morvane::lab {

// A file a command names, and what it does with it.
struct NamedFile {
    std::string role; // the option that names it, or what it is for
    std::string path;
    bool resumed = false;      // the checkpoint read whole before the first tick
    bool keeps_worlds = false; // an output that writes a checkpoint
    bool merged = false;       // a samples file read by morvane-lab merge

    // Read, never written: the events and rules files, the checkpoint resumed, the files to
    // merge.
    bool Input() const
    {
        return resumed || merged || role == "--events" || role == "--rules" || role == "--design";
    }
};

// Throws LabError when two of `files` are one file, however named (through links, including
// links to a file not made yet, or as two hard links of one file), but for a checkpoint
// replaced by the run that resumed it, and files that are only read by the merge.
void RefuseSharedFiles(const std::vector<NamedFile>& files);

} // namespace morvane::lab

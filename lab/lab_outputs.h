// The pieces a run and an ensemble share: refusing two outputs that name one file, opening
// the outputs asked for, and warning about releases the run will not reach.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "lab/events_file.h"
#include "lab/lab_run.h"
#include "lab/output_file.h"

namespace morvane::lab {

// Throws LabError when two of the files the options name (inputs and outputs) are one file.
void RefuseSharedFiles(const LabOptions& options);

// The output at `path`, created at once, or none for an empty path.
std::unique_ptr<OutputFile> OpenIfNamed(const std::string& path);

// Writes all of `text` to `file`, when there is one.
void WriteText(OutputFile* file, const std::string& text);

// One warning line for each release after more than `ticks` ticks.
void WarnLateReleases(const std::vector<ScriptedRelease>& releases, const LabOptions& options,
                      std::ostream& warnings);

// `value` in 16 lowercase hexadecimal digits.
std::string Hex16(std::uint64_t value);

} // namespace morvane::lab

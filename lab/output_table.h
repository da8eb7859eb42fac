// The lab's outputs, each described once: its option and help, whether it describes one world
// or an ensemble, the files it writes, and how it is made. The command line, the help, the
// rules on which options go together, the refusal of two outputs naming one file, and the
// opening and committing of files are all driven from this table.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "lab/output.h"
#include "lab/output_file.h"

namespace morvane::lab {

enum class Describes { OneWorld, Ensemble, Either };

struct OutputKind {
    const char* option;     // "--state-out"
    const char* value_name; // "FILE", "PREFIX"; nullptr for a flag, which takes no value
    const char* help;
    Describes describes;
    bool sampled;           // takes the sample rows every --every ticks
    bool kept;              // keeps one world's rows in memory until the end (an ensemble
                            // keeps the rows of every sampled output)
    bool tallied;           // reports the births and deaths between rows
    bool keeps_worlds;      // writes checkpoints, to go on from with --resume
    bool follows_selection; // follows the traits' means event by event between rows
    bool takes_moments;     // takes the living animals' traits at six moments of each run
    // Made by `morvane-lab merge` from the samples files of an ensemble's shards, which keep
    // what such an output needs of each run (its summary values, hash and rows) and no more.
    bool merged;
    // The files the output writes, from the value given; nullptr for none (stdout only).
    std::vector<std::string> (*files)(const std::string& value);
    // Refuses a value the output cannot use (throws LabError); nullptr when any will do.
    void (*check)(const std::string& value);
    // Makes the output for one world, or for an ensemble (nullptr where it has no meaning),
    // from the value given and the files it writes, opened in the order `files` gives.
    std::unique_ptr<WorldOutput> (*for_world)(const std::string& value,
                                              const std::vector<OutputFile*>& files);
    std::unique_ptr<EnsembleOutput> (*for_ensemble)(const std::string& value,
                                                    const std::vector<OutputFile*>& files);
};

inline constexpr std::size_t OutputKinds = 13;

// Every output, in the order of the help; files are opened and committed in this order too.
const std::array<OutputKind, OutputKinds>& Outputs();

// "--a, --b or --c" (or "and") of the outputs that pass `wanted`, in table order.
std::string OptionList(bool (*wanted)(const OutputKind&), const char* last_joint);

} // namespace morvane::lab

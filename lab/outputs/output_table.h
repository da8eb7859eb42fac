// The lab's outputs, each described once: its option and help, whether it describes one world
// or an ensemble, what it needs the run to do for it, the files it writes, and how it is made.
// The command line, the help, the rules on which options go together, the refusal of two
// outputs naming one file, and the opening and committing of files are all driven from this
// table.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lab/outputs/output.h"
#include "lab/outputs/output_file.h"

namespace morvane::lab {

// Sweep: only a sweep (--vary, --design) makes it. A sweep makes every output of an ensemble
// too, once for each of its points.
enum class Describes { OneWorld, Ensemble, Either, Sweep };

// What an output needs of the run that feeds it, beyond listening to it.
struct Needs {
    bool rows = false;      // the sample rows, every --every ticks
    bool kept_rows = false; // those rows kept in memory until the end: one world's rows, or
                            // with --runs every run's
    bool tally = false;     // the births and deaths since the row before, at every row
    bool worlds = false;    // writes checkpoints, to go on from with --resume
};

struct OutputKind {
    const char* option;               // "--state-out"
    const char* value_name = nullptr; // "FILE", "PREFIX"; none for a flag, which takes no value
    const char* help = "";
    Describes describes = Describes::OneWorld;
    Needs needs = {};
    // Made by `morvane-lab merge` from the samples files of an ensemble's shards, which keep
    // what such an output needs of each run (its summary values, hash and rows) and no more.
    bool merged = false;
    // The files the output writes, from the value given; none for a flag (stdout only).
    std::vector<std::string> (*files)(const std::string& value) = nullptr;
    // Makes the output for one world, or for an ensemble (none where it has no meaning), from
    // the value given and the files it writes, opened in the order `files` gives.
    std::unique_ptr<WorldOutput> (*for_world)(const std::string& value,
                                              const std::vector<OutputFile*>& files) = nullptr;
    std::unique_ptr<EnsembleOutput> (*for_ensemble)(
        const std::string& value, const std::vector<OutputFile*>& files) = nullptr;
};

inline constexpr std::size_t OutputKinds = 12;

// Every output, in the order of the help; files are opened and committed in this order too.
const std::array<OutputKind, OutputKinds>& Outputs();

// The value given for each output of Outputs() that was asked for ("" for a flag).
using AskedOutputs = std::array<std::optional<std::string>, OutputKinds>;

// Whether any output asked for passes `wanted`.
bool AnyAsked(const AskedOutputs& asked, bool (*wanted)(const OutputKind&));
// The value given for the first output asked for that passes `wanted`, or nullptr.
const std::string* FirstAsked(const AskedOutputs& asked, bool (*wanted)(const OutputKind&));

// The questions asked of an output, each in one place.
inline bool DescribesOneWorld(const OutputKind& kind)
{
    return kind.describes == Describes::OneWorld;
}
inline bool DescribesEnsembles(const OutputKind& kind)
{
    return kind.describes != Describes::OneWorld;
}
inline bool OnlyForEnsembles(const OutputKind& kind)
{
    return kind.describes == Describes::Ensemble;
}
inline bool DescribesSweeps(const OutputKind& kind) { return kind.describes == Describes::Sweep; }
inline bool WritesFiles(const OutputKind& kind) { return kind.files != nullptr; }
inline bool Sampled(const OutputKind& kind) { return kind.needs.rows; }
inline bool KeepsRows(const OutputKind& kind) { return kind.needs.kept_rows; }
inline bool Tallied(const OutputKind& kind) { return kind.needs.tally; }
inline bool KeepsWorlds(const OutputKind& kind) { return kind.needs.worlds; }
inline bool MadeFromSamples(const OutputKind& kind) { return kind.merged; }

// "--a, --b or --c" (or "and") of the outputs that pass `wanted`, in table order.
std::string OptionList(bool (*wanted)(const OutputKind&), const char* last_joint);

} // namespace morvane::lab

// The points of a sweep: each a set of rule changes, made by --vary (a list of values, or an
// evenly stepped range, for one rule; several make the full grid, the last varying fastest) or
// read from a design file (a CSV whose header names rules and whose rows are the points, as
// scipy's qmc or any other tool makes them). Every value is held to its rule's range before
// anything runs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lab/command/rules_file.h"

namespace morvane::lab {

// One --vary: a rule and its values in order.
struct Varied {
    const RuleEntry* rule = nullptr;
    std::vector<double> values;
};

// A sweep's points, in order, each the changes it makes to the run's rules; and the rules the
// sweep varies, in the order its outputs name them.
struct SweepPoints {
    std::vector<const RuleEntry*> varied;
    std::vector<std::vector<RuleChange>> points;
};

// The most points a sweep may have; with its runs it is held to the lab's bound on runs too.
inline constexpr std::size_t MostSweepPoints = 1'000'000;

// Reads one --vary NAME=V1,V2,... or NAME=FIRST:STEP:LAST. The range's values are FIRST + i x
// STEP for i = 0 .. n, n the whole number nearest (LAST - FIRST) / STEP, so LAST is never lost
// to rounding. Throws LabError naming the option and the fault.
Varied ReadVary(std::string_view text);

// The full grid of several --vary, the last varying fastest. Throws LabError for a rule varied
// twice or a grid beyond MostSweepPoints.
SweepPoints GridOf(const std::vector<Varied>& varies);

// The points of a design file. Throws LabError naming the file and the line of anything it
// cannot use.
SweepPoints ReadDesignFile(const std::string& path);

} // namespace morvane::lab

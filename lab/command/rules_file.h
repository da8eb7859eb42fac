// The rules a run is asked to change: from a rules file (one "NAME = VALUE" a line, '#'
// comments) and from each --rule NAME=VALUE, every value read and held to its range.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sim/rule_book.h"

namespace morvane::lab {

// One rule set to one value.
struct RuleChange {
    const RuleEntry* rule;
    double value;
};

// The rule of that name, or the core's refusal, which lists every rule, as a LabError.
const RuleEntry& KnownRuleOrRefused(std::string_view name);

// A value of `rule` read from its text as the core reads it, or the core's refusal (of another
// kind, or out of range) as a LabError.
double RuleValue(const RuleEntry& rule, std::string_view text);

// A value worked out rather than written (a sweep's stepping), held to the rule's range and
// kind as a written one is.
double HeldRuleValue(const RuleEntry& rule, double value);

// The changes a rules file asks for, in its order. Throws LabError naming the file and the
// line of anything it cannot use: a line of another shape, an unknown rule, a value out of its
// range, a rule given twice.
std::vector<RuleChange> ReadRulesFile(const std::string& path);

// One --rule NAME=VALUE. Throws LabError for another shape or value.
RuleChange ReadRuleOption(std::string_view text);

// `rules` with the changes made in order, a later one for a rule replacing an earlier one.
// Throws LabError when the result does not hold together (CheckRulesHold).
Rules WithChanges(Rules rules, const std::vector<RuleChange>& changes);

} // namespace morvane::lab

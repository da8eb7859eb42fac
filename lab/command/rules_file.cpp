#include "lab/command/rules_file.h"

#include <algorithm>

#include "lab/command/input_file.h"
#include "lab/command/lab_error.h"
#include "lab/command/text_fields.h"
#include "sim/quoted_text.h"
#include "sim/run_refused.h"

namespace morvane::lab {

namespace {

// A rules file names each rule once at most; none holds more than a few hundred bytes.
constexpr std::size_t MostRulesFileBytes = 1 << 20;

// NAME and VALUE either side of the first '=', each without its blanks; the rule checked by
// the core, which names it and its range in any refusal.
RuleChange ReadChange(std::string_view name, std::string_view value)
{
    const RuleEntry& rule = KnownRuleOrRefused(Trimmed(name));
    return {&rule, RuleValue(rule, Trimmed(value))};
}

} // namespace

const RuleEntry& KnownRuleOrRefused(std::string_view name)
{
    try {
        return KnownRule(name);
    } catch (const RunRefused& refused) {
        throw LabError(refused.what());
    }
}

double RuleValue(const RuleEntry& rule, std::string_view text)
{
    Rules scratch;
    try {
        SetRuleFromText(scratch, rule.name, text);
    } catch (const RunRefused& refused) {
        throw LabError(refused.what());
    }
    return rule.Of(scratch);
}

double HeldRuleValue(const RuleEntry& rule, double value)
{
    Rules scratch;
    try {
        SetRule(scratch, rule, value);
    } catch (const RunRefused& refused) {
        throw LabError(refused.what());
    }
    return rule.Of(scratch);
}

RuleChange ReadRuleOption(std::string_view text)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        throw LabError("--rule " + QuotedText(text) + ": expected NAME=VALUE");
    return ReadChange(text.substr(0, equals), text.substr(equals + 1));
}

std::vector<RuleChange> ReadRulesFile(const std::string& path)
{
    InputFile file(path, "rules file " + path);
    const std::string text = file.ReadUpTo(MostRulesFileBytes);
    if (text.size() > MostRulesFileBytes)
        throw LabError(file.Name() + ": longer than any rules file (" +
                       std::to_string(MostRulesFileBytes) + " bytes)");
    std::vector<RuleChange> changes;
    std::vector<std::size_t> given_on; // the line each change came from
    std::size_t line = 0;
    for (std::size_t start = 0; start <= text.size(); ++line) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view whole = std::string_view(text).substr(start, end - start);
        start = end + 1;
        const std::string_view content = Trimmed(whole.substr(0, whole.find('#')));
        if (content.empty()) continue;
        const std::string where = path + ":" + std::to_string(line + 1) + ": ";
        const std::size_t equals = content.find('=');
        if (equals == std::string_view::npos)
            throw LabError(where + "expected NAME = VALUE, not " + QuotedText(content));
        try {
            changes.push_back(ReadChange(content.substr(0, equals), content.substr(equals + 1)));
        } catch (const LabError& refused) {
            throw LabError(where + refused.what());
        }
        for (std::size_t k = 0; k < given_on.size(); ++k)
            if (changes[k].rule == changes.back().rule)
                throw LabError(where + "rule " + changes.back().rule->name +
                               " is given twice (first on line " + std::to_string(given_on[k]) +
                               ")");
        given_on.push_back(line + 1);
    }
    return changes;
}

Rules WithChanges(Rules rules, const std::vector<RuleChange>& changes)
{
    try {
        for (const RuleChange& change : changes)
            SetRule(rules, *change.rule, change.value);
        CheckRulesHold(rules);
    } catch (const RunRefused& refused) {
        throw LabError(refused.what());
    }
    return rules;
}

} // namespace morvane::lab

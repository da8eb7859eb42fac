#include "sim/kept_rules.h"

#include <array>

#include "sim/bit_cast.h"
#include "sim/run_refused.h"

namespace morvane {

void WriteRuleName(ByteWriter& w, std::string_view name)
{
    w.Number(static_cast<std::uint8_t>(name.size()));
    w.Bytes(name);
}

void WriteRules(ByteWriter& w, const Rules& rules)
{
    w.Number(static_cast<std::uint16_t>(RuleBook.size()));
    for (const RuleEntry& rule : RuleBook) {
        WriteRuleName(w, rule.name);
        w.Double(rule.Of(rules));
    }
}

void SetKeptRule(Rules& rules, const RuleEntry& rule, double value)
{
    SetRule(rules, rule, value);
    if (BitCast<std::uint64_t>(rule.Of(rules)) != BitCast<std::uint64_t>(value))
        throw RunRefused("a rule's value");
}

Rules CheckedRules(const KeptRules& kept)
{
    Rules rules;
    std::array<bool, RuleBook.size()> seen{};
    for (const auto& [name, value] : kept) {
        const RuleEntry* rule = RuleNamed(name);
        if (!rule || seen[static_cast<std::size_t>(rule - RuleBook.data())])
            throw RunRefused("a rule's name");
        seen[static_cast<std::size_t>(rule - RuleBook.data())] = true;
        SetKeptRule(rules, *rule, value);
    }
    CheckRulesHold(rules);
    return rules;
}

} // namespace morvane

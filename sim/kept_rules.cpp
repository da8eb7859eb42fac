#include "sim/kept_rules.h"

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
    // Every writer writes every rule in the rule book's order.
    if (kept.size() != RuleBook.size()) throw RunRefused("the count of its rules");
    Rules rules;
    for (std::size_t k = 0; k < kept.size(); ++k) {
        if (kept[k].first != RuleBook[k].name) throw RunRefused("a rule's name");
        SetKeptRule(rules, RuleBook[k], kept[k].second);
    }
    CheckRulesHold(rules);
    return rules;
}

} // namespace morvane

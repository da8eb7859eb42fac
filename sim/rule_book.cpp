#include "sim/rule_book.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "sim/number_text.h"
#include "sim/quoted_text.h"
#include "sim/run_refused.h"

namespace morvane {

namespace {

std::string AllNames()
{
    std::string names;
    for (const RuleEntry& rule : RuleBook) {
        if (!names.empty()) names += ", ";
        names += rule.name;
    }
    return names;
}

[[noreturn]] void Refuse(const RuleEntry& rule, const std::string& problem)
{
    throw RunRefused("rule " + std::string(rule.name) + ": " + problem);
}

} // namespace

const RuleEntry* RuleNamed(std::string_view name)
{
    for (const RuleEntry& rule : RuleBook)
        if (name == rule.name) return &rule;
    return nullptr;
}

const RuleEntry& KnownRule(std::string_view name)
{
    const RuleEntry* rule = RuleNamed(name);
    if (!rule)
        throw RunRefused("unknown rule '" + std::string(name) + "' (expected " + AllNames() + ")");
    return *rule;
}

std::string RangeText(const RuleEntry& rule)
{
    return ShortestDigits(rule.least) + " to " + ShortestDigits(rule.most);
}

void SetRule(Rules& rules, const RuleEntry& rule, double value)
{
    if (!std::isfinite(value)) Refuse(rule, "the value is not a finite number");
    if (rule.whole && value != std::floor(value))
        Refuse(rule, ShortestDigits(value) + " is not a whole number (" + RangeText(rule) + ")");
    if (value < rule.least || value > rule.most)
        Refuse(rule, ShortestDigits(value) + " is out of its range, " + RangeText(rule));
    if (rule.whole)
        rules.*rule.whole = static_cast<std::int32_t>(value);
    else
        rules.*rule.real = value == 0 ? 0.0 : value; // -0 is 0: one rule, one world
}

void SetRuleFromText(Rules& rules, std::string_view name, std::string_view text)
{
    const RuleEntry& rule = KnownRule(name);
    if (!IsDecimalNumber(text)) Refuse(rule, QuotedText(text) + " is not a decimal number");
    SetRule(rules, rule, std::strtod(std::string(text).c_str(), nullptr));
}

std::int64_t BiggestPlant(const Rules& rules)
{
    // A plant grows one past seeding-size before it seeds; a regrown or new plant may start
    // bigger than that and only seeds after its next growth.
    return std::max({std::int64_t{rules.seeding_size} + 1, std::int64_t{rules.regrowth_spread},
                     std::int64_t{rules.seedling_spread}});
}

std::int64_t MostEnergyReached(const Rules& rules)
{
    const std::int64_t newborn =
        std::int64_t{rules.newborn_energy_min} + std::max(rules.newborn_energy_spread - 1, 0);
    const std::int64_t before_eating =
        std::max({std::int64_t{rules.mating_energy}, std::int64_t{rules.foraging_energy}, newborn});
    return before_eating + 2 * std::int64_t{rules.plant_energy} * BiggestPlant(rules);
}

void CheckRulesHold(const Rules& rules)
{
    // Each rule in its own range first (rules built field by field have not been through
    // SetRule), then the rules together.
    Rules checked;
    for (const RuleEntry& rule : RuleBook)
        SetRule(checked, rule, rule.Of(rules));
    const std::int64_t most = MostEnergyReached(rules);
    if (most > MostEnergy)
        throw RunRefused(
            "rules: an animal's energy could reach " + std::to_string(most) + " (" +
            std::to_string(most - 2 * std::int64_t{rules.plant_energy} * BiggestPlant(rules)) +
            " from mating-energy, foraging-energy or a newborn's, plus twice plant-energy " +
            std::to_string(rules.plant_energy) + " times a plant of size " +
            std::to_string(BiggestPlant(rules)) + "), above the most an energy holds, " +
            std::to_string(MostEnergy));
}

std::string RuleText(const Rules& rules, const RuleEntry& rule)
{
    if (rule.whole) return std::to_string(rules.*rule.whole);
    return ShortestDigits(rules.*rule.real);
}

} // namespace morvane

#include "checks/rule_draws.h"

#include <algorithm>
#include <cstdint>

#include "sim/rule_book.h"

namespace morvane {

namespace {

// Where a rule makes a world worth watching: most draws fall within this, the rest at the ends
// of the whole range. Beyond it (energies of 30,000, odds of a million) a world only does the
// same thing more slowly.
double LivelyMost(const RuleEntry& rule)
{
    const double lively = rule.whole ? 2000 : 3;
    return std::min(rule.most, std::max(rule.least, lively));
}

double Drawn(RandomSource& draws, const RuleEntry& rule)
{
    switch (draws.Below(8)) {
    case 0:
        return rule.least;
    case 1:
        return rule.most;
    default:
        break;
    }
    const double least = std::max(rule.least, rule.whole ? rule.least : -LivelyMost(rule));
    const double most = LivelyMost(rule);
    if (rule.whole) return least + draws.Below(static_cast<int>(most - least) + 1);
    return least + (most - least) * draws.Uniform();
}

} // namespace

Rules DrawRules(RandomSource& draws)
{
    Rules rules;
    for (const RuleEntry& rule : RuleBook)
        SetRule(rules, rule, Drawn(draws, rule));
    // Held together: a newborn's energy within an energy's range, then as much plant energy as
    // the biggest plant leaves room for.
    rules.newborn_energy_spread =
        std::min(rules.newborn_energy_spread, MostEnergy + 1 - rules.newborn_energy_min);
    while (MostEnergyReached(rules) > MostEnergy) {
        if (rules.plant_energy > 0)
            rules.plant_energy /= 2;
        else
            rules.mating_energy /= 2, rules.foraging_energy /= 2, rules.newborn_energy_spread /= 2,
                rules.newborn_energy_min = 1;
    }
    return rules;
}

} // namespace morvane

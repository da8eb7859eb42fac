// Every rule by name, with what it sets and the values it may take: the one list from which the
// lab's --rule and its help, the Python module's Rules, the outputs that record a run's rules
// and the checkpoint's rules all come.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "sim/rules.h"

namespace morvane {

// One rule: a whole number or a real one, in [least, most].
struct RuleEntry {
    const char* name;    // as the lab spells it; the Python module writes '_' for '-'
    const char* meaning; // for people: the help and the README
    std::int32_t Rules::*whole = nullptr; // set for a whole-number rule...
    double Rules::*real = nullptr;        // ...or this for a real one
    double least = 0;
    double most = 0;

    double Of(const Rules& rules) const
    {
        return whole ? static_cast<double>(rules.*whole) : rules.*real;
    }
};

constexpr RuleEntry Whole(const char* name, const char* meaning, std::int32_t Rules::*whole,
                          double least, double most)
{
    return {name, meaning, whole, nullptr, least, most};
}
constexpr RuleEntry Real(const char* name, const char* meaning, double Rules::*real, double least,
                         double most)
{
    return {name, meaning, nullptr, real, least, most};
}

// The most an animal's energy and a plant's size may reach: what their 16-bit slots hold.
inline constexpr int MostEnergy = 32767;

// In the order the outputs write them.
inline constexpr std::array RuleBook{
    Whole("mating-energy", "a forager whose energy is above this turns to mating",
          &Rules::mating_energy, 0, MostEnergy),
    Whole("foraging-energy", "a mater whose energy is below this turns back to foraging",
          &Rules::foraging_energy, 0, MostEnergy),
    Whole("plant-energy", "energy gained per unit of the eaten plant's size", &Rules::plant_energy,
          0, MostEnergy),
    Whole("birth-cost", "energy each parent pays for a birth (never below 0)", &Rules::birth_cost,
          0, MostEnergy),
    Real("speed-mutation", "half-width h of a newborn's speed shift: (midparent + u2 x 2h) - h",
         &Rules::speed_mutation, 0, 1000),
    Real("turn-mutation", "the same for the turning rate, with u1", &Rules::turn_mutation, 0, 1000),
    Whole("glances", "candidates an animal tests per tick for a nearer target", &Rules::glances, 0,
          MostGlances),
    Whole("upkeep", "energy a living animal spends a tick (never below 0)", &Rules::upkeep, 0,
          MostEnergy),
    Whole("newborn-energy-min", "a newcomer's energy is floor(draw x spread) + min",
          &Rules::newborn_energy_min, 1, MostEnergy),
    Whole("newborn-energy-spread", "(see newborn-energy-min)", &Rules::newborn_energy_spread, 0,
          MostEnergy),
    Whole("seeding-size", "a plant seeds when its size passes this", &Rules::seeding_size, 0,
          MostEnergy - 1),
    Whole("regrowth-spread", "a seeding plant's new size is floor(draw x spread); 0 kills it",
          &Rules::regrowth_spread, 0, MostEnergy),
    Whole("seedling-spread", "a new plant's size is floor(draw x spread) + 1",
          &Rules::seedling_spread, 0, MostEnergy - 1),
    Whole("far-seed-chance", "one seeding in N also drops a seedling anywhere",
          &Rules::far_seed_chance, 1, 1 << 24),
    Whole("top-up-chance", "a thin population gains a newcomer with a chance of 1 in N a tick",
          &Rules::top_up_chance, 1, 1 << 24),
    Whole("animal-top-up-below", "the animal top-up applies while fewer animals than this live",
          &Rules::animal_top_up_below, 0, 252),
    Whole("plant-top-up-below", "the plant top-up applies while fewer plants than this live",
          &Rules::plant_top_up_below, 0, 502),
    Real("newcomer-speed", "speed of an animal of the top-up", &Rules::newcomer_speed, -1000, 1000),
    Real("newcomer-turn", "turning rate of an animal of the top-up", &Rules::newcomer_turn, -1000,
         1000),
};

// The rule of that name ("mating-energy"), or null.
const RuleEntry* RuleNamed(std::string_view name);

// The rule of that name; throws RunRefused, listing every rule, for a name of none.
const RuleEntry& KnownRule(std::string_view name);

// Sets one rule. Throws RunRefused, naming the rule and its range, for a value out of range
// or, for a whole-number rule, not whole.
void SetRule(Rules& rules, const RuleEntry& rule, double value);

// Sets the rule `name` from its text as a person writes it ("0.25", "1e-3", "400"). Throws
// RunRefused for an unknown name or a value that is no number of the rule's kind.
void SetRuleFromText(Rules& rules, std::string_view name, std::string_view text);

// The most energy an animal can reach under these rules: a forager eats at most twice more
// after its energy passed every threshold (it may eat in the visit in which it turns to
// mating), each time at most the biggest plant there can be.
std::int64_t MostEnergyReached(const Rules& rules);
std::int64_t BiggestPlant(const Rules& rules);

// Throws RunRefused when a rule is out of its range, or the rules together could carry a
// 16-bit field beyond its range: "rules: an animal's energy could reach ...".
void CheckRulesHold(const Rules& rules);

// A rule's value as the outputs write it: a whole number, or the shortest text that reads
// back to the same double.
std::string RuleText(const Rules& rules, const RuleEntry& rule);

// "0 to 64", "-1000 to 1000": a rule's range as the help and the refusals state it.
std::string RangeText(const RuleEntry& rule);

} // namespace morvane

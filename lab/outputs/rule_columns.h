// Every rule as columns of a CSV table, under its Python name (speed_mutation), each value
// written so that it reads back to the same double: how a sweep's tables name the rules each
// of their lines ran under.
#pragma once

#include <string>

#include "sim/rules.h"

namespace morvane::lab {

// "mating_energy,foraging_energy,...,newcomer_turn", without a newline.
std::string RuleColumnsHeader();

// The rules' values in the same order, without a newline.
std::string RuleColumns(const Rules& rules);

} // namespace morvane::lab

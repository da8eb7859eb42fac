// Means and deviations are written so they read back to the very double computed, minimum
// and maximum as the float the table holds; a spreadsheet or a script gets the exact values.
#include "lab/stats_table.h"

#include "lab/csv_number.h"

namespace morvane::lab {

namespace {

void AppendSpread(std::string& line, bool present, const TraitSpread& spread)
{
    AppendField(line, present, spread.mean);
    AppendField(line, present, spread.sd);
    AppendField(line, present, spread.min);
    AppendField(line, present, spread.max);
}

} // namespace

std::string StatsHeader()
{
    return "tick,animals,plants,speed_mean,speed_sd,speed_min,speed_max,turn_mean,turn_sd,"
           "turn_min,turn_max,energy_mean,born_breeding,born_top_up,born_events,died_leaving,"
           "died_exhausted,died_paying\n";
}

std::string StatsLine(const StatsRow& row)
{
    std::string line;
    AppendNumber(line, row.tick);
    AppendField(line, true, row.animals.living);
    AppendField(line, true, row.plants);
    const bool present = row.animals.living > 0;
    AppendSpread(line, present, row.animals.speed);
    AppendSpread(line, present, row.animals.turn);
    AppendField(line, present, row.animals.energy_mean);
    AppendField(line, true, row.since.born_by_breeding);
    AppendField(line, true, row.since.born_by_top_up);
    AppendField(line, true, row.born_by_events);
    AppendField(line, true, row.since.died_leaving);
    AppendField(line, true, row.since.died_exhausted);
    AppendField(line, true, row.since.died_paying);
    line += '\n';
    return line;
}

} // namespace morvane::lab

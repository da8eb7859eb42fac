// One row per tick of a run of a million ticks: the line is appended to a buffer the caller
// keeps, rather than made afresh.
#include "lab/counts_table.h"

#include "lab/csv_columns.h"

namespace morvane::lab {

namespace {

using std::string;

const std::array<CsvColumn<CountsRow>, 3> CountsColumns{{
    {"tick", [](string& f, const CountsRow& r) { AppendNumber(f, r.tick); }},
    {"animals", [](string& f, const CountsRow& r) { AppendNumber(f, r.counts.animals); }},
    {"plants", [](string& f, const CountsRow& r) { AppendNumber(f, r.counts.plants); }},
}};

} // namespace

std::string CountsHeader() { return CsvHeader(CountsColumns); }

void AppendCountsLine(std::string& text, const CountsRow& row)
{
    AppendCsvLine(text, CountsColumns, row);
}

} // namespace morvane::lab

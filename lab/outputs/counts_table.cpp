// One row per tick of a run of a million ticks: the line is appended to a buffer the caller
// keeps, rather than made afresh.
#include "lab/outputs/counts_table.h"

#include "lab/outputs/csv_columns.h"

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

namespace {

class CountsOutput : public WorldOutput {
public:
    explicit CountsOutput(OutputFile& file) : file_(file) { file_.Write(CountsHeader()); }
    void Ticked(std::uint64_t tick, const TickCounts& counts) override
    {
        line_.clear();
        AppendCountsLine(line_, {tick, counts});
        file_.Write(line_);
    }

private:
    OutputFile& file_;
    std::string line_; // the row being written, kept for its storage
};

} // namespace

std::unique_ptr<WorldOutput> MakeCountsOutput(const std::string& /*value*/,
                                              const std::vector<OutputFile*>& files)
{
    return std::make_unique<CountsOutput>(*files.at(0));
}

} // namespace morvane::lab

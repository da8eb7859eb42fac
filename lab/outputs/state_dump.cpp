// std::to_chars gives the shortest decimal that reads back to the same float, so a dump is
// both exact and readable. The world never holds an infinity or NaN (positions die at the
// edge, and event coordinates beyond a float's range are refused), which JSON could not hold.
#include "lab/outputs/state_dump.h"

#include <charconv>
#include <string>

#include "sim/rule_book.h"
#include "sim/world_columns.h"

namespace morvane::lab {

namespace {

template <typename T> void AppendNumber(std::string& json, T value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    json.append(buffer, result.ptr);
}

// One table, a line for each of its columns: "name": [the value of every slot].
template <typename Columns>
void AppendTable(std::string& json, const char* table, const Columns& columns, const World& world)
{
    json += "  \"";
    json += table;
    json += "\": {\n";
    const char* before = "";
    ForEachColumn(columns, [&](const auto& column) {
        json += before;
        json += "    \"";
        json += column.name;
        json += "\": [";
        const auto& values = column.Of(world);
        for (std::size_t k = 0; k < values.size(); ++k) {
            if (k) json += ", ";
            AppendNumber(json, values[k]);
        }
        json += "]";
        before = ",\n";
    });
    json += "\n  }";
}

} // namespace

void WriteStateJson(std::FILE* out, const World& world, std::uint64_t ticks_run, const Rules& rules)
{
    std::string json = "{\n  \"ticks_run\": ";
    AppendNumber(json, ticks_run);
    // A world under the window's rules is dumped as it always was; under others, every rule.
    if (rules != WindowRules) {
        json += ",\n  \"rules\": {";
        for (const RuleEntry& rule : RuleBook) {
            json += &rule == RuleBook.data() ? "\n    \"" : ",\n    \"";
            json += rule.name;
            json += "\": ";
            json += RuleText(rules, rule);
        }
        json += "\n  }";
    }
    json += ",\n  \"";
    json += SweepField.name;
    json += "\": ";
    AppendNumber(json, SweepField.Of(world));
    json += ",\n";
    AppendTable(json, "animals", AnimalColumns, world);
    json += ",\n";
    AppendTable(json, "plants", PlantColumns, world);
    json += "\n}\n";
    std::fwrite(json.data(), 1, json.size(), out);
}

namespace {

class StateOutput : public WorldOutput {
public:
    explicit StateOutput(OutputFile& file) : file_(file) {}
    void Finish(const RunState& run) override
    {
        WriteStateJson(file_.Stream(), run.world, run.ticks_run, run.rules);
    }

private:
    OutputFile& file_;
};

} // namespace

std::unique_ptr<WorldOutput> MakeStateOutput(const std::string& /*value*/,
                                             const std::vector<OutputFile*>& files)
{
    return std::make_unique<StateOutput>(*files.at(0));
}

} // namespace morvane::lab

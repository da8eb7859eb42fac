// std::to_chars gives the shortest decimal that reads back to the same float, so a dump is
// both exact and readable. The world never holds an infinity or NaN (positions die at the
// edge, and event coordinates beyond a float's range are refused), which JSON could not hold.
#include "lab/state_dump.h"

#include <charconv>
#include <string>

namespace morvane::lab {

namespace {

template <typename T> void AppendNumber(std::string& json, T value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    json.append(buffer, result.ptr);
}

template <typename T, std::size_t N>
void AppendField(std::string& json, const char* name, const std::array<T, N>& values, bool last)
{
    json += "    \"";
    json += name;
    json += "\": [";
    for (std::size_t k = 0; k < N; ++k) {
        if (k) json += ", ";
        AppendNumber(json, values[k]);
    }
    json += last ? "]\n" : "],\n";
}

} // namespace

void WriteStateJson(std::FILE* out, const World& world, std::uint64_t ticks_run)
{
    std::string json = "{\n  \"ticks_run\": ";
    AppendNumber(json, ticks_run);
    json += ",\n  \"tick\": ";
    AppendNumber(json, world.tick);
    const AnimalTable& a = world.animals;
    json += ",\n  \"animals\": {\n";
    AppendField(json, "x", a.x, false);
    AppendField(json, "y", a.y, false);
    AppendField(json, "heading", a.heading, false);
    AppendField(json, "energy", a.energy, false);
    AppendField(json, "target", a.target, false);
    AppendField(json, "mode", a.mode, false);
    AppendField(json, "turn", a.turn, false);
    AppendField(json, "speed", a.speed, true);
    const PlantTable& p = world.plants;
    json += "  },\n  \"plants\": {\n";
    AppendField(json, "x", p.x, false);
    AppendField(json, "y", p.y, false);
    AppendField(json, "size", p.size, true);
    json += "  }\n}\n";
    std::fwrite(json.data(), 1, json.size(), out);
}

namespace {

class StateOutput : public WorldOutput {
public:
    explicit StateOutput(OutputFile& file) : file_(file) {}
    void Finish(const RunState& run) override
    {
        WriteStateJson(file_.Stream(), run.world, run.ticks_run);
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

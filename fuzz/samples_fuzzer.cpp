// libFuzzer target: the reader of a shard's samples file, on any bytes. Two ways in, by the
// first byte:
//   even  the bytes as a file: whatever they hold, the reader refuses them in words or reads
//         samples that write back to the very same bytes, and that the ensemble's tables
//         can be made from;
//   odd   edits to a real samples file, its checksum made right, so the fuzzer reaches the
//         checks behind the checksum: the rest is triples (offset, two bytes; byte to put
//         there). Any edit must be refused in words or read back exactly as it was written.
//         The file is an ensemble's under the window's rules (format version 1) when the
//         first byte's second bit is clear, a sweep's (version 2) when it is set.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "lab/outputs/ensemble_table.h"
#include "lab/outputs/summary_table.h"
#include "lab/outputs/sweep_table.h"
#include "lab/run/row_schedule.h"
#include "lab/shards/samples_file.h"
#include "sim/byte_codec.h"

namespace {

using morvane::lab::SamplesError;
using morvane::lab::ShardSamples;

[[noreturn]] void Broken(const char* what)
{
    std::fprintf(stderr, "samples fuzzer: %s\n", what);
    std::abort();
}

std::string Written(const ShardSamples& samples)
{
    const std::vector<morvane::lab::EnsembleRow> rows;
    return morvane::lab::WriteSamples(morvane::lab::FinishedEnsemble{
        samples.records, rows, samples.identity, samples.runs, samples.shard});
}

void ReadAndWriteBack(std::string_view bytes)
{
    ShardSamples read;
    try {
        read = morvane::lab::ReadSamples(bytes);
    } catch (const SamplesError& e) {
        if (std::string_view(e.what()).empty()) Broken("a refusal without a reason");
        return;
    }
    if (Written(read) != bytes) Broken("samples read back do not write back the same");
    // What the merge makes of them: every line and every row.
    for (const morvane::lab::RunRecord& record : read.records)
        if (morvane::lab::SummaryLine(record).empty()) Broken("an empty summary line");
    for (const morvane::lab::RunRecord& record : read.records)
        morvane::lab::SweepLine(record);
    const morvane::lab::RowSchedule schedule{read.identity.from, read.identity.to,
                                             read.identity.every, read.identity.resumed};
    if (!read.records.empty())
        for (std::uint64_t k = 0; k < schedule.Count(); ++k)
            morvane::lab::EnsembleLine(morvane::lab::EnsembleAt(read.records, k, schedule.Tick(k)));
}

// The samples of shard 2/2 of four runs from seed 5, 60 ticks with rows every 20; in a sweep,
// four runs at each of three points varying two rules.
std::string MadeBase(bool sweep)
{
    ShardSamples s;
    s.identity.program_version = "1.0.0.0";
    s.identity.to = 60;
    s.identity.every = 20;
    s.identity.first_seed = 5;
    s.identity.runs = 4;
    s.identity.events = {true, 42, 0x1234abcd};
    if (sweep) {
        s.identity.swept = true;
        s.identity.point_rules.clear();
        morvane::Rules rules;
        rules.birth_cost = 300;
        for (const double h : {0.0, 0.25, 1.0}) {
            rules.speed_mutation = h;
            rules.glances = static_cast<int>(4 * h);
            s.identity.point_rules.push_back(rules);
        }
    }
    s.shard = {2, 2};
    s.runs = morvane::lab::RunsOf(s.shard, s.identity.AllRuns());
    for (std::uint64_t r = s.runs.first; r < s.runs.end; ++r) {
        morvane::lab::RunRecord record;
        record.seed = 5 + r % s.identity.runs;
        if (sweep) record.totals.tally.died_paying = static_cast<std::int64_t>(r);
        record.ticks = 60;
        record.hash = 0x0123456789abcdefULL * (r + 1);
        record.final_census.living = static_cast<int>(3 * r);
        record.final_census.speed.mean = 0.3 + 0.01 * static_cast<double>(r);
        record.final_census.turn.mean = 0.5;
        record.final_plants = 40;
        record.totals.tally.born_by_top_up = 2;
        record.totals.ticks_below_three = 10;
        for (int k = 0; k < 4; ++k)
            record.samples.push_back({static_cast<std::int16_t>(k), 30, 0.3, 0.5});
        s.records.push_back(record);
    }
    return Written(s);
}

const std::string& Base(bool sweep)
{
    static const std::string ensemble = MadeBase(false), swept = MadeBase(true);
    return sweep ? swept : ensemble;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (size == 0 || data[0] % 2 == 0) {
        ReadAndWriteBack(input.substr(size == 0 ? 0 : 1));
        return 0;
    }
    std::string edited = Base((data[0] & 2) != 0);
    edited.resize(edited.size() - 4);
    for (std::size_t k = 1; k + 2 < size; k += 3) {
        const std::size_t offset = (data[k] | (data[k + 1] << 8)) % edited.size();
        edited[offset] = static_cast<char>(data[k + 2]);
    }
    std::uint32_t crc = morvane::Crc32(edited);
    for (int b = 0; b < 4; ++b, crc >>= 8)
        edited.push_back(static_cast<char>(crc & 0xffu));
    ReadAndWriteBack(edited);
    return 0;
}

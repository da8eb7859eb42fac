// Every value an output prints is kept to the bit (the means as their doubles' bit patterns),
// so outputs made from the files are the very bytes the runs would have given in one process.
// Nothing is compressed: the rows are mostly means whose low bits are as good as random.
#include "lab/shards/samples_file.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "lab/command/limits.h"
#include "lab/run/row_schedule.h"
#include "sim/byte_codec.h"
#include "sim/file_envelope.h"
#include "sim/kept_rules.h"
#include "sim/rule_book.h"
#include "sim/run_refused.h"
#include "sim/world.h"

namespace morvane::lab {

namespace {

constexpr FileKind SamplesFile{"MORVSMPL", SamplesFormatVersion, MostSamplesFileBytes,
                               "samples file", OldestSamplesFormatRead};
// The format that kept no rules, for every world then ran the window's.
constexpr std::uint32_t FirstSamplesFormat = 1;
constexpr std::size_t RowBytes = 2 + 2 + 8 + 8;

// A run's summary: version 2 adds its deaths by cause.
constexpr std::size_t RunBytes(std::uint32_t version)
{
    return 8 + 8 + 2 + 2 + 8 + 8 + 8 + 8 + 8 + 8 + (version >= 2 ? 8 + 8 + 8 : 0);
}

using Reader = ByteReader<SamplesError>;

// The runs of an ensemble under the window's rules are what format version 1 kept, and are
// kept in it still, so that every file made before the rules could change is made again
// byte for byte.
bool KeptInFirstFormat(const EnsembleIdentity& id)
{
    return !id.swept && id.point_rules == std::vector<Rules>{WindowRules};
}

// The rules that differ between points, in the rule book's order.
std::vector<const RuleEntry*> VariedRules(const std::vector<Rules>& points)
{
    std::vector<const RuleEntry*> varied;
    for (const RuleEntry& rule : RuleBook)
        if (std::any_of(points.begin(), points.end(), [&](const Rules& point) {
                return rule.Of(point) != rule.Of(points.front());
            }))
            varied.push_back(&rule);
    return varied;
}

// The points' rules: the first point's every rule, then the rules that differ between points
// by name, then each point's values of those. A sweep of one rule over a thousand points keeps
// a thousand values, not a thousand rule books.
void WritePoints(ByteWriter& w, const std::vector<Rules>& points)
{
    WriteRules(w, points.front());
    const std::vector<const RuleEntry*> varied = VariedRules(points);
    w.Number(static_cast<std::uint64_t>(points.size()));
    w.Number(static_cast<std::uint8_t>(varied.size()));
    for (const RuleEntry* rule : varied)
        WriteRuleName(w, rule->name);
    for (const Rules& point : points)
        for (const RuleEntry* rule : varied)
            w.Double(rule->Of(point));
}

void WriteDigest(ByteWriter& w, const FileDigest& digest)
{
    w.Number(static_cast<std::uint8_t>(digest.given));
    w.Number(digest.size);
    w.Number(digest.crc);
}

void WriteRun(ByteWriter& w, std::uint32_t version, const RunRecord& r)
{
    w.Number(r.seed);
    w.Number(r.hash);
    w.Number(static_cast<std::int16_t>(r.final_census.living));
    w.Number(static_cast<std::int16_t>(r.final_plants));
    w.Double(r.final_census.speed.mean);
    w.Double(r.final_census.turn.mean);
    w.Number(r.totals.tally.born_by_breeding);
    w.Number(r.totals.tally.born_by_top_up);
    w.Number(r.totals.born_by_events);
    w.Number(r.totals.ticks_below_three);
    if (version >= 2) {
        w.Number(r.totals.tally.died_leaving);
        w.Number(r.totals.tally.died_exhausted);
        w.Number(r.totals.tally.died_paying);
    }
    for (const RunSample& s : r.samples) {
        w.Number(s.animals);
        w.Number(s.plants);
        w.Double(s.speed_mean);
        w.Double(s.turn_mean);
    }
}

bool Flag(Reader& r)
{
    const auto flag = r.Number<std::uint8_t>();
    if (flag > 1) throw SamplesError("corrupt (a flag neither set nor clear)");
    return flag == 1;
}

FileDigest ReadDigest(Reader& r)
{
    FileDigest digest;
    digest.given = Flag(r);
    digest.size = r.Number<std::uint64_t>();
    digest.crc = r.Number<std::uint32_t>();
    if (!digest.given && (digest.size != 0 || digest.crc != 0))
        throw SamplesError("corrupt (the digest of a file not read)");
    return digest;
}

// More births or deaths of a kind than any run can have (fewer than 2^64 ticks, 251 slots),
// and few enough that the three kinds add up without overflowing.
constexpr std::int64_t MostOfAKind = std::int64_t{1} << 61;

bool CountFits(std::int64_t count) { return count >= 0 && count <= MostOfAKind; }

// The means mean nothing without an animal; with one they are numbers.
bool Fits(int animals, int plants, double speed_mean, double turn_mean)
{
    return animals >= 0 && animals <= AnimalSlots && plants >= 0 && plants <= PlantSlots &&
           (animals == 0 || (std::isfinite(speed_mean) && std::isfinite(turn_mean)));
}

EnsembleIdentity ReadIdentity(Reader& r)
{
    EnsembleIdentity id;
    const auto version_size = r.Number<std::uint16_t>();
    if (version_size > MostProgramVersionBytes) throw SamplesError("corrupt (the program version)");
    id.program_version = std::string(r.Bytes(version_size));
    // A version is printable ASCII; anything else was made to deceive whoever reads the refusal.
    for (const char c : id.program_version)
        if (c < 0x20 || c > 0x7e) throw SamplesError("corrupt (the program version)");
    id.to = r.Number<std::uint64_t>();
    id.from = r.Number<std::uint64_t>();
    id.resumed = Flag(r);
    id.every = r.Number<std::uint64_t>();
    id.first_seed = r.Number<std::uint64_t>();
    id.runs = r.Number<std::uint64_t>();
    id.events = ReadDigest(r);
    id.checkpoint = ReadDigest(r);
    if (id.from > id.to || (!id.resumed && id.from != 0) || id.every == 0 ||
        id.checkpoint.given != id.resumed)
        throw SamplesError("corrupt (the ticks of the request)");
    if (id.runs == 0 || id.runs > MostRuns ||
        id.runs - 1 > std::numeric_limits<std::uint64_t>::max() - id.first_seed)
        throw SamplesError("corrupt (the runs of the request)");
    return id;
}

// Rules no writer writes are damage, named as the core names what it refused.
SamplesError Corrupt(const RunRefused& refused)
{
    return SamplesError(std::string("corrupt (") + refused.what() + ")");
}

std::vector<Rules> ReadPoints(Reader& r, std::uint64_t runs)
{
    const auto as_is = [](const char* problem) { return std::string(problem); };
    Rules first;
    try {
        first = CheckedRules(ReadKeptRules(r, as_is));
    } catch (const RunRefused& refused) {
        throw Corrupt(refused);
    }
    const auto count = r.Number<std::uint64_t>();
    if (count == 0 || count > MostRuns / runs) throw SamplesError("corrupt (the sweep's points)");
    const auto varied_count = r.Number<std::uint8_t>();
    if (varied_count > RuleBook.size()) throw SamplesError("corrupt (the sweep's rules)");
    std::vector<const RuleEntry*> varied;
    for (std::uint8_t k = 0; k < varied_count; ++k) {
        const RuleEntry* rule = RuleNamed(ReadRuleName(r, as_is));
        if (!rule || (!varied.empty() && rule <= varied.back()))
            throw SamplesError("corrupt (the sweep's rules)");
        varied.push_back(rule);
    }
    // Both factors are bounded above; checked before any point is made.
    if (r.Left() < count * varied_count * 8) throw SamplesError("truncated");
    std::vector<Rules> points(count, first);
    if (!varied.empty()) {
        for (Rules& point : points) {
            try {
                for (const RuleEntry* rule : varied)
                    SetKeptRule(point, *rule, r.Double());
                CheckRulesHold(point);
            } catch (const RunRefused& refused) {
                throw Corrupt(refused);
            }
        }
    }
    // As the writer has them: the first point's rules in full, and only rules that vary.
    if (points.front() != first || VariedRules(points) != varied)
        throw SamplesError("corrupt (the sweep's rules)");
    return points;
}

RunRecord ReadRun(Reader& r, std::uint32_t version, const EnsembleIdentity& id, std::uint64_t job,
                  std::uint64_t rows)
{
    RunRecord record;
    record.seed = r.Number<std::uint64_t>();
    record.ticks = id.to;
    record.hash = r.Number<std::uint64_t>();
    record.final_census.living = r.Number<std::int16_t>();
    record.final_plants = r.Number<std::int16_t>();
    record.final_census.speed.mean = r.Double();
    record.final_census.turn.mean = r.Double();
    RunTotals& totals = record.totals;
    totals.tally.born_by_breeding = r.Number<std::int64_t>();
    totals.tally.born_by_top_up = r.Number<std::int64_t>();
    totals.born_by_events = r.Number<std::int64_t>();
    totals.ticks_below_three = r.Number<std::uint64_t>();
    if (version >= 2) {
        totals.tally.died_leaving = r.Number<std::int64_t>();
        totals.tally.died_exhausted = r.Number<std::int64_t>();
        totals.tally.died_paying = r.Number<std::int64_t>();
    }
    record.point = job / id.runs;
    record.run = job % id.runs;
    record.rules = id.point_rules[record.point];
    if (record.seed != id.first_seed + record.run)
        throw SamplesError("corrupt (a run's seed out of its place)");
    if (!Fits(record.final_census.living, record.final_plants, record.final_census.speed.mean,
              record.final_census.turn.mean) ||
        !CountFits(totals.tally.born_by_breeding) || !CountFits(totals.tally.born_by_top_up) ||
        !CountFits(totals.born_by_events) || !CountFits(totals.tally.died_leaving) ||
        !CountFits(totals.tally.died_exhausted) || !CountFits(totals.tally.died_paying) ||
        totals.ticks_below_three > id.to - id.from)
        throw SamplesError("corrupt (a run's summary)");
    record.samples.resize(rows);
    for (RunSample& s : record.samples) {
        s.animals = r.Number<std::int16_t>();
        s.plants = r.Number<std::int16_t>();
        s.speed_mean = r.Double();
        s.turn_mean = r.Double();
        if (!Fits(s.animals, s.plants, s.speed_mean, s.turn_mean))
            throw SamplesError("corrupt (a sample row)");
    }
    return record;
}

} // namespace

std::string WriteSamples(const FinishedEnsemble& ensemble)
{
    const EnsembleIdentity& id = ensemble.identity;
    FileKind kind = SamplesFile;
    if (KeptInFirstFormat(id)) kind.version = FirstSamplesFormat;
    EnvelopeWriter w(kind);
    // Cut short, two versions could look alike; the program's own is checked when it is built.
    if (id.program_version.size() > MostProgramVersionBytes)
        throw std::logic_error("a program version too long for a samples file");
    w.Number(static_cast<std::uint16_t>(id.program_version.size()));
    w.Bytes(id.program_version);
    w.Number(id.to);
    w.Number(id.from);
    w.Number(static_cast<std::uint8_t>(id.resumed));
    w.Number(id.every);
    w.Number(id.first_seed);
    w.Number(id.runs);
    WriteDigest(w, id.events);
    WriteDigest(w, id.checkpoint);
    if (kind.version >= 2) {
        w.Number(static_cast<std::uint8_t>(id.swept));
        WritePoints(w, id.point_rules);
    }
    w.Number(ensemble.shard.index);
    w.Number(ensemble.shard.count);
    w.Number(ensemble.runs.first);
    w.Number(ensemble.runs.Count());
    const std::uint64_t rows =
        ensemble.records.empty() ? 0 : ensemble.records.front().samples.size();
    w.Number(rows);
    for (const RunRecord& record : ensemble.records)
        WriteRun(w, kind.version, record);
    return w.Sealed();
}

ShardSamples ReadSamples(std::string_view bytes)
{
    EnvelopeReader<SamplesError> r(bytes, SamplesFile);
    // The checksum is checked before any other field is read.
    r.RefuseUnlessWhole();

    ShardSamples samples;
    EnsembleIdentity& id = samples.identity;
    id = ReadIdentity(r);
    const std::uint32_t version = r.Version();
    if (version >= 2) {
        id.swept = Flag(r);
        id.point_rules = ReadPoints(r, id.runs);
        if (!id.swept && id.point_rules.size() != 1)
            throw SamplesError("corrupt (the sweep's points)");
        if (KeptInFirstFormat(id))
            throw SamplesError(
                "corrupt (an ensemble under the window's rules in format version 2)");
    }
    samples.shard.index = r.Number<std::uint64_t>();
    samples.shard.count = r.Number<std::uint64_t>();
    const std::uint64_t all_runs = id.AllRuns();
    if (samples.shard.count == 0 || samples.shard.count > all_runs || samples.shard.index == 0 ||
        samples.shard.index > samples.shard.count)
        throw SamplesError("corrupt (the shard's number)");
    samples.runs = RunsOf(samples.shard, all_runs);
    const auto first = r.Number<std::uint64_t>(), count = r.Number<std::uint64_t>();
    if (first != samples.runs.first || count != samples.runs.Count())
        throw SamplesError("corrupt (the shard's runs)");
    const auto rows = r.Number<std::uint64_t>();
    const RowSchedule schedule{id.from, id.to, id.every, id.resumed};
    if (rows != schedule.Count() || rows > MostSamples / all_runs)
        throw SamplesError("corrupt (the rows of a run)");
    // Both factors are bounded above, so the size cannot wrap; checked before any run is made.
    const std::uint64_t expected = count * (RunBytes(version) + rows * RowBytes) + 4;
    if (r.Left() != expected)
        throw SamplesError(r.Left() < expected ? "truncated"
                                               : "corrupt (bytes after the last run)");
    samples.records.reserve(count);
    for (std::uint64_t k = 0; k < count; ++k)
        samples.records.push_back(ReadRun(r, version, id, first + k, rows));
    return samples;
}

namespace {

class SamplesOutput : public EnsembleOutput {
public:
    explicit SamplesOutput(OutputFile& file) : file_(file) {}
    void Finish(const FinishedEnsemble& ensemble) override { file_.Write(WriteSamples(ensemble)); }

private:
    OutputFile& file_;
};

} // namespace

std::unique_ptr<EnsembleOutput> MakeSamplesOutput(const std::string& /*value*/,
                                                  const std::vector<OutputFile*>& files)
{
    return std::make_unique<SamplesOutput>(*files.at(0));
}

} // namespace morvane::lab

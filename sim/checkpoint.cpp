// Every number is written little-endian, whatever the machine, so a checkpoint made on one
// machine continues on any other. The state goes through zlib: a checkpoint is mostly the two
// canvases, and their black pixels compress to almost nothing.
#include "sim/checkpoint.h"

#include "sim/byte_codec.h"
#include "sim/file_envelope.h"
#include "sim/kept_rules.h"
#include "sim/run_refused.h"
#include "sim/world_columns.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

namespace morvane {

namespace {

constexpr FileKind CheckpointFile{"MORVCKPT", CheckpointFormatVersion, MostCheckpointBytes,
                                  "checkpoint", OldestCheckpointFormatRead};
constexpr std::size_t MostVersionText = 64; // the program version recorded, in bytes
constexpr std::uint64_t MostAnimalsEntered = std::uint64_t{1} << 62;

// Rules no writer wrote are damage.
Rules CheckpointRules(const KeptRules& kept)
{
    try {
        return CheckedRules(kept);
    } catch (const RunRefused& refused) {
        throw CheckpointError(std::string("corrupt (") + refused.what() + ")");
    }
}

// The checkpoint's own runs of values: the tables' columns and the canvases' pixels.
class Writer : public ByteWriter {
public:
    void Value(float value) { Float(value); }
    void Value(std::int16_t value) { Number(value); }
    template <typename T, std::size_t N> void Value(const std::array<T, N>& values)
    {
        for (T v : values)
            Value(v);
    }
    void Pixels(const Canvas& canvas)
    {
        Number(static_cast<std::uint32_t>(canvas.Width()));
        Number(static_cast<std::uint32_t>(canvas.Height()));
        for (Colour c : canvas.Pixels())
            Number(c);
    }
};

class Reader : public ByteReader<CheckpointError> {
public:
    using ByteReader::ByteReader;
    void Value(float& value) { value = Float(); }
    void Value(std::int16_t& value) { value = Number<std::int16_t>(); }
    template <typename T, std::size_t N> void Value(std::array<T, N>& values)
    {
        for (T& v : values)
            Value(v);
    }
    void Pixels(Canvas& canvas)
    {
        const auto width = Number<std::uint32_t>(), height = Number<std::uint32_t>();
        if (width != static_cast<std::uint32_t>(canvas.Width()) ||
            height != static_cast<std::uint32_t>(canvas.Height()))
            throw CheckpointError("corrupt (a canvas of the wrong size)");
        std::vector<Colour> pixels(canvas.Pixels().size());
        for (Colour& c : pixels)
            c = Number<std::uint32_t>();
        canvas.SetPixels(pixels);
    }
};

// The size of the one layout this version has: fixed, so no buffer larger than it is ever
// made for what a header claims.
constexpr std::size_t StateSize()
{
    std::size_t columns = 0; // with the sweep counter
    ForEachWorldColumn([&columns](const auto& column) { columns += column.Bytes; });
    constexpr std::size_t Birth = 8 + 2 * 8 + 8 + 1 + 4 * 8; // id, parents, born at, origin, ...
    constexpr std::size_t Canvases =
        2 * 8 + 4 * (SpaceWidth * SpaceHeight + GraphWidth * GraphHeight);
    return 4 * 8 + columns + 7 * 8 + 8 + AnimalSlots * Birth + Canvases;
}

std::string State(const RunState& c)
{
    Writer w;
    w.Number(c.ticks_run);
    w.Number(c.seed);
    w.Number(c.random.State());
    w.Number(c.random.Increment());
    ForEachWorldColumn([&](const auto& column) { w.Value(column.Of(c.world)); });
    const LifeTally& t = c.since_row;
    w.Number(t.born_by_breeding), w.Number(t.born_by_top_up), w.Number(t.died_leaving);
    w.Number(t.died_exhausted), w.Number(t.died_paying), w.Number(c.born_by_events_since_row);
    w.Number(c.since_row_tick);
    w.Number(c.pedigree.entered);
    for (const BirthRecord& b : c.pedigree.of_slot) {
        w.Number(b.id), w.Number(b.parents[0]), w.Number(b.parents[1]), w.Number(b.born_at);
        w.Number(static_cast<std::uint8_t>(b.origin));
        w.Double(b.midparent_speed), w.Double(b.midparent_turn);
        w.Double(b.speed_mutation), w.Double(b.turn_mutation);
    }
    w.Pixels(c.space);
    w.Pixels(c.graph);
    if (w.Text().size() != StateSize())
        throw std::logic_error("a checkpoint's state is not of its fixed size");
    return std::move(w.Text());
}

// Every id was given before the next one: none beyond the count of animals that entered, a
// parent's before its child's, and a slot has one only once an animal entered it.
void ReadPedigree(Reader& r, RunState& c)
{
    Pedigree& pedigree = c.pedigree;
    pedigree.entered = r.Number<std::uint64_t>();
    // Ids count up from one and never wrap: a count this high was forged, not lived (a world
    // breeding a hundred million animals a second would take millennia to reach it), and
    // going on from it could run out of ids.
    if (pedigree.entered > MostAnimalsEntered)
        throw CheckpointError("corrupt (more animals entered than any world has seen)");
    for (BirthRecord& b : pedigree.of_slot) {
        b.id = r.Number<std::uint64_t>();
        b.parents[0] = r.Number<std::uint64_t>(), b.parents[1] = r.Number<std::uint64_t>();
        b.born_at = r.Number<std::uint64_t>();
        const auto origin = r.Number<std::uint8_t>();
        b.midparent_speed = r.Double(), b.midparent_turn = r.Double();
        b.speed_mutation = r.Double(), b.turn_mutation = r.Double();
        if (origin > static_cast<std::uint8_t>(Origin::Release))
            throw CheckpointError("corrupt (an animal of no known origin)");
        b.origin = static_cast<Origin>(origin);
        const bool bred = b.origin == Origin::Breeding;
        if ((b.id == 0) != (b.origin == Origin::None) || b.id > pedigree.entered ||
            b.born_at > c.ticks_run || (bred && (b.parents[0] == 0 || b.parents[1] == 0)) ||
            b.parents[0] >= std::max<std::uint64_t>(b.id, 1) ||
            b.parents[1] >= std::max<std::uint64_t>(b.id, 1) ||
            (!bred && (b.parents[0] != 0 || b.parents[1] != 0)))
            throw CheckpointError("corrupt (an animal's id or parents do not fit its entry)");
    }
}

RunState FromState(std::string_view state)
{
    Reader r(state, "corrupt (the state ends early)");
    RunState c;
    c.ticks_run = r.Number<std::uint64_t>();
    c.seed = r.Number<std::uint64_t>();
    const auto random_state = r.Number<std::uint64_t>();
    const auto increment = r.Number<std::uint64_t>();
    // The generator's stream must be odd, or it would not run through every state.
    if (increment % 2 == 0) throw CheckpointError("corrupt (the random source's stream is even)");
    c.random = RandomSource::FromState(random_state, increment);
    ForEachWorldColumn([&](const auto& column) { r.Value(column.Of(c.world)); });
    if (c.world.sweep < 0 || c.world.sweep > SweepMax)
        throw CheckpointError("corrupt (the graph's sweep is out of its range)");
    LifeTally& t = c.since_row;
    t.born_by_breeding = r.Number<std::int64_t>(), t.born_by_top_up = r.Number<std::int64_t>();
    t.died_leaving = r.Number<std::int64_t>(), t.died_exhausted = r.Number<std::int64_t>();
    t.died_paying = r.Number<std::int64_t>();
    c.born_by_events_since_row = r.Number<std::int64_t>();
    c.since_row_tick = r.Number<std::uint64_t>();
    if (c.since_row_tick > c.ticks_run)
        throw CheckpointError("corrupt (its last statistics row lies ahead of it)");
    ReadPedigree(r, c);
    r.Pixels(c.space);
    r.Pixels(c.graph);
    if (r.Left() != 0) throw CheckpointError("corrupt (bytes after the state)");
    return c;
}

} // namespace

std::string WriteCheckpoint(const RunState& run, std::string_view program_version)
{
    const std::string state = State(run);
    uLongf packed_size = compressBound(static_cast<uLong>(state.size()));
    std::string packed(packed_size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packed_size,
                  reinterpret_cast<const Bytef*>(state.data()), static_cast<uLong>(state.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        throw std::runtime_error("zlib could not compress a checkpoint");
    packed.resize(packed_size);

    // A world under the window's rules is kept as format version 1 always kept one, byte for
    // byte, so that every reader since the first goes on with it; only other rules need 2.
    const bool window_rules = run.rules == WindowRules;
    FileKind kind = CheckpointFile;
    if (window_rules) kind.version = OldestCheckpointFormatRead;
    EnvelopeWriter w(kind);
    w.Number(WorldRulesVersion);
    const std::string_view version = program_version.substr(0, MostVersionText);
    w.Number(static_cast<std::uint16_t>(version.size()));
    w.Bytes(version);
    if (!window_rules) WriteRules(w, run.rules);
    w.Number(static_cast<std::uint64_t>(state.size()));
    w.Number(static_cast<std::uint64_t>(packed.size()));
    w.Bytes(packed);
    return w.Sealed();
}

RunState ReadCheckpoint(std::string_view bytes)
{
    EnvelopeReader<CheckpointError> r(bytes, CheckpointFile);
    const auto rules_version = r.Number<std::uint32_t>();
    const auto version_size = r.Number<std::uint16_t>();
    // A length no writer gives: the version itself is at fault if the checksum holds.
    if (version_size > MostVersionText)
        throw CheckpointError(r.Intact() ? "corrupt (the program version)" : "corrupt (checksum)");
    r.Bytes(version_size);
    // Format version 1 kept no rules: it was written when every world ran the window's.
    // The checksum is checked later, to name a truncation as one: damage seen before is named
    // the checksum's when that fails too.
    const auto damaged = [&r](const char* problem) {
        return std::string(r.Intact() ? problem : "corrupt (checksum)");
    };
    const KeptRules kept_rules = r.Version() >= 2 ? ReadKeptRules(r, damaged) : KeptRules{};
    const auto state_size = r.Number<std::uint64_t>();
    const auto packed_size = r.Number<std::uint64_t>();
    // A file cut short is named so, though its checksum cannot hold either.
    if (packed_size > r.Left() || r.Left() - packed_size < 4) throw CheckpointError("truncated");
    r.RefuseUnlessWhole();
    if (rules_version != WorldRulesVersion)
        throw CheckpointError("written under world rules version " + std::to_string(rules_version) +
                              "; this program follows version " +
                              std::to_string(WorldRulesVersion));
    const std::string_view packed = r.Bytes(packed_size);
    if (r.Left() != 4) throw CheckpointError("corrupt (bytes after the checksum)");

    const std::size_t expected = StateSize();
    if (state_size != expected) throw CheckpointError("corrupt (the state's size)");
    std::string state(expected, '\0');
    uLongf unpacked = static_cast<uLongf>(expected);
    if (uncompress(reinterpret_cast<Bytef*>(state.data()), &unpacked,
                   reinterpret_cast<const Bytef*>(packed.data()),
                   static_cast<uLong>(packed.size())) != Z_OK ||
        unpacked != expected)
        throw CheckpointError("corrupt (the compressed state)");
    RunState run = FromState(state);
    run.rules = r.Version() >= 2 ? CheckpointRules(kept_rules) : WindowRules;
    return run;
}

} // namespace morvane

// A kept world continues exactly as the world it was kept from, and a file that is not such a
// checkpoint, or is damaged, is refused with its problem named, whatever its bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "sim/bit_cast.h"
#include "sim/checkpoint.h"
#include "sim/mouse_release.h"
#include "sim/rule_book.h"
#include "sim/scenes.h"
#include "sim/tick.h"
#include "sim/world_hash.h"

namespace morvane {
namespace {

// The populated scene drawn on kept canvases for a while, with births and deaths tallied.
RunState Running(int ticks)
{
    RunState c;
    const Scene scene = PopulatedScene(2000);
    c.world = scene.world;
    c.random = scene.random;
    c.seed = 42;
    c.ticks_run = 2000;
    space_MouseUp(c.world, c.random, WindowRules, LeftButton, 0, 100.5f, 200.25f);
    Tallying counting_c(c.since_row);
    for (int t = 0; t < ticks; ++t, ++c.ticks_run)
        RunTick(c.world, c.random, WindowRules, c.space, c.graph, &counting_c);
    c.born_by_events_since_row = 1;
    c.since_row_tick = 2000;
    c.pedigree.Enter(3, {.born_at = 12, .origin = Origin::Release});
    c.pedigree.Enter(7, {.born_at = 40, .origin = Origin::TopUp});
    c.pedigree.Enter(4, {.parents = {1, 1},
                         .born_at = 2000,
                         .origin = Origin::Breeding,
                         .midparent_speed = 0.7,
                         .midparent_turn = -0.0,
                         .speed_mutation = -0.5,
                         .turn_mutation = 0.1234567890123});
    return c;
}

void ExpectSame(const RunState& a, const RunState& b)
{
    // The hash reads every field's bits (not the padding between the tables).
    EXPECT_EQ(HashWorld(a.world), HashWorld(b.world));
    EXPECT_TRUE(a.world == b.world);
    EXPECT_TRUE(a.random == b.random);
    EXPECT_EQ(a.space.Pixels(), b.space.Pixels());
    EXPECT_EQ(a.graph.Pixels(), b.graph.Pixels());
    EXPECT_EQ(a.ticks_run, b.ticks_run);
    EXPECT_EQ(a.seed, b.seed);
    EXPECT_EQ(a.since_row, b.since_row);
    EXPECT_EQ(a.born_by_events_since_row, b.born_by_events_since_row);
    EXPECT_EQ(a.since_row_tick, b.since_row_tick);
    EXPECT_TRUE(a.pedigree == b.pedigree);
    EXPECT_EQ(std::signbit(a.pedigree.of_slot[4].midparent_turn),
              std::signbit(b.pedigree.of_slot[4].midparent_turn));
}

// The bytes with `field` written over them at `offset` and the checksum made right again, as a
// newer or a foreign writer would leave them.
std::string WithBytes(std::string bytes, std::size_t offset, const std::string& field)
{
    bytes.replace(offset, field.size(), field);
    // CRC-32 worked out here bit by bit, apart from the zlib the writer uses.
    const std::string body = bytes.substr(0, bytes.size() - 4);
    std::uint32_t crc = 0xffffffffu;
    for (unsigned char ch : body) {
        crc ^= ch;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    crc ^= 0xffffffffu;
    for (int b = 0; b < 4; ++b)
        bytes[bytes.size() - 4 + b] = static_cast<char>((crc >> (8 * b)) & 0xffu);
    return bytes;
}

std::string LittleEndian(std::uint64_t value, int size)
{
    std::string bytes;
    for (int b = 0; b < size; ++b)
        bytes += static_cast<char>((value >> (8 * b)) & 0xffu);
    return bytes;
}

std::string WithField(std::string bytes, std::size_t offset, std::uint32_t value)
{
    return WithBytes(std::move(bytes), offset, LittleEndian(value, 4));
}

std::string Problem(const std::string& bytes)
{
    try {
        ReadCheckpoint(bytes);
    } catch (const CheckpointError& e) {
        return e.what();
    }
    return "read without complaint";
}

TEST(Checkpoint, AWorldReadBackContinuesBitForBitAsTheWorldItWasKeptFrom)
{
    RunState kept = Running(1500);
    const std::string bytes = WriteCheckpoint(kept, "1.0.0.0");
    EXPECT_EQ(bytes, WriteCheckpoint(kept, "1.0.0.0")) << "the same world gives the same bytes";
    RunState read = ReadCheckpoint(bytes);
    ExpectSame(kept, read);
    // Across the graph's wrap and a few hundred births and deaths, the two stay one world.
    Tallying counting_kept(kept.since_row), counting_read(read.since_row);
    for (int t = 0; t < 5000; ++t) {
        RunTick(kept.world, kept.random, WindowRules, kept.space, kept.graph, &counting_kept);
        RunTick(read.world, read.random, WindowRules, read.space, read.graph, &counting_read);
    }
    EXPECT_EQ(HashWorld(kept.world), HashWorld(read.world));
    ExpectSame(kept, read);
    EXPECT_GT(LivingAnimals(read.world), 0);
}

TEST(Checkpoint, OtherFilesDamagedOnesAndNewerOrForeignOnesAreRefusedWithTheProblemNamed)
{
    const std::string bytes = WriteCheckpoint(Running(300), "1.0.0.0");
    EXPECT_EQ(Problem(""), "truncated");
    EXPECT_EQ(Problem("MORV"), "truncated");
    EXPECT_EQ(Problem("{\"ticks_run\": 3}"), "not a checkpoint");
    EXPECT_EQ(Problem("\x89PNG\r\n\x1a\n and the rest"), "not a checkpoint");
    // Cut anywhere, a checkpoint is truncated: never read, never a crash.
    for (std::size_t cut = 0; cut < bytes.size(); cut += 1 + cut / 16)
        EXPECT_EQ(Problem(bytes.substr(0, cut)), "truncated") << "cut after " << cut << " bytes";
    // A bit flipped anywhere in the header is refused; anywhere after it (the state and the
    // checksum), the checksum catches it.
    constexpr std::size_t Header = 8 + 4 + 4 + 2 + 7 + 8 + 8; // with "1.0.0.0"
    for (std::size_t at = 8; at < bytes.size(); at += at < Header ? 1 : 13) {
        std::string damaged = bytes;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x10);
        if (at < Header) {
            EXPECT_NE(Problem(damaged), "read without complaint") << at;
        } else {
            EXPECT_EQ(Problem(damaged), "corrupt (checksum)") << at;
        }
    }
    EXPECT_EQ(Problem(bytes + "x"), "corrupt (checksum)");
    EXPECT_EQ(Problem(WithField(bytes, 8, 3)),
              "format version 3 is newer than this program reads (2)");
    EXPECT_EQ(Problem(WithField(bytes, 12, 7)),
              "written under world rules version 7; this program follows version 1");
    EXPECT_EQ(Problem(WithField(bytes, 8, 0)), "corrupt (format version 0)");

    RunState odd = Running(10);
    odd.random = RandomSource::FromState(12345, 54); // a stream no generator here can have
    EXPECT_EQ(Problem(WriteCheckpoint(odd, "1.0.0.0")),
              "corrupt (the random source's stream is even)");
    RunState ahead = Running(10);
    ahead.since_row_tick = ahead.ticks_run + 1; // a statistics row the world has not reached
    EXPECT_EQ(Problem(WriteCheckpoint(ahead, "1.0.0.0")),
              "corrupt (its last statistics row lies ahead of it)");
    for (auto spoil : {+[](Pedigree& p) { p.of_slot[9].id = p.entered + 1; },
                       +[](Pedigree& p) { p.of_slot[4].parents[1] = p.of_slot[4].id; },
                       +[](Pedigree& p) { p.of_slot[3].parents[0] = 1; },
                       +[](Pedigree& p) { p.of_slot[7].origin = Origin::None; }}) {
        RunState unknown = Running(10);
        spoil(unknown.pedigree);
        EXPECT_EQ(Problem(WriteCheckpoint(unknown, "1.0.0.0")),
                  "corrupt (an animal's id or parents do not fit its entry)");
    }
    EXPECT_EQ(Problem(bytes + std::string(MostCheckpointBytes, '\0')),
              "corrupt (longer than any checkpoint)");
}

Rules OtherRules()
{
    Rules rules;
    rules.speed_mutation = 0.125, rules.glances = 5, rules.seeding_size = 140;
    rules.newcomer_turn = -0.0625;
    return rules;
}

// Where the value of rule `name` lies in a checkpoint of format version 2 whose program version
// is "1.0.0.0": after the magic, the two versions, the version text and the count of rules,
// each rule is its name's length, its name and its value.
std::size_t RuleValueOffset(const char* name)
{
    std::size_t at = 8 + 4 + 4 + 2 + 7 + 2;
    for (const RuleEntry& rule : RuleBook) {
        at += 1 + std::strlen(rule.name);
        if (std::strcmp(rule.name, name) == 0) return at;
        at += 8;
    }
    return 0;
}

TEST(Checkpoint, AWorldKeptUnderOtherRulesGoesOnUnderThem)
{
    RunState kept = Running(300);
    kept.rules = OtherRules();
    const std::string bytes = WriteCheckpoint(kept, "1.0.0.0");
    EXPECT_EQ(bytes.substr(8, 4), LittleEndian(2, 4)) << "format version 2 keeps rules";
    RunState read = ReadCheckpoint(bytes);
    EXPECT_TRUE(read.rules == kept.rules);
    EXPECT_TRUE(std::signbit(read.rules.newcomer_turn));
    for (int t = 0; t < 3000; ++t) {
        RunTick(kept.world, kept.random, kept.rules, kept.space, kept.graph);
        RunTick(read.world, read.random, read.rules, read.space, read.graph);
    }
    ExpectSame(kept, read);
    // The same world under the window's rules has parted from it by now.
    RunState window = ReadCheckpoint(WriteCheckpoint(Running(300), "1.0.0.0"));
    for (int t = 0; t < 3000; ++t)
        RunTick(window.world, window.random, window.rules, window.space, window.graph);
    EXPECT_NE(HashWorld(window.world), HashWorld(read.world));
}

// A world under the window's rules is written as it always was, so a checkpoint of format
// version 1, from before rules were kept, is read as one under the window's rules.
TEST(Checkpoint, UnderTheWindowsRulesAWorldIsKeptAsFormatVersionOneAlwaysKeptIt)
{
    const std::string bytes = WriteCheckpoint(Running(300), "1.0.0.0");
    EXPECT_EQ(bytes.substr(8, 4), LittleEndian(1, 4));
    std::ifstream file(MORVANE_TEST_DATA "/seed9_2500_v1.ckpt", std::ios::binary);
    const std::string old((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(old.empty()) << "tests/data/seed9_2500_v1.ckpt, written by morvane-lab 1.0.0.0";
    RunState read = ReadCheckpoint(old);
    EXPECT_TRUE(read.rules == WindowRules);
    EXPECT_EQ(WriteCheckpoint(read, "1.0.0.0"), old) << "read and written again, byte for byte";
    for (int t = 0; t < 1000; ++t)
        RunTick(read.world, read.random, read.rules, read.space, read.graph);
    // morvane-lab --seed 9 --ticks 3500 --hash, before and after checkpoints kept rules.
    EXPECT_EQ(HashWorld(read.world), 0x986db155649de2fbu);
}

TEST(Checkpoint, RulesNoWriterWritesAreRefusedAsDamage)
{
    RunState kept = Running(10);
    kept.rules = OtherRules();
    const std::string bytes = WriteCheckpoint(kept, "1.0.0.0");
    const auto with_value = [&bytes](const char* rule, double value) {
        return WithBytes(bytes, RuleValueOffset(rule),
                         LittleEndian(BitCast<std::uint64_t>(value), 8));
    };
    EXPECT_EQ(Problem(with_value("glances", 65)),
              "corrupt (rule glances: 65 is out of its range, 0 to 64)");
    EXPECT_EQ(Problem(with_value("glances", 4.5)),
              "corrupt (rule glances: 4.5 is not a whole number (0 to 64))");
    EXPECT_EQ(Problem(with_value("plant-energy", 200)),
              "corrupt (rules: an animal's energy could reach 57400 (1000 from mating-energy, "
              "foraging-energy or a newborn's, plus twice plant-energy 200 times a plant of size "
              "141), above the most an energy holds, 32767)");
    // A name no rule has.
    const std::size_t glances = RuleValueOffset("glances") - std::strlen("glances");
    EXPECT_EQ(Problem(WithBytes(bytes, glances, "upkeep_")), "corrupt (a rule's name)");
    EXPECT_EQ(Problem(WithBytes(bytes, 8 + 4 + 4 + 2 + 7, LittleEndian(18, 2))),
              "corrupt (the count of its rules)");
}

} // namespace
} // namespace morvane

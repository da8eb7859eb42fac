// Text from outside (an events line, a field of a crafted file, a name typed) is shown escaped
// and cut short, and command lines the lab would otherwise misread are refused in words.
#include <gtest/gtest.h>

#include <string>

#include "sim/byte_codec.h"
#include "sim/checkpoint.h"
#include "tests/lab/lab_test_support.h"

namespace morvane::labtest {
namespace {

using namespace std::string_literals;

std::string Lab() { return Quote(LabPath()); }

// `file` with `bytes` at `at` (replacing `replaced` bytes) and its CRC-32 made anew, as a
// forger would.
std::string Forged(std::string file, std::size_t at, std::size_t replaced, const std::string& bytes)
{
    file.replace(at, replaced, bytes);
    file.resize(file.size() - 4);
    const std::uint32_t crc = Crc32(file);
    for (int b = 0; b < 4; ++b)
        file += static_cast<char>((crc >> (8 * b)) & 0xffu);
    return file;
}

// A program version as both kept formats hold it: a 16-bit length, then the text.
std::string VersionField(const std::string& version)
{
    return std::string{static_cast<char>(version.size() & 0xff),
                       static_cast<char>(version.size() >> 8)} +
           version;
}

TEST(QuotedInput, IsShownEscapedAndCutShort)
{
    ScratchFolder folder;
    folder.Write("nul.txt", "0 left 100\0 100\n"s);
    const LabResult nul = RunLabBinary(folder, {"--ticks", "10", "--events", "nul.txt"});
    EXPECT_EQ(nul.status, 2);
    EXPECT_EQ(nul.err,
              "morvane-lab: error: nul.txt:1: x '100\\0' is not a finite decimal number\n");

    folder.Write("long.txt", "0 left 1" + std::string(3999, '0') + " 100\n");
    const LabResult long_token = RunLabBinary(folder, {"--ticks", "10", "--events", "long.txt"});
    EXPECT_EQ(long_token.status, 2);
    EXPECT_EQ(long_token.err, "morvane-lab: error: long.txt:1: x '1" + std::string(59, '0') +
                                  "...' (4000 characters) is beyond the range of a 32-bit float\n");

    const LabResult name =
        RunLabBinary(folder, {"--ticks", "10", "--counts-out", "no-dir\nx/c.csv"});
    EXPECT_EQ(name.status, 2);
    EXPECT_EQ(name.ErrLines().size(), 1u) << name.err;
}

TEST(QuotedInput, AForgedProgramVersionIsRefusedWithoutBeingPrinted)
{
    ScratchFolder folder;
    for (const char* part : {"1/2", "2/2"})
        ASSERT_EQ(RunLabBinary(folder, {"--ticks", "10", "--runs", "2", "--shard", part,
                                        "--samples-out", std::string("s") + part[0] + ".smp"})
                      .status,
                  0);
    const std::string genuine = ReadFile(folder.Work() / "s2.smp");
    const std::size_t at = 8 + 4; // after the magic and the format version
    const std::size_t old_field = 2 + static_cast<unsigned char>(genuine[at]);
    folder.Write("s2.smp", Forged(genuine, at, old_field, VersionField("\x1b[2J\x1b[31mEVIL\x07")));
    const LabResult run = RunLabBinary(folder, {"merge", "s1.smp", "s2.smp", "--hash"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "morvane-lab: error: merge: s2.smp: corrupt (the program version)\n");
}

TEST(QuotedInput, AreRefusedForWhatIsWrongWithThem)
{
    ScratchFolder folder;
    ASSERT_EQ(RunLabBinary(folder, {"--seed", "7", "--ticks", "500", "--checkpoint-out", "k.ckpt"})
                  .status,
              0);
    const std::string genuine = ReadFile(folder.Work() / "k.ckpt");

    // Past the magic, the format version and the rules version lies the program version.
    const std::size_t at = 8 + 4 + 4;
    const std::size_t old_field = 2 + static_cast<unsigned char>(genuine[at]);
    folder.Write("long.ckpt", Forged(genuine, at, old_field, VersionField(std::string(65, '1'))));
    const LabResult version = RunLabBinary(folder, {"--resume", "long.ckpt", "--ticks", "1"});
    EXPECT_EQ(version.status, 2);
    EXPECT_EQ(version.err,
              "morvane-lab: error: --resume long.ckpt: corrupt (the program version)\n");

    // A count of animals that no world reaches would give ids that wrap round.
    RunState run = ReadCheckpoint(genuine);
    run.pedigree.entered = ~std::uint64_t{0} - 1;
    folder.Write("many.ckpt", WriteCheckpoint(run, "test"));
    const LabResult many = RunLabBinary(
        folder, {"--resume", "many.ckpt", "--ticks", "2000", "--checkpoint-out", "after.ckpt"});
    EXPECT_EQ(many.status, 2);
    EXPECT_EQ(many.err, "morvane-lab: error: --resume many.ckpt: corrupt (more animals entered "
                        "than any world has seen)\n");
    EXPECT_FALSE(fs::exists(folder.Work() / "after.ckpt"));
}

TEST(QuotedInput, MayStartWithAByteOrderMark)
{
    ScratchFolder folder;
    folder.Write("plain.txt", "5 left 100 100\n");
    folder.Write("marked.txt", "\xEF\xBB\xBF"
                               "5 left 100 100\n");
    const LabResult plain =
        RunLabBinary(folder, {"--ticks", "50", "--events", "plain.txt", "--hash"});
    const LabResult marked =
        RunLabBinary(folder, {"--ticks", "50", "--events", "marked.txt", "--hash"});
    ASSERT_EQ(plain.status, 0);
    EXPECT_EQ(marked.status, 0) << marked.err;
    EXPECT_EQ(marked.out, plain.out);
    EXPECT_NE(plain.out, RunLabBinary(folder, {"--ticks", "50", "--hash"}).out);
}

TEST(QuotedInput, RefusesInWordsWhatItWouldOtherwiseMisread)
{
    ScratchFolder folder;
    ASSERT_EQ(RunLabBinary(folder, {"--ticks", "10", "--checkpoint-out", "c"}).status, 0);
    const struct {
        std::vector<std::string> arguments;
        std::string line;
    } cases[] = {
        {{"--ticks", "10", "--resume", "c", "--events", "c"}, "--events and --resume both name c"},
        {{"--version"}, "The following argument was not expected: --version (see --help)"},
        {{"--tick", "10"}, "The following arguments were not expected: 10 --tick (see --help)"},
        {{"merge", ""}, "merge: an empty file name was given"},
        {{"merge", "c", "", "--hash"}, "merge: an empty file name was given"},
        {{"--ticks", "10", "--hash", "--hash"},
         "--hash: At Most 1 required but received 2 (see --help)"},
        {{"--ticks", "10", "--quiet", "--quiet"},
         "--quiet: At Most 1 required but received 2 (see --help)"},
        {{"--ticks", "10", "--state-out", "-"},
         "--state-out -: '-' is not taken for standard output; name /dev/stdout to write there"},
        {{"--ticks", "10", "--events", "-"},
         "--events -: '-' is not taken for standard input; name /dev/stdin to read it"},
    };
    for (const auto& c : cases) {
        const LabResult run = RunLabBinary(folder, c.arguments);
        EXPECT_EQ(run.status, 2) << c.line;
        EXPECT_EQ(run.err, "morvane-lab: error: " + c.line + "\n");
    }
    EXPECT_EQ(folder.Names(), std::set<std::string>{"c"});
}

TEST(QuotedInput, CountOnlyWhatIsKeptAndAreSaidInWords)
{
    // One world's --selection-out writes its rows as it goes: a long run at every tick is not
    // refused for memory (it is stopped here once it has begun).
    ScratchFolder folder;
    folder.Write("stop.sh", Lab() + " --ticks 4000000 --every 1 --quiet --selection-out s.csv & "
                                    "p=$!; sleep 0.5; kill -INT $p; wait $p; echo $?\n");
    EXPECT_EQ(RunShell(folder, "timeout -s KILL 20 bash stop.sh").out, "130\n");

#if !defined(__SANITIZE_ADDRESS__)
    // The address sanitizer reserves more address space than the limit allows.
    const LabResult short_of_memory = RunShell(
        folder, "ulimit -v 200000; " + Lab() +
                    " --runs 1000000 --ticks 1 --every 1 --ensemble-out e.csv --threads 1 --quiet");
    EXPECT_EQ(short_of_memory.status, 2);
    EXPECT_EQ(short_of_memory.err,
              "morvane-lab: error: not enough memory for 1,000,000 runs of 2 rows (take a larger "
              "--every or fewer --runs)\n");
#endif
}

} // namespace
} // namespace morvane::labtest

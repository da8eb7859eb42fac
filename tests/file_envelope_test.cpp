// The envelope the kept files share: a magic, a format version, the body and the CRC-32 of all
// before it; what it refuses and in which words, and that a checkpoint and a samples file word
// the refusals it makes for them alike.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "lab/outputs/ensemble_table.h"
#include "lab/shards/samples_file.h"
#include "sim/checkpoint.h"
#include "sim/file_envelope.h"

namespace morvane {
namespace {

struct TestFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

constexpr FileKind TestFile{"TESTFILE", 3, 64, "test file"};

// CRC-32 worked out here bit by bit, apart from the zlib the envelope uses.
std::uint32_t BitwiseCrc32(const std::string& bytes)
{
    std::uint32_t crc = 0xffffffffu;
    for (unsigned char ch : bytes) {
        crc ^= ch;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xffffffffu;
}

std::string LittleEndian(std::uint32_t value)
{
    std::string bytes;
    for (int b = 0; b < 4; ++b, value >>= 8)
        bytes.push_back(static_cast<char>(value & 0xffu));
    return bytes;
}

// The bytes with the format version (just after an eight-byte magic) replaced, and the
// checksum made right again, as a newer or a foreign writer would leave them.
std::string WithVersion(std::string bytes, std::uint32_t version)
{
    bytes.replace(8, 4, LittleEndian(version));
    bytes.resize(bytes.size() - 4);
    return bytes + LittleEndian(BitwiseCrc32(bytes));
}

std::string TestFileWith(const std::string& body)
{
    EnvelopeWriter w(TestFile);
    w.Bytes(body);
    return w.Sealed();
}

// What a reader of the test file makes of `bytes`: its five-byte body, or the refusal.
std::string Opened(const std::string& bytes)
{
    try {
        EnvelopeReader<TestFileError> r(bytes, TestFile);
        r.RefuseUnlessWhole();
        const std::string body(r.Bytes(5));
        if (r.Left() != 4) return "not five bytes";
        return "opened " + body;
    } catch (const TestFileError& e) {
        return e.what();
    }
}

TEST(FileEnvelope, AFileIsItsMagicItsVersionItsBodyAndTheCrc32OfAllThatComesBefore)
{
    const std::string file = TestFileWith("hello");
    const std::string before = std::string("TESTFILE") + LittleEndian(3) + "hello";
    EXPECT_EQ(file, before + LittleEndian(BitwiseCrc32(before)));
    EnvelopeReader<TestFileError> r(file, TestFile);
    EXPECT_EQ(r.Version(), 3u);
    EXPECT_TRUE(r.Intact());
    EXPECT_EQ(Opened(file), "opened hello");
}

TEST(FileEnvelope, ABadChecksumANewerOrOlderVersionAndATruncatedOrForeignFileAreRefused)
{
    const std::string file = TestFileWith("hello");
    std::string damaged = file;
    damaged[13] ^= 0x01; // in the body
    EXPECT_EQ(Opened(damaged), "corrupt (checksum)");
    EXPECT_EQ(Opened(file + "!"), "corrupt (checksum)");
    // An intact newer file is refused for its version; a damaged one for its checksum, for
    // then the version may be the damage. No older version was ever written.
    EXPECT_EQ(Opened(WithVersion(file, 4)),
              "format version 4 is newer than this program reads (3)");
    EXPECT_EQ(NewerFormatRefusal(4, TestFile), Opened(WithVersion(file, 4)));
    std::string newer_damaged = WithVersion(file, 4);
    newer_damaged[13] ^= 0x01;
    EXPECT_EQ(Opened(newer_damaged), "corrupt (checksum)");
    EXPECT_EQ(Opened(WithVersion(file, 2)), "corrupt (format version 2)");
    EXPECT_EQ(Opened(WithVersion(file, 0)), "corrupt (format version 0)");
    // A kind that still reads an older version takes it and says which it is, and no older.
    constexpr FileKind Lasting{"TESTFILE", 3, 64, "test file", 2};
    for (const std::uint32_t version : {1u, 2u, 3u}) {
        std::string outcome;
        try {
            EnvelopeReader<TestFileError> r(WithVersion(file, version), Lasting);
            r.RefuseUnlessWhole();
            outcome = "read as version " + std::to_string(r.Version());
        } catch (const TestFileError& e) {
            outcome = e.what();
        }
        EXPECT_EQ(outcome, version == 1 ? "corrupt (format version 1)"
                                        : "read as version " + std::to_string(version));
    }
    // Cut inside the magic or the version, a file is truncated; cut later, its checksum fails
    // before the body is read; read past the end of its body, it is truncated.
    for (const std::size_t cut : {0, 4, 8, 11})
        EXPECT_EQ(Opened(file.substr(0, cut)), "truncated") << cut;
    for (const std::size_t cut : {12, 15, 20})
        EXPECT_EQ(Opened(file.substr(0, cut)), "corrupt (checksum)") << cut;
    EXPECT_EQ(Opened(TestFileWith("")), "truncated");
    EXPECT_EQ(Opened("TESTFILX" + file.substr(8)), "not a test file");
    EXPECT_EQ(Opened("TEST\n"), "not a test file");
    EXPECT_EQ(Opened(TestFileWith(std::string(64 - 16, 'h'))), "not five bytes");
    EXPECT_EQ(Opened(TestFileWith(std::string(64 - 16 + 1, 'h'))),
              "corrupt (longer than any test file)");
}

std::string Refusal(const std::string& checkpoint)
{
    try {
        ReadCheckpoint(checkpoint);
    } catch (const CheckpointError& e) {
        return e.what();
    }
    return "read without complaint";
}

std::string SamplesRefusal(const std::string& samples)
{
    try {
        lab::ReadSamples(samples);
    } catch (const lab::SamplesError& e) {
        return e.what();
    }
    return "read without complaint";
}

// One run of 60 ticks from seed 5, rows every 20 ticks.
std::string SamplesFile()
{
    lab::EnsembleIdentity id;
    id.program_version = "1.0.0.0";
    id.to = 60;
    id.every = 20;
    id.first_seed = 5;
    lab::RunRecord record;
    record.seed = 5;
    record.ticks = 60;
    record.samples.assign(4, lab::RunSample{0, 30, 0, 0});
    const std::vector<lab::RunRecord> records{record};
    const std::vector<lab::EnsembleRow> rows;
    return lab::WriteSamples({records, rows, id, lab::RunsOf({1, 1}, 1), {1, 1}});
}

TEST(FileEnvelope, ACheckpointAndASamplesFileRefuseWhatTheEnvelopeRefusesInTheSameWords)
{
    const std::string checkpoint = WriteCheckpoint(RunState{}, "1.0.0.0");
    const std::string samples = SamplesFile();
    ASSERT_EQ(Refusal(checkpoint), "read without complaint");
    ASSERT_EQ(SamplesRefusal(samples), "read without complaint");
    EXPECT_EQ(Refusal(WithVersion(checkpoint, 0)), "corrupt (format version 0)");
    EXPECT_EQ(SamplesRefusal(WithVersion(samples, 0)), "corrupt (format version 0)");
    // Each names the newest version it reads: both keep rules since version 2.
    EXPECT_EQ(Refusal(WithVersion(checkpoint, 3)),
              "format version 3 is newer than this program reads (2)");
    EXPECT_EQ(SamplesRefusal(WithVersion(samples, 3)),
              "format version 3 is newer than this program reads (2)");
    EXPECT_EQ(Refusal(WithVersion(checkpoint, 77)),
              "format version 77 is newer than this program reads (2)");
    EXPECT_EQ(SamplesRefusal(WithVersion(samples, 77)),
              "format version 77 is newer than this program reads (2)");
    std::string damaged_checkpoint = checkpoint, damaged_samples = samples;
    damaged_checkpoint[checkpoint.size() / 2] ^= 0x10;
    damaged_samples[samples.size() / 2] ^= 0x10;
    EXPECT_EQ(Refusal(damaged_checkpoint), "corrupt (checksum)");
    EXPECT_EQ(SamplesRefusal(damaged_samples), "corrupt (checksum)");
    EXPECT_EQ(Refusal("MORVSMPL" + checkpoint.substr(8)), "not a checkpoint");
    EXPECT_EQ(SamplesRefusal(checkpoint), "not a samples file");
}

} // namespace
} // namespace morvane

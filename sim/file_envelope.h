// The envelope of every file the program keeps (a checkpoint, a shard's samples): a magic, a
// format version, the body, and zlib's CRC-32 of all that comes before it. Every version of
// every such format, now and later, keeps this envelope, so a reader can tell a newer file
// (its checksum holds) from a damaged one (it does not) without knowing the newer layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sim/byte_codec.h"

namespace morvane {

// What sets one kind of kept file apart from the others.
struct FileKind {
    std::string_view magic;   // the file's first bytes
    std::uint32_t version;    // the format version this program writes and reads
    std::size_t most_bytes;   // no file of this kind is longer, so a reader never takes in more
    const char* name;         // for the refusals: "not a checkpoint", "longer than any checkpoint"
    std::uint32_t oldest = 0; // the oldest format version still read; 0 when only `version` is
};

// A file of one kind as it is written: the magic and the format version are already there,
// the body follows through ByteWriter, and Sealed() ends it with the checksum.
class EnvelopeWriter : public ByteWriter {
public:
    explicit EnvelopeWriter(const FileKind& kind);
    // The file's bytes, the CRC-32 of all before it appended.
    std::string Sealed();
};

// What a file's envelope tells before its body is read.
struct EnvelopeCheck {
    std::string problem;       // why the file is refused at once; empty when it is not
    std::uint32_t version = 0; // the format version it claims
    bool intact = false;       // whether it ends with the CRC-32 of all before it
};

// Refuses, in `problem`, a file that does not begin with the kind's magic, is longer than any
// of its kind, ends before its format version, or is of a newer format version (as "corrupt
// (checksum)" when its checksum does not hold, for then the version may be the damage).
EnvelopeCheck CheckEnvelope(std::string_view bytes, const FileKind& kind);

// The refusal of an intact file of a newer format version than this program reads, worded
// the same for every kind: "format version 2 is newer than this program reads (1)".
std::string NewerFormatRefusal(std::uint32_t version, const FileKind& kind);

// Reads a kept file's body, just after its format version, and refuses what its envelope
// refuses by throwing Error(problem); running past the end throws Error("truncated"). The last
// four bytes it holds are the checksum.
template <typename Error> class EnvelopeReader : public ByteReader<Error> {
public:
    EnvelopeReader(std::string_view bytes, const FileKind& kind)
        : ByteReader<Error>(bytes, "truncated"), kind_(kind), check_(CheckEnvelope(bytes, kind))
    {
        if (!check_.problem.empty()) throw Error(check_.problem);
        this->Bytes(kind_.magic.size() + sizeof(std::uint32_t));
    }

    std::uint32_t Version() const { return check_.version; }
    bool Intact() const { return check_.intact; }

    // Refuses a file whose checksum does not hold, then one of an older format version than
    // this program reads (none was ever written, so it is damaged). A format may look at its
    // header first, to name a truncation as one.
    void RefuseUnlessWhole() const
    {
        if (!check_.intact) throw Error("corrupt (checksum)");
        const std::uint32_t oldest = kind_.oldest == 0 ? kind_.version : kind_.oldest;
        if (check_.version < oldest || check_.version > kind_.version)
            throw Error("corrupt (format version " + std::to_string(check_.version) + ")");
    }

private:
    FileKind kind_;
    EnvelopeCheck check_;
};

} // namespace morvane

#include "lab/ensemble_identity.h"

#include <fstream>
#include <vector>

#include "lab/lab_error.h"
#include "sim/byte_codec.h"

namespace morvane::lab {

FileDigest DigestOf(const std::string& option, const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw LabError(option + " " + path + ": cannot be opened for reading");
    FileDigest digest;
    digest.given = true;
    std::vector<char> piece(1 << 16);
    std::uint32_t crc = 0;
    while (in) {
        in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        crc = Crc32({piece.data(), got}, crc);
        digest.size += got;
    }
    if (in.bad()) throw LabError(option + " " + path + ": could not be read");
    digest.crc = crc;
    return digest;
}

namespace {

std::string Difference(const char* what, std::uint64_t a, std::uint64_t b)
{
    return std::string(what) + " " + std::to_string(a) + " and " + std::to_string(b);
}

std::string FileDifference(const char* option, const FileDigest& a, const FileDigest& b)
{
    if (a.given != b.given) return std::string(option) + " given to one and not the other";
    return std::string(option) + " files of different content";
}

} // namespace

std::string FirstDifference(const EnsembleIdentity& a, const EnsembleIdentity& b)
{
    if (a.program_version != b.program_version)
        return "morvane-lab " + a.program_version + " and " + b.program_version;
    if (a.resumed != b.resumed) return "--resume given to one and not the other";
    if (a.checkpoint != b.checkpoint) return FileDifference("--resume", a.checkpoint, b.checkpoint);
    if (a.from != b.from) return Difference("starting ticks", a.from, b.from);
    if (a.to - a.from != b.to - b.from) return Difference("--ticks", a.to - a.from, b.to - b.from);
    if (a.every != b.every) return Difference("--every", a.every, b.every);
    if (a.first_seed != b.first_seed) return Difference("--seed", a.first_seed, b.first_seed);
    if (a.runs != b.runs) return Difference("--runs", a.runs, b.runs);
    if (a.events != b.events) return FileDifference("--events", a.events, b.events);
    return {};
}

} // namespace morvane::lab

// A file cut short inside its magic is truncated, not another file: only bytes that part from
// the magic say it is not of the kind.
#include "sim/file_envelope.h"

#include <stdexcept>

namespace morvane {

EnvelopeWriter::EnvelopeWriter(const FileKind& kind)
{
    Bytes(kind.magic);
    Number(kind.version);
}

std::string EnvelopeWriter::Sealed()
{
    Number(Crc32(Text()));
    return std::move(Text());
}

EnvelopeCheck CheckEnvelope(std::string_view bytes, const FileKind& kind)
{
    const std::string_view magic = kind.magic;
    EnvelopeCheck check;
    if (bytes.size() < magic.size() ? magic.substr(0, bytes.size()) != bytes
                                    : bytes.substr(0, magic.size()) != magic) {
        check.problem = std::string("not a ") + kind.name;
        return check;
    }
    if (bytes.size() > kind.most_bytes) {
        check.problem = std::string("corrupt (longer than any ") + kind.name + ")";
        return check;
    }
    if (bytes.size() < magic.size() + sizeof(std::uint32_t)) {
        check.problem = "truncated";
        return check;
    }
    // Long enough for the version, so this reader never runs past the end.
    ByteReader<std::logic_error> after_magic(bytes.substr(magic.size()), "no format version");
    check.version = after_magic.Number<std::uint32_t>();
    // The checksum follows the version, never overlaps it.
    check.intact =
        bytes.size() >= magic.size() + 2 * sizeof(std::uint32_t) && EndsWithItsCrc32(bytes);
    if (check.version > kind.version)
        check.problem =
            check.intact ? NewerFormatRefusal(check.version, kind) : "corrupt (checksum)";
    return check;
}

std::string NewerFormatRefusal(std::uint32_t version, const FileKind& kind)
{
    return "format version " + std::to_string(version) + " is newer than this program reads (" +
           std::to_string(kind.version) + ")";
}

} // namespace morvane

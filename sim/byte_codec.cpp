// zlib computes the CRC-32, so every file the program keeps is checked by the same, well-known
// code that any other tool can check it with.
#include "sim/byte_codec.h"

#include <zlib.h>

#include <algorithm>

namespace morvane {

std::uint32_t Crc32(std::string_view bytes, std::uint32_t before)
{
    uLong crc = before;
    // zlib takes lengths as uInt: feed a huge buffer in pieces.
    while (!bytes.empty()) {
        const std::size_t piece = std::min<std::size_t>(bytes.size(), 1u << 30);
        crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(piece));
        bytes.remove_prefix(piece);
    }
    return static_cast<std::uint32_t>(crc);
}

bool EndsWithItsCrc32(std::string_view bytes)
{
    if (bytes.size() < 4) return false;
    std::uint32_t stored = 0;
    for (std::size_t b = 4; b-- > 0;)
        stored = (stored << 8) | static_cast<unsigned char>(bytes[bytes.size() - 4 + b]);
    return Crc32(bytes.substr(0, bytes.size() - 4)) == stored;
}

} // namespace morvane

// Numbers as bytes of a fixed width, least significant byte first whatever the machine, and
// zlib's CRC-32 over them: what every file the program keeps (a checkpoint, a shard's
// samples) is written and checked with, so one machine's file reads the same on any other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "sim/bit_cast.h"

namespace morvane {

// zlib's CRC-32 of `bytes`, of any length; or, given the CRC-32 of what came before them, of
// the two together.
std::uint32_t Crc32(std::string_view bytes, std::uint32_t before = 0);

class ByteWriter {
public:
    void Bytes(std::string_view bytes) { out_.append(bytes); }
    template <typename T> void Number(T value)
    {
        using Bits = std::make_unsigned_t<T>;
        auto bits = static_cast<std::uint64_t>(static_cast<Bits>(value));
        for (std::size_t b = 0; b < sizeof(T); ++b, bits >>= 8)
            out_.push_back(static_cast<char>(bits & 0xffu));
    }
    void Float(float value) { Number(BitCast<std::uint32_t>(value)); }
    void Double(double value) { Number(BitCast<std::uint64_t>(value)); }
    std::string& Text() { return out_; }

private:
    std::string out_;
};

// Reads what ByteWriter wrote; running past the end throws Error(past_end).
template <typename Error> class ByteReader {
public:
    ByteReader(std::string_view in, const char* past_end) : in_(in), past_end_(past_end) {}
    std::string_view Bytes(std::size_t count)
    {
        if (in_.size() - at_ < count) throw Error(past_end_);
        const std::string_view bytes = in_.substr(at_, count);
        at_ += count;
        return bytes;
    }
    template <typename T> T Number()
    {
        const std::string_view bytes = Bytes(sizeof(T));
        std::uint64_t bits = 0;
        for (std::size_t b = sizeof(T); b-- > 0;)
            bits = (bits << 8) | static_cast<unsigned char>(bytes[b]);
        return static_cast<T>(static_cast<std::make_unsigned_t<T>>(bits));
    }
    float Float() { return BitCast<float>(Number<std::uint32_t>()); }
    double Double() { return BitCast<double>(Number<std::uint64_t>()); }
    std::size_t Left() const { return in_.size() - at_; }

private:
    std::string_view in_;
    std::size_t at_ = 0;
    const char* past_end_;
};

// Whether `bytes` end with the CRC-32 of all that comes before them.
bool EndsWithItsCrc32(std::string_view bytes);

} // namespace morvane

// Reads a fuzzer's input front to back as little-endian fields; past the end every field is 0,
// so any input, however short, is a whole script.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace morvane::fuzz {

class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool AtEnd() const { return next_ >= size_; }

    std::uint8_t Byte() { return next_ < size_ ? data_[next_++] : 0; }

    std::uint64_t Bits(int bytes)
    {
        std::uint64_t value = 0;
        for (int b = 0; b < bytes; ++b)
            value |= static_cast<std::uint64_t>(Byte()) << (8 * b);
        return value;
    }

    // Any 32-bit pattern: every float there is, NaNs and infinities included.
    float Float() { return std::bit_cast<float>(static_cast<std::uint32_t>(Bits(4))); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t next_ = 0;
};

} // namespace morvane::fuzz

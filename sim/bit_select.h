// Choosing between two values by masking their bits: for choices that are coin tosses to the
// processor, where the compiler would otherwise turn a conditional back into a branch.
#pragma once

#include <bit>
#include <cstdint>

namespace morvane {

// a when `take_a`, else b.
inline double Select(bool take_a, double a, double b)
{
    const std::uint64_t mask = -static_cast<std::uint64_t>(take_a);
    return std::bit_cast<double>((std::bit_cast<std::uint64_t>(a) & mask) |
                                 (std::bit_cast<std::uint64_t>(b) & ~mask));
}

inline float Select(bool take_a, float a, float b)
{
    const std::uint32_t mask = -static_cast<std::uint32_t>(take_a);
    return std::bit_cast<float>((std::bit_cast<std::uint32_t>(a) & mask) |
                                (std::bit_cast<std::uint32_t>(b) & ~mask));
}

} // namespace morvane

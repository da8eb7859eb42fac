// The one way the core chooses between two values without a branch. It is for choices that
// are coin tosses to the processor (which way an animal turns, which quadrant a heading lies
// in, whether a wandering free plant slot is off the world), where a branch would be guessed
// wrong half the time; compilers keep a choice by masking bits as it is written.
#pragma once

#include <cstdint>
#include <type_traits>

#include "sim/bit_cast.h"
#include "sim/kernels/lanes.h"

namespace morvane::kernels {

// a when `take_a`, else b, for any number of 2, 4 or 8 bytes, bit for bit (a -0 or a NaN comes
// through as it was).
template <typename T> T Select(bool take_a, T a, T b)
{
    static_assert(sizeof(T) == 2 || sizeof(T) == 4 || sizeof(T) == 8);
    using Bits =
        std::conditional_t<sizeof(T) == 8, std::uint64_t,
                           std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint16_t>>;
    const auto mask = static_cast<Bits>(-static_cast<Bits>(take_a));
    return BitCast<T>(static_cast<Bits>((BitCast<Bits>(a) & mask) | (BitCast<Bits>(b) & ~mask)));
}

// The same lane by lane: a in the lanes where `take_a` is all ones, else b.
inline Doubles Select(Masks take_a, Doubles a, Doubles b)
{
    return (Doubles)(((Masks)a & take_a) | ((Masks)b & ~take_a));
}

} // namespace morvane::kernels

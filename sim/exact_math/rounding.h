// The double nearest a wide fixed-point value known to within a given error, and whether that
// error could have hidden a different answer.
#pragma once

#include <cstdint>

#include "sim/bit_cast.h"
#include "sim/exact_math/wide_fraction.h"

namespace morvane::exact {

struct Rounded {
    double value = 0;
    // False when the value lies so near the midpoint between two doubles that the error could
    // carry it across; the value is then the nearer by the bits at hand.
    bool sure = true;
};

// The wide values handed here are within 2^-240 of the exact number: their arithmetic loses a
// few units of 2^-256 at each step, and no caller takes more than a few thousand steps.
inline constexpr int WideErrorBits = 240;

// A wide value read as the 320-bit integer of its limbs (limb 0 most significant), worth that
// integer times 2^-256: the place of its leading bit (-1 for zero), and the 64 bits from bit
// `top` down (bit 0 the least significant; zeros below it).
int LeadingBit(const WideFraction& value);
std::uint64_t BitsBelow(const WideFraction& value, int top);

// 2^exponent, for an exponent of a normal double's range only (-1022..1023).
inline double PowerOfTwo(int exponent)
{
    return BitCast<double>(static_cast<std::uint64_t>(exponent + 1023) << 52);
}

// The double nearest `value`, which must not be zero.
Rounded NearestDouble(const WideFraction& value);

} // namespace morvane::exact

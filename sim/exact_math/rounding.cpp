#include "sim/exact_math/rounding.h"

#include <bit>
#include <cstdint>

namespace morvane::exact {

namespace {

// The 64 bits of the 320-bit integer `value.limbs` (limb 0 most significant) that start at bit
// `top` (0 is the least significant bit of the last limb) and go down; bits below 0 are zeros.
std::uint64_t BitsBelow(const WideFraction& value, int top)
{
    std::uint64_t bits = 0;
    for (int i = 0; i < 64; ++i) {
        const int bit = top - i;
        if (bit < 0) break;
        const int limb = WideLimbs - 1 - bit / 64;
        bits |= ((value.limbs[limb] >> (bit % 64)) & 1) << (63 - i);
    }
    return bits;
}

double PowerOfTwo(int exponent) // a normal double's range only
{
    return std::bit_cast<double>(static_cast<std::uint64_t>(exponent + 1023) << 52);
}

} // namespace

Rounded NearestDouble(const WideFraction& value)
{
    // The leading bit of the 320-bit integer; the value is that integer times 2^-256.
    int leading = 0;
    for (int limb = 0; limb < WideLimbs; ++limb)
        if (value.limbs[limb] != 0) {
            leading = (WideLimbs - 1 - limb) * 64 + 63 - std::countl_zero(value.limbs[limb]);
            break;
        }
    // 53 bits of significand, then 75 more to round by.
    const std::uint64_t first = BitsBelow(value, leading);
    const std::uint64_t second = BitsBelow(value, leading - 64);
    const std::uint64_t significand = first >> 11;
    const unsigned __int128 rest = (static_cast<unsigned __int128>(first & 0x7ff) << 64) | second;
    const unsigned __int128 half = static_cast<unsigned __int128>(1) << 74;

    // The error, in units of the last of those 128 bits (worth 2^(leading - 127 - 256)),
    // plus one for the bits below them.
    const int error_shift = leading - 127 - 256 + WideErrorBits;
    Rounded rounded;
    if (error_shift >= 74) {
        rounded.sure = false;
    } else {
        const unsigned __int128 error =
            (static_cast<unsigned __int128>(1) << (error_shift > 0 ? error_shift : 0)) + 1;
        const unsigned __int128 from_half = rest > half ? rest - half : half - rest;
        rounded.sure = from_half > error;
    }
    const bool up = rest > half || (rest == half && (significand & 1) != 0);
    const std::uint64_t nearest = significand + (up ? 1 : 0);
    rounded.value = static_cast<double>(nearest) * PowerOfTwo(leading - 52 - 256);
    return rounded;
}

} // namespace morvane::exact

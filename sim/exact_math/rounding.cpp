#include "sim/exact_math/rounding.h"

#include <bit>
#include <cstdint>

namespace morvane::exact {

namespace {

// Limb j of the 320-bit integer `value.limbs` counted from the least significant (zeros
// beyond either end).
std::uint64_t LimbFromBelow(const WideFraction& value, int j)
{
    return j >= 0 && j < WideLimbs ? value.limbs[WideLimbs - 1 - j] : 0;
}

} // namespace

int LeadingBit(const WideFraction& value)
{
    for (int limb = 0; limb < WideLimbs; ++limb)
        if (value.limbs[limb] != 0)
            return (WideLimbs - 1 - limb) * 64 + 63 - std::countl_zero(value.limbs[limb]);
    return -1;
}

std::uint64_t BitsBelow(const WideFraction& value, int top)
{
    const int low = top - 63;
    if (low < 0) return low > -64 ? BitsBelow(value, 63) << -low : 0;
    const int j = low / 64, offset = low % 64;
    if (offset == 0) return LimbFromBelow(value, j);
    return (LimbFromBelow(value, j) >> offset) | (LimbFromBelow(value, j + 1) << (64 - offset));
}

Rounded NearestDouble(const WideFraction& value)
{
    const int leading = LeadingBit(value);
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

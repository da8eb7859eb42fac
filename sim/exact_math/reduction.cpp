#include "sim/exact_math/reduction.h"

#include "sim/bit_cast.h"
#include "sim/exact_math/constants.h"

namespace morvane::exact {

namespace {

// The 64 bits of 2/pi from bit `first` on (bit 1 is the first after the binary point); the
// bits before bit 1 are zeros, as 2/pi < 1.
std::uint64_t TwoOverPiFrom(int first)
{
    const auto word = [](int index) -> std::uint64_t {
        return index >= 0 && index < 8 ? TwoOverPiBits[index] : 0;
    };
    const int from = first - 1; // counted from 0
    const int index = from >= 0 ? from / 64 : -((-from + 63) / 64);
    const int offset = from - index * 64;
    if (offset == 0) return word(index);
    return (word(index) << offset) | (word(index + 1) >> (64 - offset));
}

} // namespace

QuarterTurns ReduceByQuarterTurns(float x)
{
    // |x| = m 2^e with a whole m below 2^24; headings this far from zero are normal floats.
    const std::uint32_t bits = BitCast<std::uint32_t>(x) & 0x7fffffff;
    const std::uint64_t m = (bits & 0x7fffff) | 0x800000;
    const int e = static_cast<int>(bits >> 23) - 150;

    // |x| 2/pi = m sum b_j 2^(e - j). The bits b_j with e - j >= 2 add multiples of 4, which
    // leave the quadrant as it is, so the sum starts at j = e - 1: the 320 bits from there,
    // as a whole number W, give |x| 2/pi = m W 2^-318 (mod 4), short by less than 2^-294.
    const int first = e - 1;
    std::uint64_t window[5];
    for (int i = 0; i < 5; ++i)
        window[i] = TwoOverPiFrom(first + 64 * i);
    // m W mod 2^320: two bits of quadrant, then 318 of fraction.
    std::uint64_t product[5];
    unsigned __int128 carry = 0;
    for (int i = 4; i >= 0; --i) {
        const unsigned __int128 part = static_cast<unsigned __int128>(window[i]) * m + carry;
        product[i] = static_cast<std::uint64_t>(part);
        carry = part >> 64;
    }
    QuarterTurns turns;
    turns.quadrant = static_cast<int>(product[0] >> 62);
    WideFraction fraction; // the 256 bits after the quadrant's two
    for (int i = 0; i < 4; ++i)
        fraction.limbs[i + 1] = (product[i] << 2) | (product[i + 1] >> 62);

    // Nearest quarter turn: a fraction of a half or more belongs to the next one.
    if ((fraction.limbs[1] >> 63) != 0) {
        turns.quadrant = (turns.quadrant + 1) & 3;
        turns.negative = true;
        fraction = Subtract(WideWhole(1), fraction);
    }
    // r = fraction x pi/2, short by the fraction's 2^-256 and the product's 7 units.
    turns.size = Multiply(fraction, HalfPiWide);
    return turns;
}

} // namespace morvane::exact

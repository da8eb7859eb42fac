// A number from 0 to 2^64 in fixed point: a whole part and 256 bits of fraction, in plain
// unsigned integers. Its arithmetic is exact but for the truncation below the last bit, so it
// gives the same bits on every machine and compiler, and its error is easy to bound: the slow,
// sure way of the core's sine, cosine and arc tangent, and their reduction by multiples of pi/2.
#pragma once

#include <array>
#include <cstdint>

namespace morvane::exact {

struct WideFraction {
    // limbs[0] is the whole part; limbs[1..4] the fraction, most significant first.
    std::array<std::uint64_t, 5> limbs{};
};

inline constexpr int WideLimbs = 5;

constexpr WideFraction WideWhole(std::uint64_t whole) { return WideFraction{{whole, 0, 0, 0, 0}}; }

constexpr bool IsZero(const WideFraction& a)
{
    for (const std::uint64_t limb : a.limbs)
        if (limb != 0) return false;
    return true;
}

constexpr bool Less(const WideFraction& a, const WideFraction& b)
{
    for (int i = 0; i < WideLimbs; ++i)
        if (a.limbs[i] != b.limbs[i]) return a.limbs[i] < b.limbs[i];
    return false;
}

constexpr WideFraction Add(const WideFraction& a, const WideFraction& b)
{
    WideFraction sum;
    std::uint64_t carry = 0;
    for (int i = WideLimbs - 1; i >= 0; --i) {
        const std::uint64_t part = a.limbs[i] + carry;
        carry = part < carry ? 1 : 0;
        sum.limbs[i] = part + b.limbs[i];
        carry += sum.limbs[i] < part ? 1 : 0;
    }
    return sum;
}

// a - b, for a >= b.
constexpr WideFraction Subtract(const WideFraction& a, const WideFraction& b)
{
    WideFraction difference;
    std::uint64_t borrow = 0;
    for (int i = WideLimbs - 1; i >= 0; --i) {
        const std::uint64_t part = a.limbs[i] - borrow;
        borrow = a.limbs[i] < borrow ? 1 : 0;
        difference.limbs[i] = part - b.limbs[i];
        borrow += part < b.limbs[i] ? 1 : 0;
    }
    return difference;
}

// a * b truncated below the last bit, for a product below 2^64. Of the partial products only
// those wholly below the last bit are dropped, so the result falls short by less than 7 units
// of the last bit.
constexpr WideFraction Multiply(const WideFraction& a, const WideFraction& b)
{
    // Limb i is worth 2^(-64 i); the product of limbs i and j lands with its low half in column
    // i + j and its high half in column i + j - 1. A column sums at most 12 halves.
    unsigned __int128 column[WideLimbs] = {};
    for (int i = 0; i < WideLimbs; ++i)
        for (int j = 0; j < WideLimbs && i + j <= WideLimbs; ++j) {
            const unsigned __int128 product =
                static_cast<unsigned __int128>(a.limbs[i]) * b.limbs[j];
            if (i + j < WideLimbs) column[i + j] += static_cast<std::uint64_t>(product);
            if (i + j >= 1) column[i + j - 1] += static_cast<std::uint64_t>(product >> 64);
        }
    WideFraction result;
    unsigned __int128 carry = 0;
    for (int k = WideLimbs - 1; k >= 0; --k) {
        const unsigned __int128 total = column[k] + carry;
        result.limbs[k] = static_cast<std::uint64_t>(total);
        carry = total >> 64;
    }
    return result;
}

constexpr WideFraction MultiplySmall(const WideFraction& a, std::uint64_t n)
{
    WideFraction product;
    unsigned __int128 carry = 0;
    for (int i = WideLimbs - 1; i >= 0; --i) {
        const unsigned __int128 part = static_cast<unsigned __int128>(a.limbs[i]) * n + carry;
        product.limbs[i] = static_cast<std::uint64_t>(part);
        carry = part >> 64;
    }
    return product;
}

// a / n truncated, for n > 0.
constexpr WideFraction DivideSmall(const WideFraction& a, std::uint64_t n)
{
    WideFraction quotient;
    unsigned __int128 rest = 0;
    for (int i = 0; i < WideLimbs; ++i) {
        const unsigned __int128 part = (rest << 64) | a.limbs[i];
        quotient.limbs[i] = static_cast<std::uint64_t>(part / n);
        rest = part % n;
    }
    return quotient;
}

} // namespace morvane::exact

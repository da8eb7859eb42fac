#!/usr/bin/env python3
"""Prints the constants of sim/exact_math/constants.h: the bits of 2/pi that reduce a heading
by multiples of pi/2, pi/2 itself, and the arc tangents of k/128 for k = 0..128, from Python's
exact integers alone (pi by Machin's formula, each arc tangent by its series), so the table
depends on no other library. The test suite checks every constant against MPFR."""

BITS = 1024  # working precision, far beyond the 512 bits the widest constant keeps


def arctan_of_reciprocal(n, one):
    """arctan(1/n) * one, by the alternating series, truncated."""
    total, power, k, sign = 0, one // n, 1, 1
    while power:
        total += sign * (power // k)
        power //= n * n
        k += 2
        sign = -sign
    return total


def arctan_of_ratio(p, q, one):
    """arctan(p/q) * one for 0 <= p/q <= 1, by Euler's series
    arctan x = sum 2^(2n) (n!)^2 / (2n+1)! * x^(2n+1) / (1 + x^2)^(n+1)."""
    if p == 0:
        return 0
    # term_0 = x / (1 + x^2) = p q / (p^2 + q^2); each next term times (2n/(2n+1)) y, with
    # y = x^2 / (1 + x^2) = p^2 / (p^2 + q^2).
    den = p * p + q * q
    term = one * p * q // den
    total, n = 0, 0
    while term:
        total += term
        n += 1
        term = term * (2 * n) * p * p // ((2 * n + 1) * den)
    return total


def main():
    one = 1 << BITS
    pi = 4 * (4 * arctan_of_reciprocal(5, one) - arctan_of_reciprocal(239, one))

    two_over_pi = (2 * one * one) // pi  # 2/pi scaled by 2^BITS
    words = [(two_over_pi >> (BITS - 64 * (i + 1))) & (2**64 - 1) for i in range(8)]
    print("// The first 512 bits of 2/pi after the binary point, most significant first.")
    print("inline constexpr std::uint64_t TwoOverPiBits[8] = {")
    for i in range(0, 8, 2):
        print(f"    0x{words[i]:016x}, 0x{words[i + 1]:016x},")
    print("};")

    half_pi = pi // 2
    limbs = [half_pi >> BITS] + [(half_pi >> (BITS - 64 * (i + 1))) & (2**64 - 1)
                                 for i in range(4)]
    print("// pi/2 as a whole part and 256 bits of fraction, truncated.")
    print("inline constexpr WideFraction HalfPiWide{{" + ", ".join(f"0x{v:x}" for v in limbs) + "}};")

    def double_double(value):
        """value / one as the nearest double and the nearest double to what is left."""
        from fractions import Fraction
        exact = Fraction(value, one)
        high = float(exact)
        low = float(exact - Fraction(high))
        return high, low

    print("// arctan(k/128) for k = 0..128, each as the nearest double and the nearest double")
    print("// to the rest.")
    print("inline constexpr DoubleDouble ArcTangentOfStep[129] = {")
    for k in range(129):
        high, low = double_double(arctan_of_ratio(k, 128, one))
        print(f"    {{{high.hex()}, {low.hex()}}},")
    print("};")


if __name__ == "__main__":
    main()

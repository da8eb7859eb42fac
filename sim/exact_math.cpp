// Each function goes a quick way first, in double-double to about 2^-100, and the sure way, in
// 256-bit fixed point, only when the quick result lies too near the midpoint between two
// doubles to be rounded with certainty. A heading is first reduced by quarter turns, in plain
// integers. The world wants the arc tangent 40,000 times in a million ticks, the sine and
// cosine only where its own rough sine leaves a step in doubt, under a hundred times.
#include "sim/exact_math.h"

#include <cmath>
#include <cstdint>
#include <optional>

#include "sim/bit_cast.h"
#include "sim/exact_math/constants.h"
#include "sim/exact_math/double_double.h"
#include "sim/exact_math/reduction.h"
#include "sim/exact_math/rounding.h"
#include "sim/exact_math/sure_way.h"
#include "sim/exact_math/wide_fraction.h"

namespace morvane {

using exact::DoubleDouble;
using exact::WideFraction;

namespace {

// Below this size sin x rounds to x and cos x to 1: x^3/6 and x^2/2 are under half an ulp.
constexpr double TinyHeading = 0x1p-27;

// The series of sin r (odd) or cos r less 1 (even), r in [0, pi/4], as its positive and
// negative terms summed apart, so that nothing is ever subtracted from a smaller sum.
struct SeriesSums {
    WideFraction positive, negative;
};

SeriesSums SineSeries(const WideFraction& r, bool cosine)
{
    const WideFraction r2 = exact::Multiply(r, r);
    SeriesSums sums;
    // The first term: r for the sine; -r^2/2 for the cosine, whose 1 the caller adds.
    WideFraction term = cosine ? exact::DivideSmall(r2, 2) : r;
    std::uint64_t n = cosine ? 2 : 1; // the power of r in `term`
    bool negative = cosine;
    while (!exact::IsZero(term)) {
        (negative ? sums.negative : sums.positive) =
            exact::Add(negative ? sums.negative : sums.positive, term);
        term = exact::DivideSmall(exact::Multiply(term, r2), (n + 1) * (n + 2));
        n += 2;
        negative = !negative;
    }
    return sums;
}

// The quick ways' error is below 2^-100 of the result; a rounding is taken as sure when it
// holds for any number within 2^-95 of it.
constexpr double QuickError = 0x1p-95;

bool RoundsSurely(DoubleDouble result)
{
    const double error = QuickError * std::fabs(result.high);
    return result.high + (result.low + error) == result.high &&
           result.high + (result.low - error) == result.high;
}

// The Taylor coefficients of sin r / r and cos r in powers of r^2, (-1)^k / (2k+1)! and
// (-1)^k / (2k)!, as double-double, worked out by the compiler from 1/n! = (1/(n-1)!) / n.
struct TaylorCoefficients {
    DoubleDouble sine[14];   // to r^26 of sin r / r
    DoubleDouble cosine[15]; // to r^28 of cos r
};

constexpr TaylorCoefficients MakeTaylorCoefficients()
{
    TaylorCoefficients taylor{};
    DoubleDouble inverse_factorial{1, 0};
    taylor.sine[0] = taylor.cosine[0] = inverse_factorial;
    for (int n = 2; n <= 28; ++n) {
        inverse_factorial =
            exact::Divide(inverse_factorial, DoubleDouble{static_cast<double>(n), 0});
        const DoubleDouble term =
            (n / 2) % 2 != 0 ? exact::Negated(inverse_factorial) : inverse_factorial;
        if (n % 2 == 0)
            taylor.cosine[n / 2] = term;
        else
            taylor.sine[n / 2] = term;
    }
    return taylor;
}

constexpr TaylorCoefficients Taylor = MakeTaylorCoefficients();

// On |r| <= pi/4 the first terms left out, r^29/29! and r^30/30!, are below 2^-110.
DoubleDouble QuickSineOrCosineOfReduced(const WideFraction& r, bool cosine)
{
    // r's leading 106 bits as two doubles: the wide r is right to 2^-250, and even the
    // heading nearest a multiple of pi/2 is farther than 2^-40 from it.
    const int leading = exact::LeadingBit(r);
    if (leading < 256 - 100) return DoubleDouble{0, 1}; // never: sends it the sure way
    const std::uint64_t first = exact::BitsBelow(r, leading);
    const std::uint64_t second = exact::BitsBelow(r, leading - 64);
    const double high = static_cast<double>(first >> 11) * exact::PowerOfTwo(leading - 52 - 256);
    const double low = static_cast<double>(((first & 0x7ff) << 42) | (second >> 22)) *
                       exact::PowerOfTwo(leading - 105 - 256);
    const DoubleDouble angle = exact::QuickTwoSum(high, low);
    const DoubleDouble r2 = exact::Multiply(angle, angle);

    const DoubleDouble* coefficient = cosine ? Taylor.cosine : Taylor.sine;
    int k = cosine ? 14 : 13;
    DoubleDouble sum = coefficient[k];
    while (k-- > 0)
        sum = exact::Add(exact::Multiply(sum, r2), coefficient[k]);
    return cosine ? sum : exact::Multiply(sum, angle);
}

// With `quick` false it goes the sure way at once, as the tests of the sure way ask.
double SineOrCosine(float heading, bool cosine, bool quick)
{
    const double h = heading;
    if (!std::isfinite(h)) return h - h; // NaN for NaN and the infinities
    if (std::fabs(h) < TinyHeading) return cosine ? 1.0 : h;

    const exact::QuarterTurns turns = exact::ReduceByQuarterTurns(heading);
    // |h| = k pi/2 + r: sin |h| is sin r, cos r, -sin r, -cos r and cos |h| is cos r, -sin r,
    // -cos r, sin r for k = 0, 1, 2, 3 (mod 4); sin r takes the sign of r, cos r never does.
    const int shifted = (turns.quadrant + (cosine ? 1 : 0)) & 3;
    const bool take_cosine = (shifted & 1) != 0;
    bool negative = (shifted & 2) != 0;
    if (!take_cosine && turns.negative) negative = !negative;
    if (!cosine && h < 0) negative = !negative; // sin(-h) = -sin h

    if (quick) {
        const DoubleDouble result = QuickSineOrCosineOfReduced(turns.size, take_cosine);
        if (RoundsSurely(result)) return negative ? -result.high : result.high;
    }

    const SeriesSums sums = SineSeries(turns.size, take_cosine);
    const WideFraction size =
        take_cosine ? exact::Subtract(exact::Add(exact::WideWhole(1), sums.positive), sums.negative)
                    : exact::Subtract(sums.positive, sums.negative);
    const double rounded = exact::NearestDouble(size).value;
    return negative ? -rounded : rounded;
}

// The double nearest pi/2 and what is left of pi/2 beyond it.
constexpr DoubleDouble HalfPi{0x1.921fb54442d18p0, 0x1.1a62633145c07p-54};
constexpr DoubleDouble MinusThird{-0x1.5555555555555p-2, -0x1.5555555555555p-56};
constexpr DoubleDouble Fifth{0x1.999999999999ap-3, -0x1.999999999999ap-57};

// From 2^53 on, arctan x lies within 2^-53 of pi/2, which is 0.28 of an ulp above the double
// nearest it: every such x gives that double.
constexpr double HugeRatio = 0x1p53;

// arctan of t in [0, 1] to about 2^-103: t = c + (t - c) with c the nearest k/128, and
// arctan t = arctan c + arctan d, d = (t - c) / (1 + t c), |d| <= 2^-8, whose series
// d - d^3/3 + ... needs terms only to d^13 and double-double only for its first three.
DoubleDouble QuickArcTangentOfFraction(DoubleDouble t)
{
    const int k = static_cast<int>(t.high * 128 + 0.5);
    const double c = k / 128.0;
    const DoubleDouble d = exact::Divide(exact::Add(t, DoubleDouble{-c, 0}),
                                         exact::Add(DoubleDouble{1, 0}, exact::Multiply(t, c)));
    const DoubleDouble d2 = exact::Multiply(d, d);
    const double s = d2.high;
    const double rest = -1.0 / 7 + s * (1.0 / 9 + s * (-1.0 / 11 + s * (1.0 / 13)));
    const DoubleDouble a = exact::Add(
        MinusThird, exact::Add(exact::Multiply(d2, Fifth), DoubleDouble{s * s * rest, 0}));
    const DoubleDouble atan_d = exact::Add(d, exact::Multiply(d, exact::Multiply(d2, a)));
    return exact::Add(exact::ArcTangentOfStep[k], atan_d);
}

// 1/a for 1 < a < 2^53, to about 2^-104: the quotient and the remainder's share of it.
DoubleDouble Reciprocal(double a)
{
    const double q = 1 / a;
    const DoubleDouble qa = exact::TwoProduct(q, a);
    const double remainder = (1 - qa.high) - qa.low; // 1 - q a, exactly but for one rounding
    return exact::QuickTwoSum(q, q * remainder);
}

WideFraction WideOf(double a) // 0 <= a < 2^64, with no bits below 2^-256
{
    WideFraction wide;
    const std::uint64_t bits = BitCast<std::uint64_t>(a);
    const std::uint64_t significand =
        (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int exponent = static_cast<int>(bits >> 52) - 1075; // a = significand 2^exponent
    // Bit b of the 320-bit integer is worth 2^(b - 256).
    const int low_bit = exponent + 256;
    for (int i = 0; i < 53; ++i) {
        if (((significand >> i) & 1) == 0) continue;
        const int bit = low_bit + i;
        wide.limbs[exact::WideLimbs - 1 - bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
    return wide;
}

// 1/a for a wide a in [1, 2^53), by Newton's steps z (2 - a z) from the double 1/a: each
// doubles the bits that are right, 53 to 106, 212 and then all.
WideFraction WideReciprocal(const WideFraction& a, double near)
{
    WideFraction z = WideOf(1 / near);
    for (int step = 0; step < 3; ++step)
        z = exact::Multiply(z, exact::Subtract(exact::WideWhole(2), exact::Multiply(a, z)));
    return z;
}

// arctan a for 2^-27 < a < 2^53, the sure way: arctan of t = min(a, 1/a) by Euler's series
// sum (2n)!! / (2n+1)!! y^n t / (1 + t^2), y = t^2 / (1 + t^2) <= 1/2, then pi/2 less it
// for a > 1.
WideFraction WideArcTangent(double a)
{
    const bool beyond_one = a > 1;
    const WideFraction t = beyond_one ? WideReciprocal(WideOf(a), a) : WideOf(a);
    const WideFraction t2 = exact::Multiply(t, t);
    const WideFraction one_plus = exact::Add(exact::WideWhole(1), t2);
    const WideFraction over = WideReciprocal(one_plus, 1 + (beyond_one ? 1 / (a * a) : a * a));
    const WideFraction y = exact::Multiply(t2, over);
    WideFraction term = exact::Multiply(t, over), sum;
    for (std::uint64_t n = 1; !exact::IsZero(term); ++n) {
        sum = exact::Add(sum, term);
        term = exact::DivideSmall(exact::MultiplySmall(exact::Multiply(term, y), 2 * n), 2 * n + 1);
    }
    return beyond_one ? exact::Subtract(exact::HalfPiWide, sum) : sum;
}

// The edges both ways of the arc tangent share; nullopt for the arguments between them.
std::optional<double> ArcTangentAtTheEdges(double ratio)
{
    if (ratio != ratio) return ratio + ratio;
    const double a = std::fabs(ratio);
    if (a <= TinyHeading) return ratio; // arctan x = x - x^3/3 + ...: x^3/3 is under half an ulp
    if (a >= HugeRatio) return std::copysign(HalfPi.high, ratio);
    return std::nullopt;
}

} // namespace

double ExactSin(float heading) { return SineOrCosine(heading, false, true); }

double ExactCos(float heading) { return SineOrCosine(heading, true, true); }

namespace exact {

double SureSin(float heading) { return SineOrCosine(heading, false, false); }

double SureCos(float heading) { return SineOrCosine(heading, true, false); }

double SureAtan(double ratio)
{
    if (const auto edge = ArcTangentAtTheEdges(ratio)) return *edge;
    return std::copysign(NearestDouble(WideArcTangent(std::fabs(ratio))).value, ratio);
}

} // namespace exact

double ExactAtan(double ratio)
{
    if (const auto edge = ArcTangentAtTheEdges(ratio)) return *edge;
    const double a = std::fabs(ratio);
    const bool beyond_one = a > 1;
    DoubleDouble result =
        QuickArcTangentOfFraction(beyond_one ? Reciprocal(a) : DoubleDouble{a, 0});
    if (beyond_one) result = exact::Add(HalfPi, exact::Negated(result));
    if (RoundsSurely(result)) return std::copysign(result.high, ratio);
    return exact::SureAtan(ratio);
}

} // namespace morvane

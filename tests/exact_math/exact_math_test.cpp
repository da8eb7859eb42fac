// The core's sine, cosine and arc tangent are the doubles nearest the exact values: bit for bit
// MPFR's on every float of whole ranges, on random floats and doubles of every size, on the
// edges (zeros, subnormals, infinities, NaN) and on arguments whose result lies near the
// midpoint between two doubles, where a function that is merely accurate rounds the wrong way.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "sim/exact_math.h"
#include "sim/exact_math/constants.h"
#include "sim/exact_math/sure_way.h"
#include "tests/exact_math/mpfr_oracle.h"

namespace morvane {
namespace {

// Under the sanitizers every call costs ten times as much: they check one argument in 16.
#ifdef MORVANE_EXACT_MATH_SPARSE
constexpr std::uint32_t Sparse = 16;
#else
constexpr std::uint32_t Sparse = 1;
#endif

std::uint64_t Bits(double x) { return std::bit_cast<std::uint64_t>(x); }

// Counts the arguments checked and reports the first few that part from MPFR.
class Tally {
public:
    void Sine(float x)
    {
        Check("sin", x, ExactSin(x), oracle::Sin(x));
        Check("cos", x, ExactCos(x), oracle::Cos(x));
    }
    void ArcTangent(double x) { Check("atan", x, ExactAtan(x), oracle::Atan(x)); }
    ~Tally() { EXPECT_EQ(wrong_, 0) << "of " << checked_ << " results"; }

private:
    void Check(const char* name, double x, double ours, double exact)
    {
        ++checked_;
        // NaNs agree whatever their payload; everything else bit for bit, zeros' signs too.
        if (Bits(ours) == Bits(exact) || (std::isnan(ours) && std::isnan(exact))) return;
        if (++wrong_ <= 5)
            ADD_FAILURE() << name << "(" << std::hexfloat << x << ") = " << ours << ", not "
                          << exact;
    }
    long checked_ = 0, wrong_ = 0;
};

float FloatOf(std::uint32_t bits) { return std::bit_cast<float>(bits); }

TEST(ExactSineCosine, EveryFloatOfWholeRangesAgreesWithMpfr)
{
    Tally tally;
    // Every float in [1/2, 1), the first quarter of [2^20, 2^21) (negated), and the first
    // quarter of [2^-26, 2^-25), where x^3/6 sweeps through the halves of x's ulps.
    for (std::uint32_t bits = 0x3f000000; bits < 0x3f800000; bits += Sparse)
        tally.Sine(FloatOf(bits));
    for (std::uint32_t bits = 0x49800000; bits < 0x49a00000; bits += Sparse)
        tally.Sine(-FloatOf(bits));
    for (std::uint32_t bits = 0x32800000; bits < 0x32a00000; bits += Sparse)
        tally.Sine(FloatOf(bits));
}

TEST(ExactSineCosine, RandomFloatsOfEverySizeAndTheEdgesAgreeWithMpfr)
{
    Tally tally;
    std::mt19937 random(20261210);
    for (std::uint32_t i = 0; i < 3'000'000 / Sparse; ++i) {
        const float x = FloatOf(static_cast<std::uint32_t>(random()));
        if (std::isfinite(x)) tally.Sine(x);
    }
    const float largest = std::numeric_limits<float>::max();
    for (const float x :
         {0.0f, -0.0f, 1e-45f, -1e-45f, 1.17549435e-38f, 0x1p-27f, 0x1.fffffep-28f, 1.0f,
          1.5707964f, 3.1415927f, 6.2831855f, 1e5f, 1e10f, 1e20f, 1e30f, largest, -largest})
        tally.Sine(x);
    for (const float x :
         {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
          std::numeric_limits<float>::quiet_NaN()}) {
        EXPECT_TRUE(std::isnan(ExactSin(x)) && std::isnan(ExactCos(x))) << x;
    }
}

TEST(ExactArcTangent, RandomDoublesOfEverySizeAgreeWithMpfr)
{
    Tally tally;
    std::mt19937_64 random(20261210);
    std::uniform_real_distribution<double> modest(-4, 4);
    std::uniform_real_distribution<float> offset(-500, 500);
    for (std::uint32_t i = 0; i < 3'400'000 / Sparse; ++i) {
        tally.ArcTangent(std::bit_cast<double>(random())); // every exponent, NaNs too
        tally.ArcTangent(modest(random));
        // The ratios the world takes: one float offset over another.
        tally.ArcTangent(static_cast<double>(offset(random)) / offset(random));
    }
}

TEST(ExactArcTangent, TheEdgesAndArgumentsNearAMidpointAgreeWithMpfr)
{
    Tally tally;
    const double infinity = std::numeric_limits<double>::infinity();
    for (const double x : {0.0, -0.0, 4.9e-324, -4.9e-324, 2.2250738585072014e-308, 1e-300, 1.0,
                           -1.0, std::nextafter(1.0, 0.0), std::nextafter(1.0, 2.0), 1e300, -1e300,
                           std::numeric_limits<double>::max(), infinity, -infinity})
        tally.ArcTangent(x);
    EXPECT_TRUE(std::isnan(ExactAtan(std::numeric_limits<double>::quiet_NaN())));
    // Around the two edges the quick way hands over at: below 2^-27 arctan x rounds to x, from
    // 2^53 on to the double nearest pi/2; near them the next term is near half an ulp.
    for (const double edge : {0x1p-27, 0x1p-26, 0x1p52, 0x1p53}) {
        double x = edge;
        for (int i = 0; i < 20000; ++i) {
            tally.ArcTangent(x);
            tally.ArcTangent(-x);
            x = std::nextafter(x, 0.0);
        }
        x = edge;
        for (int i = 0; i < 20000; ++i, x = std::nextafter(x, infinity))
            tally.ArcTangent(x);
    }
    // Where the next term of the series sweeps through half an ulp the result passes a
    // midpoint, so slowly from one double to the next that some argument lands within a
    // hair of it: for small x where x^3/3 is (k + 1/2) ulps of x, for large x where
    // pi/2 - 1/x is a midpoint below the double nearest pi/2.
    std::vector<double> centres;
    for (const double ulp : {0x1p-79, 0x1p-78})
        for (const double k : {0.5, 1.5, 2.5, 3.5, 4.5})
            centres.push_back(std::cbrt(3 * k * ulp));
    const long double beyond = 6.123233995736766036e-17L; // pi/2 less the double nearest it
    for (const long double k : {0.5L, 1.5L, 2.5L})
        centres.push_back(static_cast<double>(1 / (beyond + k * 0x1p-52L)));
    for (const double centre : centres) {
        double x = centre;
        for (int i = 0; i < 5000; ++i, x = std::nextafter(x, 0.0))
            tally.ArcTangent(x);
        x = centre;
        for (int i = 0; i < 5000; ++i, x = std::nextafter(x, infinity))
            tally.ArcTangent(-x);
    }
}

// The sure way decides only the rare results the quick way leaves near a midpoint, so on its
// own it is held to MPFR on arguments of every size.
TEST(ExactMathSureWay, AgreesWithMpfrOnItsOwn)
{
    std::mt19937_64 random(99);
    long wrong = 0;
    for (std::uint32_t i = 0; i < 100'000 / Sparse; ++i) {
        const float x = FloatOf(static_cast<std::uint32_t>(random()));
        const double ratio = std::bit_cast<double>(random());
        if (std::isfinite(x)) {
            wrong += Bits(exact::SureSin(x)) != Bits(oracle::Sin(x));
            wrong += Bits(exact::SureCos(x)) != Bits(oracle::Cos(x));
        }
        if (!std::isnan(ratio)) wrong += Bits(exact::SureAtan(ratio)) != Bits(oracle::Atan(ratio));
        // Most random bit patterns lie beyond the edges; these do not.
        const double modest = std::ldexp(static_cast<double>(random() >> 11), -50) - 4;
        wrong += Bits(exact::SureAtan(modest)) != Bits(oracle::Atan(modest));
    }
    EXPECT_EQ(wrong, 0);
}

TEST(ExactMathConstants, AreThoseOfMpfrToTheLastBitKept)
{
    mpfr_t value, part;
    mpfr_inits2(1024, value, part, static_cast<mpfr_ptr>(nullptr));
    // 2/pi: 512 bits after the binary point.
    mpfr_const_pi(value, MPFR_RNDN);
    mpfr_ui_div(value, 2, value, MPFR_RNDN);
    for (int word = 0; word < 8; ++word) {
        mpfr_mul_2ui(value, value, 64, MPFR_RNDN);
        mpfr_floor(part, value);
        EXPECT_EQ(mpfr_get_uj(part, MPFR_RNDN), exact::TwoOverPiBits[word]) << "word " << word;
        mpfr_sub(value, value, part, MPFR_RNDN);
    }
    // pi/2: a whole part and 256 bits, truncated.
    mpfr_const_pi(value, MPFR_RNDN);
    mpfr_div_2ui(value, value, 1, MPFR_RNDN);
    for (int limb = 0; limb < exact::WideLimbs; ++limb) {
        mpfr_floor(part, value);
        EXPECT_EQ(mpfr_get_uj(part, MPFR_RNDN), exact::HalfPiWide.limbs[limb]) << "limb " << limb;
        mpfr_sub(value, value, part, MPFR_RNDN);
        mpfr_mul_2ui(value, value, 64, MPFR_RNDN);
    }
    // arctan(k/128): the nearest double, then the nearest double to the rest.
    for (int k = 0; k <= 128; ++k) {
        mpfr_set_ui(value, k, MPFR_RNDN);
        mpfr_div_ui(value, value, 128, MPFR_RNDN);
        mpfr_atan(value, value, MPFR_RNDN);
        const double high = mpfr_get_d(value, MPFR_RNDN);
        mpfr_sub_d(value, value, high, MPFR_RNDN);
        const double low = mpfr_get_d(value, MPFR_RNDN);
        EXPECT_EQ(Bits(exact::ArcTangentOfStep[k].high), Bits(high)) << k;
        EXPECT_EQ(Bits(exact::ArcTangentOfStep[k].low), Bits(low)) << k;
    }
    mpfr_clears(value, part, static_cast<mpfr_ptr>(nullptr));
}

} // namespace
} // namespace morvane

// The exact sine and cosine cost far more than the rest of a moving animal's visit, but a
// coordinate is only kept to single precision: a double within 1e-12 of the exact sum rounds
// to the same float unless the sum lies within a hair of the midpoint between two floats.
// Those few steps are taken with the exact functions, so the world is the same bit for bit.
#include "sim/kernels/step_along.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "sim/bit_cast.h"
#include "sim/exact_math.h"
#include "sim/kernels/hot_path.h"
#include "sim/kernels/select.h"

namespace morvane::kernels {

// Sure when the whole interval sum +- error lies strictly between the midpoints that separate
// the nearest float from its two neighbours.
bool RoundsSurely(double sum, double error, float& rounded)
{
    rounded = static_cast<float>(sum);
    const std::uint32_t bits = BitCast<std::uint32_t>(rounded);
    // The neighbours by magnitude; for a zero one of them is a NaN, which sends the step
    // the exact way, as it should (the midpoints of the smallest floats are too close).
    const double outer = BitCast<float>(bits + 1);
    const double inner = BitCast<float>(bits - 1);
    const double to_outer = (rounded + outer) / 2; // exact: two floats summed in double
    const double to_inner = (rounded + inner) / 2;
    const double low = std::min(to_outer, to_inner), high = std::max(to_outer, to_inner);
    return (sum - error > low) & (sum + error < high);
}

void RoughSineCosine(double h, double& sine, double& cosine)
{
    // Reduce by the nearest multiple k of pi/2, with pi/2 split in two so that k times the
    // leading part is exact for every |k| below 2^20.
    constexpr double TwoOverPi = 0.6366197723675814;
    constexpr double HalfPiHead = 1.5707963267341256;    // pi/2 with its low 33 bits cleared
    constexpr double HalfPiTail = 6.077100506506192e-11; // pi/2 - HalfPiHead
    constexpr double RoundingShift = 6755399441055744.0; // 1.5 * 2^52: adding it rounds
    const double k = (h * TwoOverPi + RoundingShift) - RoundingShift;
    const double r = (h - k * HalfPiHead) - k * HalfPiTail; // |r| <= pi/4, plus a hair
    const double r2 = r * r;

    // Taylor series to r^13 and r^14: on |r| <= pi/4 the first terms left out are below
    // 2e-14 and 1e-15. Evaluated in powers of r^2, r^4 and r^8 (Estrin's way) rather than
    // one term after the other, so the processor can work on several terms at once.
    const double r4 = r2 * r2, r8 = r4 * r4;
    const double s01 = -1.0 / 6 + r2 * (1.0 / 120), s23 = -1.0 / 5040 + r2 * (1.0 / 362880);
    const double s45 = -1.0 / 39916800 + r2 * (1.0 / 6227020800), s6 = -1.0 / 1307674368000;
    const double s_tail = (s01 + r4 * s23) + r8 * (s45 + r4 * s6);
    const double s = r + r * r2 * s_tail;
    const double c01 = -0.5 + r2 * (1.0 / 24), c23 = -1.0 / 720 + r2 * (1.0 / 40320);
    const double c45 = -1.0 / 3628800 + r2 * (1.0 / 479001600), c6 = -1.0 / 87178291200;
    const double c_tail = (c01 + r4 * c23) + r8 * (c45 + r4 * c6);
    const double c = 1 + r2 * c_tail;

    // Quadrant q of h: sin h is s, c, -s, -c and cos h is c, -s, -c, s for q = 0, 1, 2, 3.
    const auto q = static_cast<std::int64_t>(k) & 3;
    const bool odd = (q & 1) != 0;
    const double sine_part = Select(odd, c, s), cosine_part = Select(odd, s, c);
    sine = Select((q & 2) != 0, -sine_part, sine_part);
    cosine = Select(((q + 1) & 2) != 0, -cosine_part, cosine_part);
}

Position ExactStepAlong(float x, float y, float speed, float heading)
{
    return {static_cast<float>(speed * ExactSin(heading) + x),
            static_cast<float>(speed * ExactCos(heading) + y)};
}

// Flattened: calls to the helpers above would cost as much as their arithmetic.
[[gnu::flatten]] MORVANE_HOT_PATH Position MovingStepAlong(float x, float y, float speed,
                                                           float heading)
{
    const double h = heading;
    // Beyond these sizes the reduction or the margins below would not hold; an animal's
    // heading and place stay far inside them (the test also refuses NaN).
    const bool modest =
        std::fabs(h) < 1e5 && std::fabs(x) < 1e6 && std::fabs(y) < 1e6 && std::fabs(speed) < 1e6;
    if (modest) {
        double sine, cosine;
        RoughSineCosine(h, sine, cosine);
        const double sum_x = speed * sine + x;
        const double sum_y = speed * cosine + y;
        // The rough sine and cosine are within 1e-12 (the exact ones within half an ulp), and each
        // sum adds two roundings of numbers no larger than |speed| and the sum.
        const double off = 1e-12 * std::fabs(speed);
        const double error_x = off + 1e-15 * (std::fabs(speed) + std::fabs(sum_x));
        const double error_y = off + 1e-15 * (std::fabs(speed) + std::fabs(sum_y));
        Position moved;
        if (RoundsSurely(sum_x, error_x, moved.x) && RoundsSurely(sum_y, error_y, moved.y))
            return moved;
    }
    return ExactStepAlong(x, y, speed, heading);
}

} // namespace morvane::kernels

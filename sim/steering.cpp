// The exact arc tangent costs about as much as the rest of an animal's visit together, yet
// the turn only needs to know on which side of zero the folded bearing delta falls. A
// polynomial arc tangent settles that for all but the deltas within a hair of a fold or of
// zero; those few are measured exactly, so the world is the same bit for bit.
#include "sim/steering.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "sim/bit_select.h"
#include "sim/world.h"

namespace morvane {

double ExactBearingDelta(float dx, float dy, float heading)
{
    double bearing = HalfPi;
    if (dy != 0) bearing = std::atan(static_cast<double>(dx) / static_cast<double>(dy));
    if (dy < 0) bearing = bearing + Pi;
    double delta = bearing - static_cast<double>(heading);
    if (delta < -Pi) delta = delta + TwoPi;
    if (delta > Pi) delta = delta - TwoPi;
    return delta;
}

// Kept inline in the steering below: a call would cost as much as the arithmetic.
inline double ArcTangentOfRatio(double num, double den)
{
    // Abramowitz and Stegun 4.4.47 on w = min / max of the two sizes, which lies in [0, 1],
    // and arctan(1 / w) = pi/2 - arctan(w) when |num| is the larger. One division and a short
    // polynomial evaluated in two independent halves: the exact value is not wanted here.
    const double an = std::fabs(num), ad = std::fabs(den);
    const bool beyond = an > ad;
    const double w = std::min(an, ad) / std::max(an, ad);
    const double t = w * w;
    const double low = 0.9998660 - 0.3302995 * t;
    const double high = (0.1801410 - 0.0851330 * t) + 0.0208351 * (t * t);
    const double near = w * (low + t * t * high);
    const double size = Select(beyond, HalfPi - near, near);
    const bool negative = std::signbit(num) != std::signbit(den);
    return Select(negative, -size, size);
}

double RoughArcTangent(double num, double den) { return ArcTangentOfRatio(num, den); }

int SteeringSign(float dx, float dy, float heading)
{
    // Straight to either side the bearing is pi/2 without any arc tangent. A NaN height (only
    // a release can bring one in) would vanish in the minimum and maximum below, where the
    // exact arc tangent keeps it and steers neither way; both go the exact way.
    if (dy == 0 || std::isnan(dy)) return SignOf(ExactBearingDelta(dx, dy, heading));

    const double bearing = ArcTangentOfRatio(dx, dy) + Select(dy < 0, Pi, 0.0);
    const double delta = bearing - static_cast<double>(heading);

    // The folds add 2 pi below -pi and subtract it above pi, once each, so the folded sign
    // is the sign of the delta, flipped between pi and 2 pi either way.
    const double size = std::fabs(delta);
    const bool flip = (size > Pi) & (size < TwoPi);
    const int sign = ((delta > 0) != flip) * 2 - 1;

    // The rough delta is off by the arc tangent's error plus a few roundings of numbers no
    // larger than a million; within 1e-4 of 0, pi or 2 pi the sign is measured exactly.
    // |size - pi| is near pi exactly when size is near 0 or 2 pi. The comparisons are
    // written so that a NaN also takes the exact way.
    constexpr double Margin = 1e-4;
    const double from_pi = std::fabs(size - Pi);
    const bool clear = (from_pi > Margin) & (std::fabs(from_pi - Pi) > Margin) & (size < 1e6);
    if (!clear) return SignOf(ExactBearingDelta(dx, dy, heading));
    return sign;
}

} // namespace morvane

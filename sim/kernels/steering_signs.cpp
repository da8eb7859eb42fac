// The exact arc tangent costs about as much as the rest of an animal's visit together, yet
// the turn only needs to know on which side of zero the folded bearing delta falls. A
// polynomial arc tangent settles that for all but the deltas within a hair of a fold or of
// zero; those few are measured exactly, so the world is the same bit for bit.
//
// The rough way takes two sightings at a time, in the two lanes of a register.
#include "sim/kernels/steering_signs.h"

#include <cmath>

#include "sim/exact_math.h"
#include "sim/kernels/hot_path.h"
#include "sim/kernels/lanes.h"
#include "sim/kernels/select.h"
#include "sim/world.h"

namespace morvane::kernels {

namespace {

constexpr long long SignBit = static_cast<long long>(0x8000000000000000ull);

Doubles Abs(Doubles v) { return (Doubles)((Masks)v & ~SignBit); }

// Abramowitz and Stegun 4.4.47 on w = min / max of the two sizes, which lies in [0, 1],
// and arctan(1 / w) = pi/2 - arctan(w) when |num| is the larger. One division and a short
// polynomial evaluated in two independent halves: the exact value is not wanted here.
Doubles ArcTangentOfRatio(Doubles num, Doubles den)
{
    const Doubles an = Abs(num), ad = Abs(den);
    const Masks beyond = (Masks)(an > ad);
    const Doubles w = Select(beyond, ad, an) / Select(beyond, an, ad);
    const Doubles t = w * w;
    const Doubles low = 0.9998660 - 0.3302995 * t;
    const Doubles high = (0.1801410 - 0.0851330 * t) + 0.0208351 * (t * t);
    const Doubles near = w * (low + t * t * high);
    const Doubles size = Select(beyond, HalfPi - near, near);
    // The size takes the sign bit of num / den: set where the signs of num and den differ.
    return (Doubles)((Masks)size ^ (((Masks)num ^ (Masks)den) & SignBit));
}

// The sign of the folded bearing delta in each lane, +1 or -1, or 0 where the rough delta
// cannot be trusted with it.
Masks RoughSigns(Doubles dx, Doubles dy, Doubles heading)
{
    const Doubles bearing = ArcTangentOfRatio(dx, dy) + Select((Masks)(dy < 0), Both(Pi), Both(0));
    const Doubles delta = bearing - heading;

    // The folds add 2 pi below -pi and subtract it above pi, once each, so the folded sign
    // is the sign of the delta, flipped between pi and 2 pi either way.
    const Doubles size = Abs(delta);
    const Masks flip = (Masks)(size > Pi) & (Masks)(size < TwoPi);
    const Masks positive = (Masks)(delta > 0) ^ flip;

    // The rough delta is off by the arc tangent's error plus a few roundings of numbers no
    // larger than a million; within 1e-4 of 0, pi or 2 pi the sign is measured exactly.
    // |size - pi| is near pi exactly when size is near 0 or 2 pi. The comparisons are
    // written so that a NaN fails them. Straight to either side (dy = 0) the bearing is pi/2
    // without any arc tangent, and a NaN height (only a release can bring one in) would
    // vanish in the minimum and maximum above where the exact arc tangent keeps it; both
    // are measured exactly too.
    constexpr double Margin = 1e-4;
    const Doubles from_pi = Abs(size - Pi);
    const Masks clear = (Masks)(from_pi > Margin) & (Masks)(Abs(from_pi - Pi) > Margin) &
                        (Masks)(size < 1e6) & (Masks)(dy != 0) & (Masks)(dy == dy);
    return ((positive & 2) - 1) & clear; // all ones & 2 - 1 is +1, none & 2 - 1 is -1
}

} // namespace

double BearingDelta(float dx, float dy, float heading)
{
    double bearing = HalfPi;
    if (dy != 0) bearing = ExactAtan(static_cast<double>(dx) / static_cast<double>(dy));
    if (dy < 0) bearing = bearing + Pi;
    double delta = bearing - static_cast<double>(heading);
    if (delta < -Pi) delta = delta + TwoPi;
    if (delta > Pi) delta = delta - TwoPi;
    return delta;
}

double RoughArcTangent(double num, double den)
{
    return ArcTangentOfRatio(Both(num), Both(den))[0];
}

// Flattened: a call to the rough signs for each pair would cost as much as their arithmetic.
[[gnu::flatten]] MORVANE_HOT_PATH void SteeringSigns(std::span<const float> dx,
                                                     std::span<const float> dy,
                                                     std::span<const float> heading,
                                                     std::span<std::int32_t> sign)
{
    const std::size_t n = sign.size();
    Masks unsure{0, 0}; // all ones in a lane where some sighting needs the exact way
    std::size_t i = 0;
    for (; i + 1 < n; i += 2) {
        const Masks rough = RoughSigns(Doubles{dx[i], dx[i + 1]}, Doubles{dy[i], dy[i + 1]},
                                       Doubles{heading[i], heading[i + 1]});
        sign[i] = static_cast<std::int32_t>(rough[0]);
        sign[i + 1] = static_cast<std::int32_t>(rough[1]);
        unsure |= (Masks)(rough == 0);
    }
    if (i < n) { // an odd last sighting fills both lanes
        const Masks rough = RoughSigns(Both(dx[i]), Both(dy[i]), Both(heading[i]));
        sign[i] = static_cast<std::int32_t>(rough[0]);
        unsure |= (Masks)(rough == 0);
    }
    if ((unsure[0] | unsure[1]) == 0) return;
    for (i = 0; i < n; ++i)
        if (sign[i] == 0) sign[i] = SignOf(BearingDelta(dx[i], dy[i], heading[i]));
}

} // namespace morvane::kernels

// Which way an animal turns towards its target: only the sign of the bearing delta steers,
// so it is decided from a cheap arc tangent whenever that cannot be wrong.
#pragma once

#include <cstdint>
#include <span>

namespace morvane::kernels {

// The sign (-1, 0 or +1) of the bearing delta to a target lying (dx[i], dy[i]) world pixels
// away (differences already rounded to single precision) from an animal heading `heading[i]`
// radians, into sign[i]: always exactly SignOf(BearingDelta(...)), folds included, for a
// fraction of its cost. dx, dy and heading hold at least as many as sign.
void SteeringSigns(std::span<const float> dx, std::span<const float> dy,
                   std::span<const float> heading, std::span<std::int32_t> sign);

// The sign of a bearing delta: -1 below 0, +1 above, 0 for either zero (and for NaN, which
// steers neither way).
inline int SignOf(double bearing_delta) { return (bearing_delta > 0) - (bearing_delta < 0); }

// The plain way: the signed angle in radians by which the heading misses a target lying
// (dx, dy) away, from the library's arc tangent. Straight below is a bearing of 0, straight
// above pi, straight to either side pi/2; the delta is folded towards [-pi, pi] at most once
// each way, so a heading far from [0, 2pi) can leave it outside.
double BearingDelta(float dx, float dy, float heading);

// arctan(num / den) for den != 0 within 2e-5 radians (the error stays below 1.2e-5), NaN
// when both are infinite. Exposed for its test.
double RoughArcTangent(double num, double den);

} // namespace morvane::kernels

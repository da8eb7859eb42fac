// An animal's step along its heading: speed x sine and cosine added to its position, each
// coordinate rounded to single precision. The plain step takes the library's sine and cosine;
// the fast one a cheap sine and cosine whenever that cannot change the rounded result.
#pragma once

#include <cmath>

namespace morvane::kernels {

struct Position {
    float x;
    float y;
};

// The fast step of an animal on the move (any speed but a zero): exactly ExactStepAlong.
Position MovingStepAlong(float x, float y, float speed, float heading);

// (speed * sin(heading) + x, speed * cos(heading) + y), each sum taken in double and rounded
// to single precision: exactly ExactStepAlong, the library's way. A stopped animal (most of
// the table in a settled world, all of it in an empty one) adds a zero of either sign to each
// coordinate, which leaves any coordinate but -0 as it is (-0 + +0 is +0), so its sine and
// cosine need not be taken at all.
inline Position StepAlong(float x, float y, float speed, float heading)
{
    const bool negative_zero = (x == 0 && std::signbit(x)) || (y == 0 && std::signbit(y));
    if (speed == 0 && !negative_zero) return {x, y};
    return MovingStepAlong(x, y, speed, heading);
}

// The plain step: the library's sine and cosine throughout.
Position ExactStepAlong(float x, float y, float speed, float heading);

// Whether `sum`, known to within `error` of an exact sum, is sure to round to the same float
// as the exact sum (|sum| below 1e30); that float goes to `rounded`. Never sure at a midpoint,
// where the tie would be decided by the exact sum. Exposed, like the next, for its test.
bool RoundsSurely(double sum, double error, float& rounded);

// sin(h) and cos(h) for |h| below 1e5 radians, each within 1e-12 (the error stays near
// 1e-15).
void RoughSineCosine(double h, double& sine, double& cosine);

} // namespace morvane::kernels

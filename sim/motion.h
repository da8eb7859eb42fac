// An animal's step along its heading: speed x sine and cosine added to its position, each
// coordinate rounded to single precision, from a cheap sine and cosine whenever that cannot
// change the rounded result.
#pragma once

namespace morvane {

struct Position {
    float x;
    float y;
};

// (speed * sin(heading) + x, speed * cos(heading) + y), each sum taken in double and rounded
// to single precision: exactly what the double-precision sine and cosine give.
Position StepAlong(float x, float y, float speed, float heading);

// The same step computed with the library's sine and cosine throughout.
Position ExactStepAlong(float x, float y, float speed, float heading);

// Whether `sum`, known to within `error` of an exact sum, is sure to round to the same float
// as the exact sum (|sum| below 1e30); that float goes to `rounded`. Never sure at a midpoint,
// where the tie would be decided by the exact sum. Exposed, like the next, for its test.
bool RoundsSurely(double sum, double error, float& rounded);

// sin(h) and cos(h) for |h| below 1e5 radians, each within 1e-12 (the error stays near
// 1e-15).
void RoughSineCosine(double h, double& sine, double& cosine);

} // namespace morvane

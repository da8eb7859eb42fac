// A heading less a whole number of quarter turns: |x| = k pi/2 + r with |r| <= pi/4, from the
// bits of 2/pi (Payne and Hanek's reduction), in integers, so r is right to 250 bits even for
// the largest float, whose multiples of pi/2 lie 2^104 quarter turns away.
#pragma once

#include <cstdint>

#include "sim/exact_math/wide_fraction.h"

namespace morvane::exact {

struct QuarterTurns {
    int quadrant = 0;      // k mod 4
    bool negative = false; // whether r < 0
    WideFraction size;     // |r|, within 2^-250
};

// For finite |x| >= 2^-30 (a float widened to double).
QuarterTurns ReduceByQuarterTurns(float x);

} // namespace morvane::exact

// The world's sine, cosine and arc tangent: each the double nearest the exact value (ties to
// even, though no such value is ever a tie), computed by the core itself from IEEE double
// arithmetic and plain integers. A C library's functions round as that library pleases, and
// libraries differ on a few results in a thousand; these give the same bits on every machine,
// compiler and C library, so the same releases give the same world everywhere.
#pragma once

namespace morvane {

// Sine and cosine are only ever taken of a heading, a float (widened to double on the way):
// correct for every finite float, however large. A NaN or an infinity gives a NaN.
double ExactSin(float heading);
double ExactCos(float heading);

// The arc tangent of any double, from -pi/2 to pi/2; a NaN gives a NaN.
double ExactAtan(double ratio);

} // namespace morvane

// The correctly rounded sine, cosine and arc tangent by MPFR, the yardstick for the core's own.
#pragma once

namespace morvane::oracle {

double Sin(double x);
double Cos(double x);
double Atan(double x);

} // namespace morvane::oracle

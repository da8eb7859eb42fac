// The sure way of the core's sine, cosine and arc tangent alone, in 256-bit fixed point: what
// the quick way hands over to near a midpoint, offered by itself so that tests can hold it to
// the correctly rounded value on arguments the quick way would never hand over.
#pragma once

namespace morvane::exact {

double SureSin(float heading);
double SureCos(float heading);
double SureAtan(double ratio);

} // namespace morvane::exact

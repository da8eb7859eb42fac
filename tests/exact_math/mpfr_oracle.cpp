#include "tests/exact_math/mpfr_oracle.h"

#include <mpfr.h>

namespace morvane::oracle {

namespace {

// MPFR rounds to 53 bits correctly; subnormalising then mimics a double's gradual underflow.
template <typename Function> double Rounded(Function function, double x)
{
    mpfr_t value;
    mpfr_init2(value, 53);
    mpfr_set_d(value, x, MPFR_RNDN);
    const int inexact = function(value, value, MPFR_RNDN);
    mpfr_subnormalize(value, inexact, MPFR_RNDN);
    const double result = mpfr_get_d(value, MPFR_RNDN);
    mpfr_clear(value);
    return result;
}

} // namespace

double Sin(double x) { return Rounded(mpfr_sin, x); }
double Cos(double x) { return Rounded(mpfr_cos, x); }
double Atan(double x) { return Rounded(mpfr_atan, x); }

} // namespace morvane::oracle

// A C library's trigonometry, wrong on purpose: each function gives the true result plus 1e-7.
// Preloaded under morvane-lab, it shows whether the world depends on the C library. Built with
// -fno-builtin, or the compiler would turn the true sine and cosine below into one call of
// sincos, which is this file's own; and without <cmath>, whose declarations these replace.
#include <dlfcn.h>

namespace {

using Unary = double(double);
using Binary = double(double, double);

double NextUnary(const char* name, double x)
{
    auto* real = reinterpret_cast<Unary*>(dlsym(RTLD_NEXT, name));
    return real(x) + 1e-7;
}

} // namespace

// These stand in for the C library's own, so they bear its names.
// NOLINTBEGIN(readability-identifier-naming)
extern "C" {

double sin(double x) { return NextUnary("sin", x); }
double cos(double x) { return NextUnary("cos", x); }
double atan(double x) { return NextUnary("atan", x); }

double atan2(double y, double x)
{
    auto* real = reinterpret_cast<Binary*>(dlsym(RTLD_NEXT, "atan2"));
    return real(y, x) + 1e-7;
}

void sincos(double x, double* s, double* c)
{
    *s = sin(x);
    *c = cos(x);
}
}
// NOLINTEND(readability-identifier-naming)

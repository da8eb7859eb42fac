// Checks the core's sine and cosine against MPFR on every one of the 2^32 float patterns, on
// as many threads as asked, and prints the count checked, the mismatches and the time. Hours
// on two cores: a tool, run by hand.
//   morvane_every_float [THREADS [FIRST [LAST]]]     FIRST, LAST: patterns of the sign bit 0
// MPFR works out sin x and cos x for each pattern x with the sign bit clear; the pattern with
// the sign bit set, -x, is held to -sin x and cos x, which are MPFR's values for -x exactly,
// as rounding to nearest is symmetric about zero. The infinities and NaNs must give a NaN.
#include <mpfr.h>

#include <atomic>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "sim/exact_math.h"

namespace {

std::uint64_t Bits(double x) { return std::bit_cast<std::uint64_t>(x); }

struct Count {
    std::uint64_t checked = 0, wrong = 0;
};

void Report(const char* name, float x, double ours, double exact, Count& count)
{
    ++count.checked;
    if (Bits(ours) == Bits(exact) || (std::isnan(ours) && std::isnan(exact))) return;
    ++count.wrong;
    std::printf("%s(%a) = %a, not %a\n", name, static_cast<double>(x), ours, exact);
}

Count CheckPatterns(std::uint64_t first, std::uint64_t last, unsigned step)
{
    Count count;
    mpfr_t x, sine, cosine;
    mpfr_inits2(53, x, sine, cosine, static_cast<mpfr_ptr>(nullptr));
    for (std::uint64_t p = first; p <= last; p += step) {
        const float positive = std::bit_cast<float>(static_cast<std::uint32_t>(p));
        double exact_sine = NAN, exact_cosine = NAN;
        if (std::isfinite(positive)) {
            mpfr_set_d(x, positive, MPFR_RNDN);
            // Even the smallest float, 2^-149, lies far above the doubles' subnormals, so the
            // 53-bit results need no second rounding.
            mpfr_sin_cos(sine, cosine, x, MPFR_RNDN);
            exact_sine = mpfr_get_d(sine, MPFR_RNDN);
            exact_cosine = mpfr_get_d(cosine, MPFR_RNDN);
        }
        Report("sin", positive, morvane::ExactSin(positive), exact_sine, count);
        Report("cos", positive, morvane::ExactCos(positive), exact_cosine, count);
        Report("sin", -positive, morvane::ExactSin(-positive), -exact_sine, count);
        Report("cos", -positive, morvane::ExactCos(-positive), exact_cosine, count);
    }
    mpfr_clears(x, sine, cosine, static_cast<mpfr_ptr>(nullptr));
    return count;
}

} // namespace

int main(int argc, char** argv)
{
    const unsigned threads = argc > 1 ? static_cast<unsigned>(std::atoi(argv[1])) : 2;
    const std::uint64_t first = argc > 2 ? std::strtoull(argv[2], nullptr, 0) : 0;
    const std::uint64_t last = argc > 3 ? std::strtoull(argv[3], nullptr, 0) : 0x7fffffff;
    if (threads == 0 || last > 0x7fffffff || first > last) {
        std::fprintf(stderr, "usage: morvane_every_float [THREADS [FIRST [LAST]]], with 0 <= "
                             "FIRST <= LAST <= 0x7fffffff\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    std::vector<Count> counts(threads);
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < threads; ++t)
        workers.emplace_back([&, t] { counts[t] = CheckPatterns(first + t, last, threads); });
    for (auto& worker : workers)
        worker.join();
    Count total;
    for (const Count& count : counts)
        total.checked += count.checked, total.wrong += count.wrong;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%llu results checked (sine and cosine of the patterns %#llx to %#llx and of "
                "their negatives), %llu mismatches, %.0f s on %u threads\n",
                static_cast<unsigned long long>(total.checked),
                static_cast<unsigned long long>(first), static_cast<unsigned long long>(last),
                static_cast<unsigned long long>(total.wrong), seconds, threads);
    return total.wrong == 0 ? 0 : 1;
}

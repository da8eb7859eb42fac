// Checks the core's sine and cosine against MPFR on every one of the 2^32 float patterns (the
// NaNs and infinities too, which must give a NaN), on as many threads as asked, and prints the
// count checked, the mismatches and the time. Hours on two cores: a tool, run by hand.
//   morvane_every_float [THREADS [FIRST_PATTERN [LAST_PATTERN]]]
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
#include "tests/exact_math/mpfr_oracle.h"

namespace {

bool Same(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) ||
           (std::isnan(a) && std::isnan(b));
}

} // namespace

int main(int argc, char** argv)
{
    const unsigned threads = argc > 1 ? static_cast<unsigned>(std::atoi(argv[1])) : 2;
    const std::uint64_t first = argc > 2 ? std::strtoull(argv[2], nullptr, 0) : 0;
    const std::uint64_t last = argc > 3 ? std::strtoull(argv[3], nullptr, 0) : 0xffffffff;
    std::atomic<std::uint64_t> checked{0}, wrong{0};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            std::uint64_t mine = 0, bad = 0;
            for (std::uint64_t p = first + t; p <= last; p += threads) {
                const float x = std::bit_cast<float>(static_cast<std::uint32_t>(p));
                const double h = x;
                const bool finite = std::isfinite(h);
                for (const bool cosine : {false, true}) {
                    const double ours = cosine ? morvane::ExactCos(x) : morvane::ExactSin(x);
                    const double exact =
                        finite ? (cosine ? morvane::oracle::Cos(h) : morvane::oracle::Sin(h)) : NAN;
                    if (!Same(ours, exact)) {
                        ++bad;
                        std::printf("%s(%a) = %a, not %a\n", cosine ? "cos" : "sin", h, ours,
                                    exact);
                    }
                }
                mine += 2;
            }
            checked += mine;
            wrong += bad;
        });
    for (auto& worker : workers)
        worker.join();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%llu results checked (patterns %#llx to %#llx), %llu mismatches, %.0f s on %u "
                "threads\n",
                static_cast<unsigned long long>(checked.load()),
                static_cast<unsigned long long>(first), static_cast<unsigned long long>(last),
                static_cast<unsigned long long>(wrong.load()), seconds, threads);
    return wrong == 0 ? 0 : 1;
}

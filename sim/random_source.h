// The world's one source of chance: PCG32 (XSH-RR, 64-bit state, 32-bit output).
// Written out here rather than taken from <random> so that every standard library,
// build type and machine produces the same sequence of draws.
#pragma once

#include <cstdint>

namespace morvane {

class RandomSource {
public:
    // The program's fixed starting point; a run from it is repeatable event for event.
    static constexpr std::uint64_t DefaultInitState = 42;
    static constexpr std::uint64_t DefaultSequence = 54;

    RandomSource() : RandomSource(DefaultInitState, DefaultSequence) {}

    // Seeds as the minimal PCG library's pcg32_srandom_r(initstate, initseq) does.
    RandomSource(std::uint64_t init_state, std::uint64_t sequence)
    {
        increment_ = (sequence << 1u) | 1u;
        Step();
        state_ += init_state;
        Step();
    }

    // A seed chosen by a user: init state S on the program's usual sequence.
    static RandomSource FromSeed(std::uint64_t seed) { return RandomSource(seed, DefaultSequence); }

    // The next raw 32-bit output.
    std::uint32_t NextBits()
    {
        const std::uint64_t old = state_;
        Step();
        return Output(old);
    }

    // One draw: a float uniformly spread over [0, 1) on a grid of 2^-24, so it is exact in
    // single precision and any product with a table size below 2^29 is exact in double.
    float Uniform() { return static_cast<float>(NextBits() >> 8u) * 0x1p-24f; }

    // A draw from 0..n-1: floor(Uniform() * n) in double precision. Uniform() is m / 2^24 for
    // the 24-bit integer m, and m * n (below 2^33 for every table size) is exact in double, so
    // the floor is exactly the integer (m * n) >> 24, which needs no floating point at all.
    int Below(int n)
    {
        return static_cast<int>(
            (static_cast<std::uint64_t>(NextBits() >> 8u) * static_cast<std::uint64_t>(n)) >> 24u);
    }

    // The whole state, so a world can be kept and continued exactly: the 64-bit state and the
    // stream's increment (always odd).
    std::uint64_t State() const { return state_; }
    std::uint64_t Increment() const { return increment_; }
    static RandomSource FromState(std::uint64_t state, std::uint64_t increment)
    {
        RandomSource source;
        source.state_ = state;
        source.increment_ = increment;
        return source;
    }

    bool operator==(const RandomSource&) const = default;

private:
    static std::uint32_t Output(std::uint64_t old)
    {
        const auto xorshifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
        const auto rot = static_cast<std::uint32_t>(old >> 59u);
        return (xorshifted >> rot) | (xorshifted << ((-rot) & 31u));
    }

    void Step() { state_ = state_ * 6364136223846793005ULL + increment_; }

    std::uint64_t state_ = 0;
    std::uint64_t increment_ = 0;
};

} // namespace morvane

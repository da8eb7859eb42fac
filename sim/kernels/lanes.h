// Two doubles worked on at once: every x86-64 processor holds two in one register, and so does
// WebAssembly's 128-bit SIMD. The vector types are the compiler's own (GCC and Clang alike),
// which maps them onto whatever the machine has; each lane's arithmetic is the same rounded
// double arithmetic as one number's.
#pragma once

namespace morvane::kernels {

using Doubles = double __attribute__((vector_size(16)));
using Masks = long long __attribute__((vector_size(16))); // a lane is all ones where true

inline Doubles Both(double v) { return Doubles{v, v}; }

// Bit 0 set where lane 0 is true, bit 1 where lane 1 is.
inline unsigned LaneBits(Masks m)
{
#if defined(__SSE2__)
    return static_cast<unsigned>(__builtin_ia32_movmskpd((Doubles)m));
#elif defined(__wasm_simd128__)
    return static_cast<unsigned>(__builtin_wasm_bitmask_i64x2(m));
#else
    return static_cast<unsigned>((m[0] & 1) | (m[1] & 2));
#endif
}

} // namespace morvane::kernels

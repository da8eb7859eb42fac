// The few functions a tick spends most of its time in are compiled twice: once for any
// x86-64, once for processors with AVX2, BMI2 and FMA (x86-64-v3), and the loader picks one
// when the program starts. Fused multiply-adds stay off in both (-ffp-contract=off), and
// every other instruction these processors add rounds exactly as the old ones, so only the
// speed differs, never a value. Builds configured with MORVANE_CLONE_HOT_PATHS=OFF keep the
// one version for any x86-64; the sanitizer build is one, so that version is tested too.
#pragma once

#if defined(MORVANE_CLONE_HOT_PATHS) && defined(__x86_64__) && defined(__GNUC__) &&                \
    !defined(__clang__)
#define MORVANE_HOT_PATH [[gnu::target_clones("arch=x86-64-v3", "default")]]
#else
#define MORVANE_HOT_PATH
#endif

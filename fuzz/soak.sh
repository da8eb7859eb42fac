#!/usr/bin/env bash
# The soak runs (not part of CI, they take about twenty minutes): the world for 20 million
# ticks in the Release build, then for one million under AddressSanitizer and
# UndefinedBehaviorSanitizer, every rule of checks/world_checks.h checked after every tick and
# release, with clicks now and then and crowds that fill both tables; each run fails when its
# peak memory grows. `./dev.sh soak` builds both binaries and runs this.
#
# usage: fuzz/soak.sh RELEASE_SOAK SANITIZED_SOAK [TICKS [SANITIZED_TICKS]]
# Run it niced (nice -n 10) on a machine that has other work to do.
set -euo pipefail

[ $# -ge 2 ] || { echo "usage: $0 RELEASE_SOAK SANITIZED_SOAK [TICKS [SANITIZED_TICKS]]" >&2; exit 2; }
release=$1
sanitized=$2
ticks=${3:-20000000}
sanitized_ticks=${4:-1000000}

echo "== soak: $ticks ticks, Release build"
"$release" --ticks "$ticks" --report-every 1000000
echo "== soak: $sanitized_ticks ticks under AddressSanitizer and UndefinedBehaviorSanitizer"
"$sanitized" --ticks "$sanitized_ticks" --report-every 100000
echo "== soak runs passed"

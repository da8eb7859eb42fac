#!/usr/bin/env bash
# Runs each fuzz target for a bounded time, starting from the committed seed corpus.
#
# usage: fuzz/run_fuzzers.sh BUILD_DIR SECONDS [TARGET...]
# BUILD_DIR is a build with -DMORVANE_BUILD_FUZZ=ON (dev.sh makes build/fuzz); TARGET is world,
# events, checkpoint or samples, all four when none is named. The corpus is copied to
# BUILD_DIR/fuzz-run first, so the inputs a run discovers stay out of the committed one; a
# crash is kept as
# BUILD_DIR/fuzz-artifacts/<target>-crash-<hash> and makes the script exit non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."

[ $# -ge 2 ] || { echo "usage: $0 BUILD_DIR SECONDS [TARGET...]" >&2; exit 2; }
build=$1
seconds=$2
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(world events checkpoint samples)

# The longest input each target takes: the world's scripts grow with their clicks, an events
# file needs no more than a few lines to reach every corner of the reader, and a checkpoint
# of a populated world is some tens of kilobytes, and a few runs' samples are some kilobytes.
declare -A max_len=([world]=8192 [events]=4096 [checkpoint]=65536 [samples]=16384)

# Sanitizer reports name files and lines only with a symbolizer; llvm-14 ships one under its
# versioned name.
if [ -z "${ASAN_SYMBOLIZER_PATH:-}" ] && command -v llvm-symbolizer-14 >/dev/null; then
    export ASAN_SYMBOLIZER_PATH
    ASAN_SYMBOLIZER_PATH=$(command -v llvm-symbolizer-14)
fi

status=0
for target in "${targets[@]}"; do
    binary="$build/fuzz/morvane_fuzz_$target"
    [ -x "$binary" ] || { echo "no fuzz target $binary: build with -DMORVANE_BUILD_FUZZ=ON" >&2; exit 2; }
    scratch="$build/fuzz-run/$target"
    artifacts="$build/fuzz-artifacts"
    rm -rf "$scratch"
    mkdir -p "$scratch" "$artifacts"
    cp fuzz/corpus/"$target"/* "$scratch"/
    echo "== fuzzing $target for $seconds s from $(ls fuzz/corpus/"$target" | wc -l) seeds"
    # -timeout: one input may take a second or two on a busy machine, never thirty.
    if "$binary" "$scratch" -max_total_time="$seconds" -max_len="${max_len[$target]}" \
        -timeout=30 -print_final_stats=1 -artifact_prefix="$artifacts/$target-" \
        >"$build/fuzz-$target.log" 2>&1; then
        grep -E '^(stat::number_of_executed_units|stat::new_units_added|Done )' \
            "$build/fuzz-$target.log" || true
    else
        status=1
        tail -n 60 "$build/fuzz-$target.log"
        echo "== fuzz target $target failed; reproduce with: $binary $artifacts/$target-*"
    fi
done
exit $status

#!/usr/bin/env bash
# Fails, naming them, when identifiers drift from the naming scheme in .clang-tidy. Reads the
# compile commands of a configured build (default build/release): every C++ file that build
# compiles is checked, with the headers of this tree it includes, and the fuzz targets (built
# only by the fuzz build) with the flags of the core's own files, and the page's (built only by
# Emscripten) against Emscripten's own headers.
set -euo pipefail
cd "$(dirname "$0")/.."

tidy=run-clang-tidy-14
build=${1:-build/release}
if ! command -v "$tidy" >/dev/null; then
    echo "check_naming: $tidy is not installed (./dev.sh installs it)" >&2
    exit 2
fi
if [ ! -f "$build/compile_commands.json" ]; then
    echo "check_naming: $build/compile_commands.json is missing (configure $build first)" >&2
    exit 2
fi

# clang-tidy prints every finding as "FILE:LINE:COLUMN: error: ..."; the rest is its chatter.
report=$("$tidy" -p "$build" -quiet -j "$(nproc)" 2>&1 || true)
findings=$(sed 's/\x1b\[[0-9;]*m//g' <<<"$report" | grep -E '^[^ ]+:[0-9]+:[0-9]+: (error|warning):' |
    sort -u || true)
fuzz_findings=$(clang-tidy-14 --quiet fuzz/*_fuzzer.cpp -- -std=c++20 -I. -I"$build/generated" 2>&1 |
    grep -E '^[^ ]+:[0-9]+:[0-9]+: (error|warning):' | sort -u || true)
emscripten=/usr/share/emscripten/cache/sysroot
web_findings=$(clang-tidy-14 --quiet web/*.cpp -- -std=c++20 -I. -fexceptions -D__EMSCRIPTEN__ \
    --target=wasm32-unknown-emscripten --sysroot="$emscripten" \
    -isystem "$emscripten/include/c++/v1" 2>&1 |
    grep -E '^[^ ]+:[0-9]+:[0-9]+: (error|warning):' | sort -u || true)
findings=$(printf '%s\n%s\n%s\n' "$findings" "$fuzz_findings" "$web_findings" | sed '/^$/d' |
    sort -u)
if [ -z "$findings" ]; then
    echo "every name follows .clang-tidy"
    exit 0
fi
echo "$findings" >&2
echo "check_naming: $(wc -l <<<"$findings") names drift from .clang-tidy (see above)" >&2
exit 1

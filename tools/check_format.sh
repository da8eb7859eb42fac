#!/usr/bin/env bash
# Fails, naming them, when tracked C++ files drift from .clang-format; --fix reformats them.
set -euo pipefail
cd "$(dirname "$0")/.."

formatter=clang-format-14
if ! command -v "$formatter" >/dev/null; then
    echo "check_format: $formatter is not installed (./dev.sh installs it)" >&2
    exit 2
fi
if ! listed=$(git ls-files -- '*.cpp' '*.h'); then
    echo "check_format: not a git checkout, so there is no list of tracked files" >&2
    exit 2
fi

# A tracked file deleted in the work tree is no longer source to check.
files=()
while IFS= read -r f; do
    [ -f "$f" ] && files+=("$f")
done <<<"$listed"
[ ${#files[@]} -gt 0 ] || { echo "check_format: no tracked C++ files"; exit 0; }

case "${1:-}" in
    --fix)
        "$formatter" -i -- "${files[@]}"
        exit 0
        ;;
    "") ;;
    *)
        echo "usage: tools/check_format.sh [--fix]" >&2
        exit 2
        ;;
esac

# One process for the whole tree; each drift it reports as "FILE:LINE:COLUMN: error: code
# should be clang-formatted", so the files are the names before those.
if report=$("$formatter" --dry-run --Werror -- "${files[@]}" 2>&1); then
    echo "all ${#files[@]} tracked C++ files follow .clang-format"
    exit 0
fi
drifted=$(sed -nE 's/^(.+):[0-9]+:[0-9]+: error: code should be clang-formatted.*/\1/p' \
    <<<"$report" | sort -u)
if [ -z "$drifted" ]; then
    echo "$report" >&2
    echo "check_format: $formatter failed without naming a drift" >&2
    exit 2
fi
echo "$(wc -l <<<"$drifted") of ${#files[@]} tracked C++ files drift from .clang-format" \
    "(./dev.sh format fixes them):"
sed 's/^/    /' <<<"$drifted"
exit 1

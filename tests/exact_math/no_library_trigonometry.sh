#!/bin/sh
# Fails when the core library leaves any trigonometric function of the C library for the linker
# to find: the world's sine, cosine and arc tangent must be the core's own.
set -eu
undefined=$(nm -u --format=just-symbols "$1" | sed 's/@.*//' | sort -u)
found=$(printf '%s\n' "$undefined" |
    grep -E '^(sin|cos|tan|atan|atan2|sincos|asin|acos)(f|l)?$' || true)
if [ -n "$found" ]; then
    echo "the core calls the C library's trigonometry: $found"
    exit 1
fi
echo "the core calls none of the C library's trigonometry ($(printf '%s\n' "$undefined" | wc -l) undefined symbols read)"

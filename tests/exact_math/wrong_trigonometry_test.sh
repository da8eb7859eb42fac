#!/bin/sh
# The same world with a C library whose sine, cosine and arc tangent are all off by 1e-7:
# a million ticks of three seeds with releases, hash for hash.
set -eu
lab=$1
wrong=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '0 left 100 200\n0 right 50.5 60\n2000 left 248 214.5\n50000 right 10 10\n300000 left 400 300\n' >"$work/events.txt"
for seed in 1 7 424242; do
    plain=$("$lab" --quiet --seed "$seed" --ticks 1000000 --events "$work/events.txt" --hash)
    preloaded=$(LD_PRELOAD="$wrong" "$lab" --quiet --seed "$seed" --ticks 1000000 \
        --events "$work/events.txt" --hash)
    echo "seed $seed: $plain plain, $preloaded with the wrong trigonometry"
    [ "$plain" = "$preloaded" ] || exit 1
done

#!/usr/bin/env bash
# Stops a long run with a signal at a random moment, resumes it from the checkpoint it kept, and
# checks that the world it ends with is the one a straight run ends with, and that the stop left
# no stray file behind.
#
#   tools/interrupt_resume.sh [LAB [TICKS [SIGNAL]]]
#
# LAB defaults to the Release build's morvane-lab, TICKS to 10,000,000, SIGNAL to INT. The
# straight run goes alongside the interrupted one, on the second core.
set -euo pipefail
cd "$(dirname "$0")/.."
lab=$(realpath "${1:-build/release/lab/morvane-lab}")
ticks=${2:-10000000}
signal=${3:-INT}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"

say() { echo "interrupt_resume: $*"; }

"$lab" --ticks "$ticks" --quiet --hash --stats-out straight.csv >straight.hash &
straight=$!

mkdir piece
"$lab" --ticks "$ticks" --quiet --hash --stats-out piece/stats.csv \
    --checkpoint-out piece/run.ckpt >piece.hash 2>piece.err &
interrupted=$!
# Somewhere in the first nine tenths of the run, at about 20 microseconds a tick.
wait_s=$(python3 -c "import random; print(round(random.uniform(1, $ticks * 18e-6), 2))")
say "sending SIG$signal after $wait_s s"
sleep "$wait_s"
kill -s "$signal" "$interrupted"
status=0
wait "$interrupted" || status=$?
say "exit status $status; stderr: $(cat piece.err)"

left=$(ls -A piece)
[ "$left" = run.ckpt ] || { say "FAIL: left behind: $left"; exit 1; }
[ ! -s piece.hash ] || { say "FAIL: a stopped run printed its hash"; exit 1; }
more=$(sed -n 's/.*--ticks \([0-9]*\)$/\1/p' piece.err)
[ -n "$more" ] || { say "FAIL: no way to go on was given"; exit 1; }

"$lab" --resume piece/run.ckpt --ticks "$more" --quiet --hash --stats-out rest.csv >resumed.hash
wait "$straight"
say "straight $(cat straight.hash), resumed $(cat resumed.hash)"
cmp -s straight.hash resumed.hash || { say "FAIL: the resumed world differs"; exit 1; }

# The stopped piece has no statistics; the resumed run's rows must be the straight run's from
# the checkpoint's tick on.
from=$((ticks - more))
awk -F, -v from="$from" 'NR == 1 || $1 > from' straight.csv | cmp -s - rest.csv ||
    { say "FAIL: the resumed statistics differ from the straight run's"; exit 1; }
say "OK: stopped after $from of $ticks ticks, resumed for $more, the same world and statistics"

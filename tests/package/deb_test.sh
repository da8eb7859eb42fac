#!/usr/bin/env bash
# usage: tests/package/deb_test.sh DEB WM_CLOSE
# The Debian package as a person gets it: its metadata and contents, then installed with dpkg,
# the installed programs, man pages and Python package used (a figure drawn from the installed
# lab's table), the installed window driven by the end-to-end window test (WM_CLOSE is its
# helper that closes a window as a window manager would), and the package removed again. Needs
# root, or sudo, to install.
set -euo pipefail
cd "$(dirname "$0")/../.."
deb=$1
wm_close=$2
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

fail() {
    echo "deb test: $*" >&2
    exit 1
}
field() { dpkg-deb --field "$deb" "$1"; }

[ -f "$deb" ] || fail "no package at $deb"
# It installs into this machine and removes what it installed: never over a morvane already there.
if dpkg-query -W -f='${Status}' morvane 2>/dev/null | grep -q 'install ok installed'; then
    fail "morvane is already installed on this machine; remove it (dpkg -r morvane) to run this test"
fi

echo "== metadata"
[ "$(field Package)" = morvane ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = 1.0.0.0 ] || fail "Version is '$(field Version)', not 1.0.0.0"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
depends=$(field Depends)
# What dpkg-shlibdeps found in the programs, and what the Python package needs besides: numpy
# for the world's tables, matplotlib for the figures.
for needed in libc6 libstdc++6 libsdl2-2.0-0 libpng16-16 zlib1g python3-numpy python3-matplotlib \
    'python3 (>= 3.'; do
    [[ "$depends" == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done

echo "== contents"
contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
for path in ./usr/bin/morvane ./usr/bin/morvane-lab ./usr/share/applications/morvane.desktop \
    ./usr/share/icons/hicolor/scalable/apps/morvane.svg ./usr/share/man/man1/morvane.1.gz \
    ./usr/share/man/man1/morvane-lab.1.gz ./usr/lib/python3/dist-packages/morvane/__init__.py \
    ./usr/lib/python3/dist-packages/morvane/__init__.pyi \
    ./usr/lib/python3/dist-packages/morvane/figures/__main__.py; do
    grep -qx -- "$path" <<<"$contents" || fail "the package lacks $path"
done
grep -q '^\./usr/lib/python3/dist-packages/morvane/_core\.cpython-.*\.so$' <<<"$contents" ||
    fail "the package lacks the Python module"
# Nothing outside /usr, and nothing of the build (tests, benchmarks, headers, static libraries).
if grep -v '^\./$' <<<"$contents" | grep -v '^\./usr/' | grep -q .; then
    fail "files outside /usr: $(grep -v '^\./usr/' <<<"$contents" | tr '\n' ' ')"
fi
if grep -Eq '\.(a|h)$|morvane_tests|bench' <<<"$contents"; then fail "build leftovers in the package"; fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb --extract "$deb" "$scratch/root"
desktop-file-validate "$scratch/root/usr/share/applications/morvane.desktop" ||
    fail "the desktop entry does not validate"
file_type=$(od -An -c -N4 "$scratch/root/usr/bin/morvane-lab" | tr -d ' ')
[ "$file_type" = '177ELF' ] || fail "morvane-lab is not a program"

echo "== install"
"${sudo[@]}" dpkg -i "$deb" >/dev/null
trap '"${sudo[@]}" dpkg -r morvane >/dev/null 2>&1 || true; rm -rf "$scratch"' EXIT
[ "$(command -v morvane-lab)" = /usr/bin/morvane-lab ] || fail "morvane-lab is not /usr/bin/morvane-lab"

echo "== the installed morvane-lab, its man pages and the Python package"
help=$(cd "$scratch" && morvane-lab --help)
[[ "$help" == *"--runs"*"--shard"* ]] || fail "morvane-lab --help lacks its options"
lab_page=$(MANPAGER=cat MANWIDTH=200 man morvane-lab 2>&1) || fail "man morvane-lab: $lab_page"
[[ "$lab_page" == *"--samples-out"*"MERGING SHARDS"* ]] || fail "man morvane-lab lacks its sections"
window_page=$(MANPAGER=cat MANWIDTH=200 man morvane 2>&1) || fail "man morvane: $window_page"
[[ "$window_page" == *"left mouse button"* ]] || fail "man morvane lacks its description"
lab_hash=$(cd "$scratch" && morvane-lab --seed 7 --ticks 2000 --hash)
python_hash=$(cd "$scratch" && env -u PYTHONPATH /usr/bin/python3 -c \
    "import morvane; w = morvane.World(seed=7); w.step(2000); print(f'{w.hash():016x}')")
[ "$lab_hash" = "$python_hash" ] || fail "the module's world ($python_hash) is not the lab's ($lab_hash)"
(cd "$scratch" && morvane-lab --seed 7 --ticks 2000 --stats-out stats.csv --quiet &&
    env -u PYTHONPATH /usr/bin/python3 -m morvane.figures run stats.csv -o run.png) ||
    fail "python3 -m morvane.figures did not draw the installed lab's table"
[ "$(od -An -c -N4 "$scratch/run.png" | tr -d ' ')" = '211PNG' ] || fail "the figure is not a PNG"

echo "== the installed window"
python3 tests/app/e2e_window_test.py /usr/bin/morvane "$wm_close"

echo "== remove"
"${sudo[@]}" dpkg -r morvane >/dev/null
[ ! -e /usr/bin/morvane ] && [ ! -e /usr/bin/morvane-lab ] || fail "dpkg -r left the programs"
env -u PYTHONPATH /usr/bin/python3 -c 'import morvane' 2>/dev/null && fail "dpkg -r left the Python module"
echo "deb test: passed"

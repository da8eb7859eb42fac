#!/usr/bin/env bash
# Installs what Morvane needs (Debian 12 packages only), builds it, then either opens the
# window (`./dev.sh run`) or runs the whole test suite (`./dev.sh test`); `./dev.sh package`
# makes the Debian package and Morvane.exe, `./dev.sh format` keeps the C++ files formatted.
set -euo pipefail
cd "$(dirname "$0")"

usage() {
    cat <<'USAGE'
usage: ./dev.sh run     install what is missing, build, open the window
       ./dev.sh test    install what is missing, build, run every test (also under the sanitizers)
       ./dev.sh build   install what is missing and build the Release build only
       ./dev.sh package install what is missing, build the Debian package and the Windows
                        program Morvane.exe into dist/
       ./dev.sh web     install what is missing, build the page (the window in WebAssembly)
                        into dist/web/: serve it with python3 -m http.server, or open its
                        index.html
       ./dev.sh format  install what is missing, reformat every tracked C++ file with the
                        committed .clang-format
       ./dev.sh fuzz [SECONDS]
                        install what is missing, build the fuzz targets, run each for SECONDS
                        (default 60) from the committed corpus
       ./dev.sh soak [TICKS [SANITIZED_TICKS]]
                        install what is missing, build, run the world 20 million ticks (Release)
                        and one million under the sanitizers, checking it throughout
USAGE
}

# What each package is for is listed in the README's Dependencies section.
packages=(
    g++ cmake make pkg-config git python3 parallel
    libsdl2-dev libmpfr-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    zlib1g-dev libpng-dev libcli11-dev nlohmann-json3-dev
    xvfb xdotool x11-utils x11-apps imagemagick
    clang-14 libclang-rt-14-dev llvm-14
    clang-format-14 clang-tidy-14
    python3-dev pybind11-dev python3-numpy python3-pytest python3-matplotlib
    help2man desktop-file-utils man-db
    g++-mingw-w64-x86-64-posix libz-mingw-w64-dev librsvg2-bin wine wine64 python3-pefile
    emscripten nodejs chromium python3-websocket
)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "== installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

jobs=$(nproc 2>/dev/null || echo 2)

build() { # build <folder> <cmake options...>
    local dir=$1
    shift
    cmake -S . -B "build/$dir" "$@" >/dev/null
    cmake --build "build/$dir" -j "$jobs"
}

run_window() {
    build release -DCMAKE_BUILD_TYPE=Release
    if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
        exec build/release/app/morvane
    fi
    # No desktop to open a window on (a server, a container): show the world headless instead.
    mkdir -p out
    build/release/lab/morvane-lab --ticks 20000 --state-out out/world.json \
        --counts-out out/counts.csv --png out/sample
    echo "No display here, so the window cannot open. morvane-lab ran 20,000 ticks (200 s of the"
    echo "window's life) instead: out/sample-space.png, out/sample-graph.png, out/world.json, out/counts.csv"
}

# The fuzz targets and everything under them built by clang with libFuzzer's coverage,
# AddressSanitizer and UndefinedBehaviorSanitizer; only what the fuzzing and the soak run need.
build_fuzz() {
    cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DMORVANE_BUILD_FUZZ=ON -DMORVANE_BUILD_APP=OFF -DMORVANE_BUILD_TESTS=OFF \
        -DMORVANE_BUILD_BENCH=OFF >/dev/null
    cmake --build build/fuzz -j "$jobs" --target morvane_fuzz_world morvane_fuzz_events \
        morvane_fuzz_checkpoint morvane_fuzz_samples morvane_soak
}

# Morvane.exe and the console program its world checks run, cross-compiled with mingw-w64.
build_windows() {
    cmake -S . -B build/win64 --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build/win64 -j "$jobs"
}

# The page: the core, the World and the window's face in WebAssembly, built by Debian's
# Emscripten (whose link step finds its JavaScript helpers through NODE_PATH), in dist/web/.
build_web() {
    NODE_PATH=/usr/share/nodejs emcmake cmake -S . -B build/web -DCMAKE_BUILD_TYPE=Release \
        -DMORVANE_BUILD_APP=OFF -DMORVANE_BUILD_TESTS=OFF -DMORVANE_BUILD_BENCH=OFF \
        -DMORVANE_BUILD_PYTHON=OFF >/dev/null
    NODE_PATH=/usr/share/nodejs cmake --build build/web -j "$jobs"
    rm -rf dist/web
    mkdir -p dist/web
    cp build/web/web/morvane.js web/index.html web/page.js dist/web/
    ls -l dist/web
}

# The Debian package, from a build that installs under /usr, and Morvane.exe, both in dist/.
build_package() {
    build package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
        -DMORVANE_BUILD_TESTS=OFF -DMORVANE_BUILD_BENCH=OFF
    rm -f build/package/morvane_*.deb
    (cd build/package && cpack -G DEB >/dev/null)
    build_windows
    mkdir -p dist
    rm -f dist/morvane_*.deb dist/Morvane.exe
    cp build/package/morvane_*.deb build/win64/app/Morvane.exe dist/
    ls -l dist
}

run_fuzz() { # run_fuzz <seconds per target>
    build_fuzz
    fuzz/run_fuzzers.sh build/fuzz "$1"
}

run_soak() { # run_soak [ticks [sanitized ticks]]
    cmake -S . -B build/soak -DCMAKE_BUILD_TYPE=Release -DMORVANE_BUILD_SOAK=ON \
        -DMORVANE_BUILD_APP=OFF -DMORVANE_BUILD_TESTS=OFF -DMORVANE_BUILD_BENCH=OFF >/dev/null
    cmake --build build/soak -j "$jobs" --target morvane_soak
    build_fuzz
    fuzz/soak.sh build/soak/fuzz/morvane_soak build/fuzz/fuzz/morvane_soak "$@"
}

run_tests() {
    # A file that drifts from the committed .clang-format fails the run before any build.
    tools/check_format.sh
    build release -DCMAKE_BUILD_TYPE=Release
    # The names, read from the build's own compile commands, beside the formatting.
    tools/check_naming.sh build/release
    (cd build/release && ctest --output-on-failure -j "$jobs")
    # The packages: Morvane.exe's version record, its world against this build's and its
    # window under Wine (borrowing morvane-lab and the window closer from build/release), then
    # the Debian package installed, used and removed again.
    # The page: its World against the lab under node, then the page itself in headless
    # chromium, driven over the DevTools protocol.
    build_web
    timeout 900 node tests/web/world_test.js dist/web/morvane.js build/release/lab/morvane-lab
    MORVANE_WEB=dist/web MORVANE_LAB=build/release/lab/morvane-lab \
        MORVANE_FACE_AT=build/release/tests/app/morvane_face_at \
        timeout 600 /usr/bin/python3 -m pytest -q -p no:cacheprovider tests/web
    build_package
    ctest --test-dir build/win64 --output-on-failure
    tests/package/deb_test.sh dist/morvane_*.deb build/release/tests/app/morvane_wm_close
    # The same tests once more with AddressSanitizer and UndefinedBehaviorSanitizer: a Debug
    # build, so the sanitizers also see the code unoptimised. It keeps only the hot functions'
    # version for any x86-64; on a processor with AVX2 the Release tests ran the other one.
    # GCC's -fsanitize=undefined leaves out float-cast-overflow (clang's includes it), and an
    # out-of-range float-to-integer conversion is exactly what a coordinate could cause.
    build sanitize -DCMAKE_BUILD_TYPE=Debug -DMORVANE_SANITIZE=ON -DMORVANE_BUILD_BENCH=OFF \
        -DMORVANE_CLONE_HOT_PATHS=OFF \
        -DCMAKE_CXX_FLAGS=-fsanitize=float-cast-overflow
    (cd build/sanitize && ctest --output-on-failure -j "$jobs")
    # A minute of fuzzing each target from the committed corpus; any crash fails the run.
    run_fuzz 60
}

case "${1:-}" in
    run) install_missing && run_window ;;
    test) install_missing && run_tests ;;
    build) install_missing && build release -DCMAKE_BUILD_TYPE=Release ;;
    package) install_missing && build_package ;;
    web) install_missing && build_web ;;
    format) install_missing && tools/check_format.sh --fix ;;
    fuzz) install_missing && run_fuzz "${2:-60}" ;;
    soak) install_missing && run_soak "${@:2}" ;;
    *) usage; exit 2 ;;
esac

#!/usr/bin/env bash
# Sets up the machine and runs every test: native unit tests under the sanitizers, a bounded
# fuzzing run, and the real DLL's tests under Wine inside Xvfb on every Windows architecture this
# machine runs (x86_64 always, i686 where the kernel runs 32-bit programs). The i686 DLL, the one
# widget hosts load, is built and its shape checked everywhere.
set -euo pipefail
cd "$(dirname "$0")/.."
export TIDEGLASS_ROOT="$PWD"
jobs=$(nproc)

bash scripts/setup.sh

echo "== native unit tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
cmake --preset native-sanitize >/dev/null
cmake --build --preset native-sanitize -j "$jobs"
ctest --preset native-sanitize -j "$jobs"

echo "== fuzzing (bounded)"
cmake --preset fuzz >/dev/null
fuzzers=$(cd tests/fuzz && ls fuzz_*.cpp | sed 's/\.cpp$//')
# shellcheck disable=SC2086
cmake --build --preset fuzz -j "$jobs" --target $fuzzers
for name in $fuzzers; do
    fuzzer="build/fuzz/$name"
    corpus="build/fuzz/corpus-$name"
    mkdir -p "$corpus"
    "$fuzzer" -max_total_time="${TIDEGLASS_FUZZ_SECONDS:-20}" -timeout=10 -rss_limit_mb=2048 \
        "$corpus" 2>&1 | tail -n 3
done

arches=$(bash scripts/wine-arches.sh)
for arch in win32 win64; do
    echo "== Windows build ($arch)"
    cmake --preset "$arch" >/dev/null
    cmake --build --preset "$arch" -j "$jobs"
    if ! grep -qx "$arch" <<<"$arches"; then
        echo "== $arch: the DLL's shape only. $(bash scripts/wine-arches.sh --describe)"
        ctest --preset "$arch" -R '^dll_exports_and_imports$'
        continue
    fi
    echo "== Windows tests under $arch Wine"
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
        source scripts/wine-env.sh "$1"
        bash scripts/wine-prefix.sh "$1" || exit 1
        # One wineserver for the whole run, started before the tests so none pays for its start.
        "$WINESERVER" -p 30
        ctest --preset "$1" -j 2
        rc=$?
        "$WINESERVER" -k 2>/dev/null || true
        exit $rc' _ "$arch"
done

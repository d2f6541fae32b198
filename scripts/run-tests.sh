#!/usr/bin/env bash
# Sets up the machine and runs every test: native unit tests under the sanitizers, a bounded
# fuzzing run, and the real DLL's tests under Wine inside Xvfb.
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
cmake --build --preset fuzz -j "$jobs"
for fuzzer in build/fuzz/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    corpus="build/fuzz/corpus-$(basename "$fuzzer")"
    mkdir -p "$corpus"
    "$fuzzer" -max_total_time="${TIDEGLASS_FUZZ_SECONDS:-20}" -timeout=10 -rss_limit_mb=2048 \
        "$corpus" 2>&1 | tail -n 3
done

echo "== Windows build and tests under Wine"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs"
source scripts/wine-env.sh
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    bash scripts/wine-prefix.sh
    # One wineserver for the whole run, started before the tests so none pays for its start.
    wineserver -p 30
    ctest --preset win32 -j 2
    rc=$?
    wineserver -k 2>/dev/null || true
    exit $rc'

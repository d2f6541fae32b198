#!/usr/bin/env bash
# Sets up the machine, builds tideglass.dll and runs it under the reference host in Wine: one
# widget with the default settings, a command typed into its console, the overlay saved as PNG.
set -euo pipefail
cd "$(dirname "$0")/.."
export TIDEGLASS_ROOT="$PWD"

bash scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)" --target tideglass tideglass_host
source scripts/wine-env.sh
out="$PWD/build/demo"
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    bash scripts/wine-prefix.sh
    TIDEGLASS_WINE_TIMEOUT=120 bash scripts/wine-run.sh build/win32/bin/tideglass_host.exe \
        "$(winepath -w "'"$out"'")"
    rc=$?
    wineserver -k 2>/dev/null || true
    exit $rc'
echo "picture of the widget: $out/tideglass-demo.png"
echo "its saved settings:    $out/tideglass-demo.ini"

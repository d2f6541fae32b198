#!/usr/bin/env bash
# Sets up the machine, builds tideglass.dll and Tideglass Host, and runs the widget under Wine on
# a virtual X screen: default settings, `dir` and a line with capitals and shifted symbols typed
# into its console. Writes the widget's overlay and a screenshot of the whole screen. Uses the
# i686 build where this machine runs 32-bit programs, the x86_64 build elsewhere.
set -euo pipefail
cd "$(dirname "$0")/.."
export TIDEGLASS_ROOT="$PWD"

bash scripts/setup.sh
arch=$(bash scripts/wine-arches.sh | tail -n 1)
echo "run-demo: the $arch build under $arch Wine"
cmake --preset "$arch" >/dev/null
cmake --build --preset "$arch" -j "$(nproc)" --target tideglass tideglass_host
out="$PWD/build/demo"
mkdir -p "$out"
rm -f "$out/overlay.png" "$out/screen.png" "$out/tideglass-host.ini"
export DEMO_OUT="$out"
# A white desktop (-wr) so the widget's own background stands out in the screenshot.
xvfb-run -a -s "-screen 0 1280x1024x24 -wr" bash -c '
    source scripts/wine-env.sh "$1"
    bash scripts/wine-prefix.sh "$1" || exit 1
    out_w=$(wine_path "$DEMO_OUT")
    TIDEGLASS_WINE_TIMEOUT=120 bash scripts/wine-run.sh "$1" "build/$1/bin/tideglass-host.exe" \
        --ini "$out_w\\tideglass-host.ini" \
        --wait 1000 --type dir --key Enter --wait 1000 \
        --type "echo Tideglass: A+B=C!" --key Enter --wait 1500 \
        --snapshot "$out_w\\overlay.png" --wait 4000 --exit &
    host=$!
    # The screenshot is taken while the widget is still on the screen, after its overlay was saved.
    for _ in $(seq 600); do
        [ -s "$DEMO_OUT/overlay.png" ] || ! kill -0 $host 2>/dev/null && break
        sleep 0.1
    done
    [ -s "$DEMO_OUT/overlay.png" ] && sleep 0.5 && import -window root "$DEMO_OUT/screen.png"
    wait $host
    rc=$?
    "$WINESERVER" -k 2>/dev/null || true
    exit $rc' _ "$arch"
echo "the widget's overlay ($arch build): $out/overlay.png"
echo "the whole screen with the widget:  $out/screen.png"
echo "its saved settings:                $out/tideglass-host.ini"

#!/usr/bin/env bash
# Sets up the machine, builds tideglass.dll and Tideglass Host, and runs the widget under Wine on
# a virtual X screen: default settings, `dir` and a line with capitals and shifted symbols typed
# into its console. Writes the widget's overlay and a screenshot of the whole screen.
set -euo pipefail
cd "$(dirname "$0")/.."
export TIDEGLASS_ROOT="$PWD"

bash scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)" --target tideglass tideglass_host
source scripts/wine-env.sh
out="$PWD/build/demo"
mkdir -p "$out"
rm -f "$out/overlay.png" "$out/screen.png" "$out/tideglass-host.ini"
export DEMO_OUT="$out"
# A white desktop (-wr) so the widget's own background stands out in the screenshot.
xvfb-run -a -s "-screen 0 1280x1024x24 -wr" bash -c '
    bash scripts/wine-prefix.sh
    out_w=$(winepath -w "$DEMO_OUT")
    TIDEGLASS_WINE_TIMEOUT=120 bash scripts/wine-run.sh build/win32/bin/tideglass-host.exe \
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
    wineserver -k 2>/dev/null || true
    exit $rc'
echo "the widget's overlay:           $out/overlay.png"
echo "the whole screen with the widget: $out/screen.png"
echo "its saved settings:               $out/tideglass-host.ini"

#!/usr/bin/env bash
# Boots the Wine prefix of one architecture (win32 or win64) once and prepares it for unattended
# tests: no window-manager wait when a window is hidden or destroyed. A Wine that cannot start
# stops here with one clear message instead of failing every test after it.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh" "${1:-win32}"

if [ -f "$WINEPREFIX/.tideglass-ready" ]; then
    exit 0
fi
echo "wine-prefix: booting $WINEPREFIX ($WINEARCH)"
rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
log="$WINEPREFIX.log"
timeout 300 "$WINELOADER" wineboot -i >"$log" 2>&1 || true
if ! timeout 120 "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ \
        /d N /f >>"$log" 2>&1; then
    timeout 60 "$WINESERVER" -k 2>/dev/null || true
    tail -n 15 "$log" >&2
    echo "wine-prefix: $WINEARCH Wine ($WINELOADER) cannot start a program in $WINEPREFIX;" \
         "its output is above and in $log" >&2
    exit 1
fi
timeout 60 "$WINESERVER" -w || true
touch "$WINEPREFIX/.tideglass-ready"
echo "wine-prefix: ready"

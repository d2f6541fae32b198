#!/usr/bin/env bash
# Boots the 32-bit Wine prefix once and prepares it for unattended tests: no window-manager wait
# when a window is hidden or destroyed.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

if [ -f "$WINEPREFIX/.tideglass-ready" ]; then
    exit 0
fi
echo "wine-prefix: booting $WINEPREFIX"
rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
timeout 300 wineboot -i >/dev/null 2>&1 || true
timeout 120 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
timeout 60 wineserver -w || true
touch "$WINEPREFIX/.tideglass-ready"
echo "wine-prefix: ready"

# Sourced with the Windows architecture to run, win32 or win64 (default win32): the Wine loader
# and server of that architecture and its own prefix in the build tree.
#
# Debian's `wine` script prefers the 32-bit loader whenever wine32 is installed, even on a kernel
# that cannot run it, so each architecture names its loader and server directly; the prefixes are
# kept apart because a 64-bit prefix cannot run under 32-bit Wine and the other way round.
: "${TIDEGLASS_ROOT:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
export WINEARCH="${1:-${WINEARCH:-win32}}"
case "$WINEARCH" in
    win64) export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64 ;;
    win32) export WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32 ;;
    *) echo "wine-env: unknown architecture '$WINEARCH' (win32 or win64)" >&2; return 2 ;;
esac
export WINEPREFIX="${WINEPREFIX_OVERRIDE:-$TIDEGLASS_ROOT/build/wineprefix-$WINEARCH}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# A Unix path as this prefix sees it: Wine maps / to the drive Z:.
wine_path() {
    local p
    p=$(realpath -m "$1")
    printf 'Z:%s\n' "${p//\//\\}"
}

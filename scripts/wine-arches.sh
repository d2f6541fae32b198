#!/usr/bin/env bash
# Prints the Windows architectures whose Wine runs on this machine, one a line: win64 always,
# win32 when the kernel runs 32-bit programs (found by running the 32-bit loader: some kernels
# have 32-bit emulation switched off, whatever the packages say). TIDEGLASS_WIN64_ONLY=1 takes
# the 64-bit-only road on any machine. With --describe, one line for a person instead.
set -uo pipefail
why=""
if [ -n "${TIDEGLASS_WIN64_ONLY:-}" ] && [ "${TIDEGLASS_WIN64_ONLY}" != 0 ]; then
    why="TIDEGLASS_WIN64_ONLY is set"
elif [ ! -x /usr/lib/wine/wine ]; then
    why="32-bit Wine (wine32:i386) is not installed"
elif ! timeout 20 /usr/lib/wine/wine --version >/dev/null 2>&1; then
    why="this kernel runs no 32-bit programs (the 32-bit loader /usr/lib/wine/wine does not start)"
fi
if [ "${1:-}" = --describe ]; then
    if [ -z "$why" ]; then
        echo "Wine runs 64-bit and 32-bit Windows programs here: tests run on x86_64 and i686"
    else
        echo "Wine runs 64-bit Windows programs only: $why; the i686 DLL is built and checked," \
             "its tests run on machines that run 32-bit programs"
    fi
    exit 0
fi
echo win64
[ -z "$why" ] && echo win32
exit 0

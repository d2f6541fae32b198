#!/usr/bin/env bash
# Installs what the build and tests need on Debian (run as root). Idempotent: when everything is
# there it only checks and returns.
set -euo pipefail

packages=(cmake g++ make googletest libgtest-dev clang g++-mingw-w64-i686 mingw-w64-i686-dev
          wine wine32:i386 xvfb xauth imagemagick)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    need_update=1
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ "${#missing[@]}" -gt 0 ] || [ -n "${need_update:-}" ]; then
    echo "setup: installing ${missing[*]:-(package lists)}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    if [ "${#missing[@]}" -gt 0 ]; then
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
fi
echo "setup: all build and test packages present"

#!/usr/bin/env bash
# Installs what the build and tests need on Debian (run as root). Idempotent: when everything is
# there it only checks and returns.
set -euo pipefail

# clang comes without its recommended packages, so the libFuzzer and sanitizer runtimes are named
# here: libclang-rt-dev is the one that matches Debian's default clang. Packages come without
# their recommendations, so the fonts the Windows tests draw with are named too: Wine's stock
# font and the fonts the tests ask for by name ("Courier New", "Lucida Console") are substituted
# from these, the same on every machine. The draw test draws with the stock font as both of its
# substitutes, Liberation Mono and DejaVu Sans Mono, so a fault that one font hides shows.
packages=(cmake g++ make googletest libgtest-dev clang libclang-rt-dev
          g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64 mingw-w64-x86-64-dev
          wine wine32:i386 wine64 xvfb xauth imagemagick
          fonts-dejavu-core fonts-dejavu-extra fonts-liberation)

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

# The fuzz build fails late and obscurely when a runtime is missing; link a tiny target now instead.
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
cat >"$probe/probe.cpp" <<'CPP'
#include <cstddef>
#include <cstdint>
extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }
CPP
if ! clang++ -fsanitize=fuzzer,address,undefined -o "$probe/probe" "$probe/probe.cpp" \
        >"$probe/log" 2>&1; then
    cat "$probe/log" >&2
    echo "setup: clang++ cannot link a -fsanitize=fuzzer program: the libFuzzer and sanitizer" \
         "runtimes for $(clang++ --version | head -n 1) are missing (Debian: libclang-rt-dev)" >&2
    exit 1
fi
echo "setup: all build and test packages present; clang++ links libFuzzer targets"
echo "setup: $(bash "$(dirname "$0")/wine-arches.sh" --describe)"

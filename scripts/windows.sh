#!/usr/bin/env bash
# The Windows side: installs the cross compilers and wine (only what is
# missing), cross-builds the switch-code library for 32-bit Windows and
# everything but the Qt backend for 64-bit Windows, and runs their tests under
# wine, the PE file checks of the library included. "scripts/windows.sh
# windows" or "scripts/windows.sh windows-i686" runs one preset only.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh windows

# One wine prefix for both presets (a 64-bit prefix runs 32-bit programs too),
# made and started once, before the build: the build stamps the library with
# the stamping tool under wine. The services wine starts outlive the programs,
# so they are started here, their output to nowhere, not by a test whose
# output ctest reads to its end. The server is stopped on the way out.
export WINEPREFIX="$PWD/build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true' EXIT
start=$SECONDS
wineboot -i </dev/null >/dev/null 2>&1
echo "=== wine prefix ready in $((SECONDS - start)) s"

presets=("${@:-windows-i686 windows}")
for preset in ${presets[@]}; do
    if [ "$preset" = windows-i686 ] && ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
        # Its library is stamped and tested by 32-bit programs under wine.
        echo "=== preset windows-i686 NOT built or tested: no 32-bit wine on this machine (wine32:i386 did not install)"
        continue
    fi
    echo "=== preset $preset"
    start=$SECONDS
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    echo "=== preset $preset built in $((SECONDS - start)) s"
    start=$SECONDS
    ctest --preset "$preset"
    echo "=== preset $preset tested in $((SECONDS - start)) s"
done

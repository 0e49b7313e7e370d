#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (only the missing ones).
# "scripts/setup.sh windows" installs those of the Windows cross build and wine too.
set -euo pipefail
# Qt Charts' CMake files need Qt OpenGL's, which its package does not pull in.
packages=(cmake ninja-build g++ qt6-base-dev qt6-qpa-plugins libgl-dev nlohmann-json3-dev libgtest-dev libgmock-dev
          libqt6sql6-sqlite libqt6sql6-psql postgresql postgresql-common qt6-charts-dev libqt6opengl6-dev qt6-svg-dev qt6-base-private-dev
          zlib1g-dev clang libclang-rt-dev
          fonts-dejavu-core xvfb xauth locales qt6-translations-l10n
          openbox xdotool imagemagick x11-utils)
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
update=""
if [ "${1:-}" = windows ]; then
    # mingw-w64 (POSIX thread model) for both architectures, GoogleTest's
    # sources, zlib for the cross compilers; wine, whose 32-bit half comes
    # from Debian's i386 packages.
    packages=(cmake ninja-build nlohmann-json3-dev googletest libz-mingw-w64-dev
              g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
              g++-mingw-w64-i686-posix binutils-mingw-w64-i686
              wine wine64 wine32:i386)
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $sudo_cmd dpkg --add-architecture i386
        update=1
    fi
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ -n "$update" ]; then
    # A mirror caught in the middle of a sync fails an index now and then: try
    # again after a pause; what then is still missing fails the install below.
    for attempt in 1 2 3 4; do
        $sudo_cmd apt-get update -qq && break
        [ "$attempt" -lt 4 ] && sleep 30
    done
fi
install() { DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "$@"; }
if [ ${#missing[@]} -gt 0 ] && ! install "${missing[@]}"; then
    # A mirror whose i386 half is out of step with the rest cannot give the
    # 32-bit wine; the 64-bit side goes on without it (scripts/windows.sh then
    # says that the 32-bit tests cannot run here).
    [ "${1:-}" = windows ] || exit 1
    rest=()
    for p in "${missing[@]}"; do [ "$p" = wine32:i386 ] || rest+=("$p"); done
    echo "setup: wine32:i386 does not install from this mirror; installing the rest" >&2
    install "${rest[@]}"
fi

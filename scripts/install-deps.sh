#!/usr/bin/env bash
# Installs from Debian's packages whatever building and running Zantrel needs and the
# machine lacks.   scripts/install-deps.sh run|test
#   run:  CMake, MinGW-w64, Wine, and when there is no display Xvfb and the X library
#         headers (tools/wm_state, which runs beside that Xvfb)
#   test: also GoogleTest, Google Benchmark, clang with libFuzzer, the 32-bit MinGW-w64
#         compiler, Xvfb, the X library headers and ImageMagick (screenshots)
set -euo pipefail
what=${1:-run}

packages=(cmake make g++ g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64)
if [ -z "${DISPLAY:-}" ] || [ "$what" = test ]; then
    packages+=(xvfb xauth libx11-dev)
fi
if [ "$what" = test ]; then
    packages+=(googletest libgtest-dev libbenchmark-dev clang clang-format libclang-rt-14-dev
               g++-mingw-w64-i686-posix binutils-mingw-w64-i686 imagemagick)
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "== installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null

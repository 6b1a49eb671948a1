#!/usr/bin/env bash
# Installs from Debian's packages whatever building and running Zantrel needs and the
# machine lacks.   scripts/install-deps.sh run|package|test
#   run:  CMake, MinGW-w64, Wine, halibut (the help file), and when there is no display Xvfb
#         and the X library headers (tools/wm_state, which runs beside that Xvfb)
#   package: also NSIS and zip (scripts/package.sh)
#   test: also GoogleTest, Google Benchmark, clang with libFuzzer, the 32-bit MinGW-w64
#         compiler, Xvfb, the X library headers, ImageMagick (screenshots), the packaging
#         tools, unzip, libchm-bin (reads the built HTML help file) and Wine's 32-bit half
#         (the setup program is a 32-bit program)
set -euo pipefail
what=${1:-run}

packages=(cmake make g++ g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 halibut)
if [ -z "${DISPLAY:-}" ] || [ "$what" = test ]; then
    packages+=(xvfb xauth libx11-dev)
fi
if [ "$what" = test ]; then
    packages+=(googletest libgtest-dev libbenchmark-dev clang clang-format libclang-rt-14-dev
               g++-mingw-w64-i686-posix binutils-mingw-w64-i686 imagemagick)
fi
if [ "$what" = package ] || [ "$what" = test ]; then
    packages+=(nsis zip)
fi
if [ "$what" = test ]; then
    packages+=(unzip wine32:i386)
fi
if [ "$what" = test ]; then
    packages+=(libchm-bin)
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
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null

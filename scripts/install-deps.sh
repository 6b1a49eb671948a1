#!/usr/bin/env bash
# Installs from Debian's packages whatever a script needs and the machine lacks; every
# package is one of the machine's own architecture.
#   scripts/install-deps.sh run|package|fuzz|test
#   run:     CMake, MinGW-w64, Wine with its dialog fonts, halibut (the help file), and when
#            there is no display Xvfb and the X library headers (tools/wm_state beside it)
#   package: CMake, MinGW-w64, halibut, NSIS and zip (scripts/package.sh)
#   fuzz:    CMake, clang with libFuzzer, GoogleTest (scripts/fuzz.sh)
#   test:    all of the above, and Google Benchmark, clang-format, git, the 32-bit MinGW-w64
#            compiler (a compile check), Xvfb, ImageMagick (screenshots), unzip, the .chm
#            reader, python3 (the icon check), procps (pgrep) and util-linux (setpriv, which
#            runs the tests of read-only files as an ordinary user when root runs the tests)
# When a package index cannot be downloaded (a mirror in the middle of a sync), the update
# is tried once more and then left to the install, which uses what the indexes hold; a
# failed install names the packages that are still missing.
set -euo pipefail
what=${1:-run}

base=(cmake make g++)
mingw=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)
display=(xvfb xauth libx11-dev)
packages=("${base[@]}")
case $what in
run)
    packages+=("${mingw[@]}" wine wine64 fonts-wine halibut)
    [ -n "${DISPLAY:-}" ] || packages+=("${display[@]}")
    estimate="5 to 10 minutes"
    ;;
package)
    packages+=("${mingw[@]}" halibut nsis zip)
    estimate="2 to 5 minutes"
    ;;
fuzz)
    packages+=(clang libclang-rt-14-dev googletest libgtest-dev)
    estimate="3 to 5 minutes"
    ;;
test)
    packages+=("${mingw[@]}" wine wine64 fonts-wine halibut "${display[@]}" nsis zip unzip
               clang libclang-rt-14-dev clang-format googletest libgtest-dev libbenchmark-dev
               g++-mingw-w64-i686-posix binutils-mingw-w64-i686 imagemagick libchm-bin git
               python3 procps util-linux)
    estimate="10 to 20 minutes"
    ;;
*)
    echo "usage: $0 run|package|fuzz|test" >&2
    exit 2
    ;;
esac

# The packages of the list that are not installed.
missing_of() {
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            echo "$package"
    done
}
mapfile -t missing < <(missing_of "${packages[@]}")
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || {
        echo "install-deps.sh: as root (or with sudo), install: ${missing[*]}" >&2
        exit 1
    }
    sudo=(sudo)
fi
# env carries the setting through sudo, which drops the caller's environment; the lock
# timeout waits for another apt (an automatic update, say) instead of failing at once.
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300)

echo "== installing from Debian, which may take $estimate on a fresh machine:" \
    "${missing[*]}"
if ! "${apt[@]}" update -qq; then
    echo "== apt-get update reported a failed index: trying again in 20 s" >&2
    sleep 20
    "${apt[@]}" update -qq ||
        echo "== apt-get update failed again: installing from the indexes that were read" >&2
fi
if ! "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
    mapfile -t still < <(missing_of "${missing[@]}")
    echo "install-deps.sh: could not install: ${still[*]:-(apt-get failed after installing them)}" >&2
    exit 1
fi
mapfile -t still < <(missing_of "${missing[@]}")
if [ ${#still[@]} -gt 0 ]; then
    echo "install-deps.sh: could not install: ${still[*]}" >&2
    exit 1
fi
echo "== installed"

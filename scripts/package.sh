#!/usr/bin/env bash
# Builds the two downloads from the Release build (build/win/bin):
#   dist/zantrel-VERSION-setup.exe   the setup program (installer/zantrel.nsi, makensis)
#   dist/zantrel-VERSION-win64.zip   the portable copy: zantrel.exe, zantrel.chm, zantrel.hlp,
#                                    license.txt
# VERSION is the build's (project() in CMakeLists.txt); the setup program carries it too.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" package
. "$root/scripts/wine-env.sh"

mkdir -p "$root/build"
build_win zantrel >"$root/build/package-build.log" 2>&1 || { tail -40 "$root/build/package-build.log"; exit 1; }
bin=$root/build/win/bin
files=(zantrel.exe zantrel.chm zantrel.hlp license.txt)
for file in "${files[@]}"; do
    [ -s "$bin/$file" ] || { echo "package.sh: $bin/$file is missing" >&2; exit 1; }
done

version=$(built_version) || { echo "package.sh: the build has no version" >&2; exit 1; }
quad=$(sed -n 's/^#define ZANTREL_VERSION_QUAD "\(.*\)"$/\1/p' "$root/build/win/generated/zantrel_version.h")
dist=$root/dist
setup=$dist/zantrel-$version-setup.exe
zip=$dist/zantrel-$version-win64.zip
mkdir -p "$dist"
rm -f "$setup" "$zip"

makensis -V2 -DBIN="$bin" -DOUTFILE="$setup" -DVERSION="$version" -DVERSION_QUAD="$quad" \
    "$root/installer/zantrel.nsi"
# -X: no Unix extra fields, -j: the files at the top of the archive, -D: no folder entries.
(cd "$bin" && zip -q -X -j -D "$zip" "${files[@]}")

for download in "$setup" "$zip"; do
    echo "$(basename "$download"): $(stat -c %s "$download") bytes"
done

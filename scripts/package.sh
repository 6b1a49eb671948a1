#!/usr/bin/env bash
# Builds the two downloads from the Release build (build/win/bin):
#   dist/zantrel-VERSION-setup.exe   the setup program (installer/zantrel.nsi, makensis)
#   dist/zantrel-VERSION-win64.zip   the portable copy: zantrel.exe, zantrel.chm, zantrel.hlp,
#                                    license.txt
# VERSION is the one the setup program carries.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" package
. "$root/scripts/wine-env.sh"

build_win zantrel >"$root/build/package-build.log" 2>&1 || { tail -40 "$root/build/package-build.log"; exit 1; }
bin=$root/build/win/bin
files=(zantrel.exe zantrel.chm zantrel.hlp license.txt)
for file in "${files[@]}"; do
    [ -s "$bin/$file" ] || { echo "package.sh: $bin/$file is missing" >&2; exit 1; }
done

version=$(sed -n 's/^!define VERSION "\(.*\)"$/\1/p' "$root/installer/zantrel.nsi")
[ -n "$version" ] || { echo "package.sh: no VERSION in installer/zantrel.nsi" >&2; exit 1; }
dist=$root/dist
setup=$dist/zantrel-$version-setup.exe
zip=$dist/zantrel-$version-win64.zip
mkdir -p "$dist"
rm -f "$setup" "$zip"

makensis -V2 -DBIN="$bin" -DOUTFILE="$setup" "$root/installer/zantrel.nsi"
# -X: no Unix extra fields, -j: the files at the top of the archive, -D: no folder entries.
(cd "$bin" && zip -q -X -j -D "$zip" "${files[@]}")

for download in "$setup" "$zip"; do
    echo "$(basename "$download"): $(stat -c %s "$download") bytes"
done

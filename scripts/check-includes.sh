#!/usr/bin/env bash
# Checks which program folders include which: app/ may include every other folder; ui/
# may include run/, programs/ and state/; run/ may include programs/ and state/; programs/
# may include state/; state/ includes none of the others. res/ (the resource header) is
# open to all. A relative include counts as the folder it reaches. Prints each offending
# include as FILE:LINE and exits 1 when there is one.   scripts/check-includes.sh [ROOT]
set -uo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}

forbidden() {  # the folders that FOLDER must not include
    case $1 in
        state) echo "app run ui programs" ;;
        programs) echo "app run ui" ;;
        run) echo "app ui" ;;
        ui) echo "app" ;;
        *) echo "" ;;
    esac
}

status=0
for folder in state programs run ui; do
    [ -d "$root/$folder" ] || continue
    banned=" $(forbidden "$folder") "
    while IFS=: read -r file line text; do
        target=$(echo "$text" | sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]([^">]*)[">].*/\1/p')
        # A relative include ("../ui/dialogs.h") is taken from the including file's folder.
        case $target in
            ./* | ../* | */./* | */../*)
                target=$(realpath -m --relative-to="$root" "$(dirname "$file")/$target") ;;
        esac
        [[ "$target" == */* && "$banned" == *" ${target%%/*} "* ]] || continue
        echo "${file#"$root"/}:$line:$text: $folder/ must not include $(forbidden "$folder" | sed 's#\([a-z]*\)#\1/#g')"
        status=1
    done < <(grep -HnE '^[[:space:]]*#[[:space:]]*include' \
        "$root/$folder" -r --include='*.h' --include='*.cpp' --include='*.rc')
done
exit $status

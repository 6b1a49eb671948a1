#!/bin/sh
# Builds the libFuzzer targets with clang and runs them one after the other, sharing the
# given number of seconds between them.
#   scripts/fuzz.sh [seconds [target...]]   (default 60 s for all targets; the build
#                                           directory is $FUZZ_BUILD_DIR, default build-fuzz)
#   scripts/fuzz.sh 3600 state_load_fuzz    fuzzes the registry load for an hour
# Targets: exchange_file_fuzz (the alias import), state_load_fuzz (the load from the registry).
# Each target starts from its seed corpus in tests/fuzz/corpus/<target minus _fuzz>; new inputs
# go to the build directory, never into the repository. Exits non-zero when a target fails.
set -eu

seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=${*:-exchange_file_fuzz state_load_fuzz}
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$repo/build-fuzz}
"$repo/scripts/install-deps.sh" fuzz

CC=${CC:-clang} CXX=${CXX:-clang++} cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Debug \
    -DZANTREL_FUZZ=ON -DZANTREL_TESTS=ON >/dev/null
cmake --build "$build" -j2 --target $targets

count=$(echo $targets | wc -w)
each=$((seconds / count))
[ "$each" -ge 1 ] || each=1
status=0
for target in $targets; do
    seeds="$repo/tests/fuzz/corpus/${target%_fuzz}"
    work="$build/fuzz-work/$target"
    mkdir -p "$work/corpus" "$work/artifacts"
    echo "== $target for ${each}s"
    if ! "$build/bin/$target" "$work/corpus" "$seeds" -max_total_time="$each" \
        -artifact_prefix="$work/artifacts/" -print_final_stats=1; then
        echo "== $target FAILED: the input is in $work/artifacts/" >&2
        status=1
    fi
done
exit $status

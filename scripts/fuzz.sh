#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for the given number of seconds.
#   scripts/fuzz.sh [seconds]        (default 60; the build directory is $FUZZ_BUILD_DIR,
#                                     default build-fuzz in the repository)
# Each target starts from its seed corpus in tests/fuzz/corpus/<target minus _fuzz>; new inputs
# go to the build directory, never into the repository. Exits non-zero when a target fails.
set -eu

seconds=${1:-60}
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$repo/build-fuzz}

CC=${CC:-clang} CXX=${CXX:-clang++} cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Debug \
    -DZANTREL_FUZZ=ON -DZANTREL_TESTS=ON >/dev/null
targets="exchange_file_fuzz"
cmake --build "$build" -j2 --target $targets

status=0
for target in $targets; do
    seeds="$repo/tests/fuzz/corpus/${target%_fuzz}"
    work="$build/fuzz-work/$target"
    mkdir -p "$work/corpus" "$work/artifacts"
    echo "== $target for ${seconds}s"
    if ! "$build/bin/$target" "$work/corpus" "$seeds" -max_total_time="$seconds" \
        -artifact_prefix="$work/artifacts/" -print_final_stats=1; then
        echo "== $target FAILED: the input is in $work/artifacts/" >&2
        status=1
    fi
done
exit $status

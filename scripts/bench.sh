#!/usr/bin/env bash
# Runs the benchmarks. Each compares with a baseline measured in the same run, so read
# the ratios rather than the times.
#   native (Release, no sanitizers): registry load/save and lookup, alias import/export,
#     each load and import also as it was before the name index; repeated in random
#     interleaving, medians reported; and the ranking of suggestions for 10,000 names
#     against a case-insensitive substring scan of them
#   under Wine: start-up against a bare Win32 program and against a floor program that makes
#   start-up's platform calls, hot key to a ready window against a bare program on the same
#   hot key, Enter to started child against a direct CreateProcessA (and the shell's refusal
#   of its line alone, the part that the direct call does not have), Launcher against
#   CreateProcessA, load and save on the real registry, the import from a real file, a
#   key press to the suggestion list on a folder of 10,000 entries against a bare enumeration,
#   a key press to the list with 5,000 aliases against 10, the echo of a key while a folder of
#   10,000 entries is listed against a folder that does not exist (typed right after the '\'
#   and after pauses that meet the read at work), a day of use (10,000 keys,
#   1,000 call-ups) against the program's handle and window counts,
#   and the program index (its build against a bare folder walk, its memory against an empty
#   Start menu, its idle context switches over 60 s against the floor program)
# Exits 0 after a complete run, 1 when a benchmark failed (every other one still runs).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" test || exit 1
. "$root/scripts/wine-env.sh"

cmake -S "$root" -B "$root/build/bench-native" -DCMAKE_BUILD_TYPE=Release -DZANTREL_SANITIZE=OFF \
    >/dev/null || exit 1
cmake --build "$root/build/bench-native" -j2 --target bench_state bench_exchange bench_rank \
    >/dev/null || exit 1
build_win >/dev/null || exit 1

failed=()
for bench in bench_state bench_exchange; do
    echo "== $bench (native)"
    "$root/build/bench-native/bin/$bench" --benchmark_repetitions=5 \
        --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true ||
        failed+=("$bench")
done
echo "== bench_rank (native)"
"$root/build/bench-native/bin/bench_rank" || failed+=(bench_rank)

need_display || exit 1
trap 'wineserver -k 2>/dev/null; stop_display' EXIT
rm -rf "$root/build/wineprefix-bench"
wine_prefix "$root/build/wineprefix-bench" || exit 1
for bench in bench_startup bench_hotkey bench_enter bench_launch bench_state_win bench_exchange_win \
    bench_suggest bench_list bench_echo bench_day bench_programs; do
    echo "== $bench (Wine)"
    wine "$root/build/win/bin/$bench.exe" || failed+=("$bench")
    wineserver -w
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "failed: ${failed[*]}"
    exit 1
fi
echo "all benchmarks ran"
exit 0

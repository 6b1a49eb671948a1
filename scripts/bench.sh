#!/usr/bin/env bash
# Runs the benchmarks. Each compares with a baseline measured in the same run, so read
# the ratios rather than the times.
#   native (Release, no sanitizers): registry load/save and lookup, alias import/export
#   under Wine: start-up against a bare Win32 program, Enter to started child against a
#   direct CreateProcessA, Launcher against CreateProcessA, load and save on the real registry
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" test
. "$root/scripts/wine-env.sh"

cmake -S "$root" -B "$root/build/bench-native" -DCMAKE_BUILD_TYPE=Release -DZANTREL_SANITIZE=OFF >/dev/null
cmake --build "$root/build/bench-native" -j2 --target bench_state bench_exchange >/dev/null
build_win >/dev/null

for bench in bench_state bench_exchange; do
    echo "== $bench (native)"
    "$root/build/bench-native/bin/$bench"
done

need_display
trap 'wineserver -k 2>/dev/null; stop_display' EXIT
rm -rf "$root/build/wineprefix-bench"
wine_prefix "$root/build/wineprefix-bench"
for bench in bench_startup bench_enter bench_launch bench_state_win; do
    echo "== $bench (Wine)"
    wine "$root/build/win/bin/$bench.exe"
    wineserver -w || true
done

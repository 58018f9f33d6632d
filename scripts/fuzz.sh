#!/bin/sh
# Builds the storage-file fuzz targets (clang, libFuzzer, AddressSanitizer, UBSan) and runs one
# for a bounded time.
#   scripts/fuzz.sh [seconds] [target]   default 60 s of fuzz_storage (the readers, fast);
#                                        fuzz_storage_pipeline runs every rewrite on a real file.
#   The long run by hand: scripts/fuzz.sh 3600, or -runs: FUZZ_RUNS=10000000 scripts/fuzz.sh 0
# FUZZ_BUILD_DIR (default build/fuzz) holds the build, the corpus the fuzzer grows and the log
# of the last run. The committed starting inputs in tests/fuzz/corpus are read, never filled; an input that
# breaks a rule is copied there as regress-<sha1> so the normal test suite replays it, and the
# script fails.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
target=${2:-fuzz_storage}
build=${FUZZ_BUILD_DIR:-$root/build/fuzz}
starters=$root/tests/fuzz/corpus

if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz: clang++ is missing (scripts/install-deps.sh --test installs it)" >&2
    exit 77
fi
CXX=clang++ cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel 2 >/dev/null

mkdir -p "$build/corpus-$target" "$build/artifacts"
rm -f "$build/artifacts/"*
log=$build/last-run-$target.log
limit="-max_total_time=$seconds"
[ -n "${FUZZ_RUNS:-}" ] && limit="-runs=$FUZZ_RUNS"
echo "fuzz: running $target ($limit), log in $log"
status=0
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=64}
# The CPU time next to the wall time: on a busy machine only the former says how fast the target is.
timer=""
[ -x /usr/bin/time ] && timer="/usr/bin/time -o $build/cpu-$target.txt -f %U_user_%S_sys_%e_wall"
$timer "$build/$target" "$limit" -max_len=8192 -timeout=20 -rss_limit_mb=2048 \
    -dict="$root/tests/fuzz/storage.dict" -print_final_stats=1 -artifact_prefix="$build/artifacts/" "$build/corpus-$target" "$starters" >"$log" 2>&1 || status=$?

for found in "$build/artifacts/"*; do
    [ -e "$found" ] || continue
    name=regress-$(sha1sum "$found" | cut -c1-16)
    cp "$found" "$starters/$name"
    echo "fuzz: new failing input saved as tests/fuzz/corpus/$name" >&2
    status=1
done
grep -E "storage rule broken|ERROR: |runtime error|SUMMARY" "$log" >&2 || true
grep -E "^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)|^Done " "$log" || tail -n 5 "$log"
[ -f "$build/cpu-$target.txt" ] && echo "cpu: $(tail -n 1 "$build/cpu-$target.txt" | tr _ ' ')"
exit "$status"

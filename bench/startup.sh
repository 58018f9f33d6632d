#!/bin/bash
# Start-up time to the first exposed window (median of runs) and peak memory of an idle start,
# for an empty storage file and for one with 20 entries. Run inside the test session:
#   scripts/test-session.sh bench/startup.sh [build-dir] [runs]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
runs=${2:-9}
cmake --build "$build" --target bench_startup tavrel >/dev/null
# bench_startup is the window without the program's main(): spare it the GL driver the session's
# setting keeps out. The real program below runs as a person launches it, without that setting.
export QT_XCB_GL_INTEGRATION=none

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

for entries in 0 20; do
    times=()
    for _ in $(seq "$runs"); do
        home=$(mktemp -d)
        start=$(date +%s%3N)
        line=$(HOME=$home "$build/bench/bench_startup" "$entries")
        times+=($(( $(echo "$line" | awk '{print $2}') - start )))
        rm -rf "$home"
    done
    # Peak memory of the real program, idle for 3 s after start.
    home=$(mktemp -d)
    HOME=$home "$build/bench/bench_startup" "$entries" >/dev/null # writes the storage file
    env -u QT_XCB_GL_INTEGRATION HOME="$home" "$build/tavrel" & pid=$!
    sleep 3
    hwm=$(awk '/VmHWM/ {print $2}' /proc/$pid/status)
    kill $pid; wait $pid 2>/dev/null || true
    rm -rf "$home"
    echo "entries=$entries start-to-window median ${runs} runs: $(printf '%s\n' "${times[@]}" | median) ms" \
         "(all: ${times[*]}); idle peak RSS: $((hwm / 1024)) MB"
done

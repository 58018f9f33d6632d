#!/bin/bash
# The tick with 20 enabled entries (10 weekly alarms, 10 timers counting down): its median cost
# in microseconds, its instructions under callgrind, and the CPU share of the running window over
# a minute. Run inside the test session:
#   scripts/test-session.sh bench/tick.sh [build-dir] [idle-seconds]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
idle=${2:-60}
cmake --build "$build" --target bench_tick >/dev/null
bench=$build/bench/bench_tick

echo "== wall clock, 5000 ticks"
"$bench" ticks 5000 2>/dev/null

echo "== instructions per tick (callgrind, 400 ticks)"
out=$(mktemp)
valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$out" \
    "$bench" ticks 400 >/dev/null 2>&1
total=$(awk '/^totals:/ {print $2}' "$out")
rm -f "$out"
echo "instructions_total=$total instructions_per_tick=$((total / 400))"

echo "== CPU of the running window over ${idle} s"
"$bench" idle "$idle" 2>/dev/null

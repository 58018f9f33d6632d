#!/bin/bash
# How long a second launch takes to hand over to the running program and end: the first program
# runs on the virtual desktop with its window shown, then the program is started again N times.
# Once with the session bus (the window is asked to come forward), once without a bus (only the
# lock file answers). Run inside the test session:
#   scripts/test-session.sh bench/handover.sh [build-dir] [runs]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
runs=${2:-10}
cmake --build "$build" --target tavrel >/dev/null
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
for mode in bus no-bus; do
    if [ "$mode" = no-bus ]; then
        bus=unix:path=$home/no-bus-here
    else
        bus=$DBUS_SESSION_BUS_ADDRESS
    fi
    HOME=$home DBUS_SESSION_BUS_ADDRESS=$bus "$build/tavrel" >/dev/null 2>&1 &
    first=$!
    xdotool search --sync --onlyvisible --name '^Tavrel$' >/dev/null
    times=()
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        HOME=$home DBUS_SESSION_BUS_ADDRESS=$bus "$build/tavrel" >/dev/null 2>&1 || echo "status $?" >&2
        times+=($((($(date +%s%N) - start) / 1000000)))
    done
    kill "$first"
    wait "$first" 2>/dev/null || true
    sorted=$(printf '%s\n' "${times[@]}" | sort -n)
    echo "$mode: second launch to its end, median of $runs: $(echo "$sorted" | median) ms" \
        "($(echo "$sorted" | head -1)-$(echo "$sorted" | tail -1); all: ${times[*]})"
done

#!/bin/bash
# The real tavrel on the journeys' virtual desktop (Xvfb, trayer, private bus with a tray watcher
# and a notification daemon, PipeWire with a null sink), in one run: start-up to the first shown
# window (median of 10), peak and steady memory, idle CPU over 60 s with 20 running entries, and
# ring latency (alarm minute or timer zero to the player's PlayingState, and to the first sound
# on the null sink) over 20 rings. Takes about five minutes; prints figures, asserts nothing.
#   bench/desktop-bench.sh [build-dir]
# Knobs: BENCH_STARTUP_RUNS (10), BENCH_IDLE_SECONDS (60). Logs and the recording stay in
# <build-dir>/desktop-bench/.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
out=$build/desktop-bench
if [ -z "${TAVREL_BENCH_SESSION:-}" ]; then
    cmake --build "$build" --target tavrel >/dev/null
    rm -rf "$out"
    mkdir -p "$out"
    echo "machine: $(nproc) cores, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1)," \
        "$(awk '/MemTotal/ {printf "%.1f GB RAM", $2 / 1048576}' /proc/meminfo)," \
        "Debian $(cat /etc/debian_version)"
    export TAVREL_BENCH_SESSION=1 LANG=C.UTF-8 LC_ALL=C.UTF-8 PYTHONIOENCODING=utf-8
    exec "$here/scripts/test-session.sh" "$here/tests/journeys/session.sh" "$out/session" \
        "$0" "$build"
fi
exec /usr/bin/python3 "$here/bench/desktop_bench.py" "$build/tavrel" "$out"

#!/bin/bash
# The real tavrel beside a floor (a bare Qt 5 tray program with a 500 ms tick updating one label)
# on one virtual desktop (Xvfb 1920x1080, trayer, a private bus with a tray watcher and a
# notification daemon, PipeWire with a null sink), both launched as a person launches them, with
# no GL or other override. Prints start-up to the mapped window (two passes), resident memory,
# threads, idle CPU and wakeups, instructions per tick (callgrind), whether a GL driver is mapped,
# ring latency (alarms from the minute's start, timers from their deadline, to PlayingState and to
# the first sound on the sink), memory over the rings, and a markdown table of it all with the
# machine and the date. About nine minutes; prints figures, asserts nothing.
#   bench/desktop-bench.sh [build-dir]
# Knobs: BENCH_STARTUP_RUNS (5 per pass), BENCH_IDLE_SECONDS (60), BENCH_CALLGRIND_SECONDS (20),
# BENCH_RINGS (20 alarms and 20 timers), BENCH_ALARMS_PER_MINUTE (10), BENCH_TICK_FUNCTION
# (a regular expression for the tick's name under callgrind, ^MainWindow::tick\(\)$), BENCH_SKIP
# (a comma list of startup, idle, callgrind, rings), BENCH_STYLES (a comma list of Qt styles, say
# Fusion,Windows: both programs get -style; the idle section runs once per style, the rest in the
# first). Logs, callgrind files and recordings stay in <build-dir>/desktop-bench/.
# Just the idle section under two styles:
#   BENCH_SKIP=startup,callgrind,rings BENCH_STYLES=Fusion,Windows bench/desktop-bench.sh
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
out=$build/desktop-bench
if [ -z "${TAVREL_BENCH_SESSION:-}" ]; then
    cmake --build "$build" --target tavrel bench_floor >/dev/null
    rm -rf "$out"
    mkdir -p "$out"
    export TAVREL_BENCH_SESSION=1 LANG=C.UTF-8 LC_ALL=C.UTF-8 PYTHONIOENCODING=utf-8
    export TEST_SESSION_SCREEN=1920x1080x24
    exec "$here/scripts/test-session.sh" "$here/tests/journeys/session.sh" "$out/session" \
        "$0" "$build"
fi
# The test session keeps GL and JACK out for the tests' sake; a person's desktop sets neither.
unset QT_XCB_GL_INTEGRATION GST_PLUGIN_FEATURE_RANK
exec /usr/bin/python3 "$here/bench/desktop_bench.py" "$build/tavrel" "$build/bench/bench_floor" "$out"

#!/bin/bash
# Runs one command inside a throw-away virtual desktop and returns its exit status:
#   scripts/test-session.sh <command> [args...]
#
# The command gets: an Xvfb screen (1280x1024x24) on a display number nobody else
# holds, a private D-Bus session bus, a trayer system tray on that screen (waited
# for, so QSystemTrayIcon::isSystemTrayAvailable() is true), and no sound server,
# so GStreamer falls back to a sink that still plays in real time.
# Everything started here, including whatever the command leaves running in its
# process group, is stopped on exit, failure, Ctrl-C, TERM or HUP.
#
# Environment knobs:
#   TEST_SESSION_TRAY_TIMEOUT  seconds to wait for the tray (default 5)
#   TEST_SESSION_VERBOSE=1     say on stderr what was started
#   TEST_SESSION_SCREEN        the screen's WxHxDepth (default 1280x1024x24)
# Needs the packages of `scripts/install-deps.sh --test`.

# Functions here run from traps and polls, which shellcheck takes for dead code.
# shellcheck disable=SC2317
set -u

me=test-session
tray_timeout=${TEST_SESSION_TRAY_TIMEOUT:-5}
verbose=${TEST_SESSION_VERBOSE:-0}
screen=${TEST_SESSION_SCREEN:-1280x1024x24}

if [ $# -eq 0 ] || [ "$1" = "-h" ] || [ "$1" = "--help" ]; then
    sed -n '2,16s/^# \{0,1\}//p' "$0" >&2
    [ $# -eq 0 ] && exit 2
    exit 0
fi

for tool in Xvfb xauth dbus-daemon trayer /usr/bin/python3; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$me: $tool is missing; run scripts/install-deps.sh --test" >&2
        exit 127
    fi
done
# The tray check talks X from Debian's python; another python3 on PATH may lack the module.
if ! /usr/bin/python3 -c 'import Xlib' 2>/dev/null; then
    echo "$me: python3-xlib is missing; run scripts/install-deps.sh --test" >&2
    exit 127
fi

# Without tzdata every zone silently reads as UTC: the daylight-saving tests would pass with no
# clock change at all.
for zone in Europe/Berlin America/New_York Australia/Lord_Howe; do
    if [ ! -f "/usr/share/zoneinfo/$zone" ]; then
        echo "$me: tzdata is missing (no $zone); run scripts/install-deps.sh --test" >&2
        exit 127
    fi
done
# The journeys fake the wall clock with libfaketime, found where this system installed it.
TAVREL_FAKETIME_LIB=$( (dpkg -L libfaketime 2>/dev/null; ls /usr/lib/*/faketime/* /usr/lib/faketime/* 2>/dev/null) |
    grep -m 1 '/libfaketime\.so\.1$')
if [ ! -f "$TAVREL_FAKETIME_LIB" ]; then
    echo "$me: libfaketime is missing; run scripts/install-deps.sh --test" >&2
    exit 127
fi
export TAVREL_FAKETIME_LIB

say() { [ "$verbose" = 1 ] && echo "$me: $*" >&2; return 0; }

tmp=""
xvfb_pid="" bus_pid="" tray_pid="" cmd_pid=""
cleaned=0

# Sends TERM, gives the target up to 2 s, then KILL. A negative id means a process group.
stop() {
    local target=$1 _
    kill -TERM -- "$target" 2>/dev/null || return 0
    for _ in $(seq 40); do
        kill -0 -- "$target" 2>/dev/null || return 0
        sleep 0.05
    done
    kill -KILL -- "$target" 2>/dev/null
    return 0
}

cleanup() {
    [ "$cleaned" = 1 ] && return
    cleaned=1
    # The command's group first: it may still hold the display or the bus.
    if [ -n "$cmd_pid" ]; then
        stop "-$cmd_pid"
        wait "$cmd_pid" 2>/dev/null
    fi
    local p
    for p in "$tray_pid" "$bus_pid" "$xvfb_pid"; do
        [ -n "$p" ] || continue
        stop "$p"
        wait "$p" 2>/dev/null
    done
    [ -n "$tmp" ] && rm -rf "$tmp"
}

on_signal() {
    cleanup
    # Die by the same signal so a calling shell or make sees the interruption.
    trap - "$1"
    kill -s "$1" $$
    exit "$2"
}

trap cleanup EXIT
trap 'on_signal INT 130' INT
trap 'on_signal TERM 143' TERM
trap 'on_signal HUP 129' HUP

fail() {
    echo "$me: $*" >&2
    local log
    for log in "$tmp"/*.log; do
        [ -s "$log" ] || continue
        echo "--- ${log##*/}" >&2
        tail -n 20 "$log" >&2
    done
    exit 125
}

# Polls every 50 ms until "$@" succeeds, at most $1 seconds.
wait_for() {
    local secs=$1 _
    shift
    for _ in $(seq $((secs * 20))); do
        "$@" && return 0
        sleep 0.05
    done
    "$@"
}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-session.XXXXXX") || exit 125
chmod 700 "$tmp"

# --- X server -----------------------------------------------------------------
# The server reads its cookie at start-up, before the display number is known; it
# ignores the display part of each entry, so any name carries the cookie to it.
cookie=$(mcookie 2>/dev/null || od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
: >"$tmp/server.auth"
: >"$tmp/Xauthority"
xauth -q -f "$tmp/server.auth" add :0 . "$cookie" || fail "xauth failed"

# Made up front so the readiness polls never look at a missing file.
: >"$tmp/display"
: >"$tmp/bus"

# -displayfd lets Xvfb pick a free display itself, which is what makes parallel
# sessions safe, and it writes the number only once it accepts connections.
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset \
    -auth "$tmp/server.auth" 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 </dev/null &
xvfb_pid=$!

display_ready() {
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb exited during start-up"
    [ "$(wc -l <"$tmp/display")" -ge 1 ]
}
wait_for 10 display_ready || fail "Xvfb gave no display number within 10 s"
read -r dispno <"$tmp/display"
export DISPLAY=":$dispno"
export XAUTHORITY="$tmp/Xauthority"
xauth -q -f "$XAUTHORITY" add "$DISPLAY" . "$cookie" || fail "xauth failed"
say "Xvfb pid $xvfb_pid on $DISPLAY"

# --- desktop-wide environment ------------------------------------------------------
export QT_QPA_PLATFORM=xcb
export QT_XCB_GL_INTEGRATION=none
# No sound server: a server that is not there, and an empty runtime dir so neither
# PulseAudio nor PipeWire sockets are found. GStreamer then uses its paced fallback.
export PULSE_SERVER=/nonexistent
mkdir -m 700 "$tmp/runtime"
export XDG_RUNTIME_DIR="$tmp/runtime"
# autoaudiosink would try JACK next. libjack opens a lock database in /dev/shm shared by
# all of the user's processes, and a player stuck in it was seen to hang for good, so
# keep JACK out of the choice.
export GST_PLUGIN_FEATURE_RANK="${GST_PLUGIN_FEATURE_RANK:+$GST_PLUGIN_FEATURE_RANK,}jackaudiosink:NONE"
# Nothing here may reach the caller's own desktop.
unset WAYLAND_DISPLAY SESSION_MANAGER PIPEWIRE_REMOTE GNOME_KEYRING_CONTROL \
    DBUS_SESSION_BUS_PID DBUS_STARTER_ADDRESS DBUS_STARTER_BUS_TYPE \
    XDG_SESSION_ID XDG_SESSION_TYPE XDG_CURRENT_DESKTOP

# --- D-Bus session bus ---------------------------------------------------------------
# Started after DISPLAY is set so services it activates land on our screen.
dbus-daemon --session --nofork --nopidfile --address="unix:dir=$tmp" \
    --print-address=3 3>"$tmp/bus" >"$tmp/dbus.log" 2>&1 </dev/null &
bus_pid=$!
bus_ready() {
    kill -0 "$bus_pid" 2>/dev/null || fail "dbus-daemon exited during start-up"
    [ "$(wc -l <"$tmp/bus")" -ge 1 ]
}
wait_for 10 bus_ready || fail "dbus-daemon gave no address within 10 s"
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$tmp/bus")
export DBUS_SESSION_BUS_ADDRESS
say "dbus-daemon pid $bus_pid at $DBUS_SESSION_BUS_ADDRESS"

# --- system tray -------------------------------------------------------------------
trayer --edge bottom --align right --widthtype request --height 32 \
    >"$tmp/trayer.log" 2>&1 </dev/null &
tray_pid=$!

# Qt calls the tray available once the _NET_SYSTEM_TRAY_S<screen> selection has an
# owner, so wait for exactly that.
/usr/bin/python3 - "$tray_timeout" "$tray_pid" <<'EOF' || fail "no system tray on $DISPLAY within ${tray_timeout} s"
import os, sys, time
from Xlib import X, display

timeout, tray_pid = float(sys.argv[1]), int(sys.argv[2])
d = display.Display()
sel = d.intern_atom("_NET_SYSTEM_TRAY_S%d" % d.get_default_screen())
deadline = time.monotonic() + timeout
while True:
    if d.get_selection_owner(sel) != X.NONE:
        sys.exit(0)
    try:
        os.kill(tray_pid, 0)
    except ProcessLookupError:
        sys.exit(1)
    if time.monotonic() >= deadline:
        sys.exit(1)
    time.sleep(0.05)
EOF
say "trayer pid $tray_pid owns the tray"

# --- the command ---------------------------------------------------------------------
# Job control gives the command its own process group, so whatever it leaves behind
# can be stopped with it, and keeps SIGINT/SIGQUIT at their defaults in it (plain
# background jobs of a script would ignore them). Stdin stays the caller's.
set -m
"$@" &
cmd_pid=$!
set +m
say "command pid $cmd_pid: $*"

wait "$cmd_pid"
status=$?
# wait returns early only when a trapped signal arrived; then the trap has exited already.
exit "$status"

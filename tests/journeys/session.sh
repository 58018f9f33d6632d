#!/bin/bash
# Adds to the virtual desktop of scripts/test-session.sh what a person's desktop has and the
# journeys listen to: a PipeWire sound server whose default output is a null sink (its monitor
# is what the journeys record), and the desktop's bus services (tray watcher, notifications).
#   scripts/test-session.sh tests/journeys/session.sh <log-dir> <command> [args...]
# Exports JOURNEY_NOTES (one JSON line per notification) and JOURNEY_ITEMS (tray items).
set -u
logs=$1
shift
mkdir -p "$logs"
here=$(cd "$(dirname "$0")" && pwd)
pids=()

cleanup() {
    local p
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        p=${pids[i]}
        kill -TERM "$p" 2>/dev/null
    done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
}
trap cleanup EXIT

fail() {
    echo "journey session: $*" >&2
    local f
    for f in "$logs"/pipewire.log "$logs"/wireplumber.log "$logs"/pipewire-pulse.log "$logs"/bus.log; do
        [ -s "$f" ] && { echo "--- ${f##*/}" >&2; tail -n 20 "$f" >&2; }
    done
    exit 125
}

# Polls every 100 ms until "$@" succeeds, at most $1 seconds.
wait_for() {
    local secs=$1 _
    shift
    for _ in $(seq $((secs * 10))); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    "$@" >/dev/null 2>&1
}

# test-session.sh keeps sound servers out on purpose; the journeys want one of their own,
# living in the session's private runtime directory.
unset PULSE_SERVER
[ -n "${XDG_RUNTIME_DIR:-}" ] && [ -d "$XDG_RUNTIME_DIR" ] || fail "no private XDG_RUNTIME_DIR"
export PIPEWIRE_RUNTIME_DIR=$XDG_RUNTIME_DIR
export PULSE_RUNTIME_PATH=$XDG_RUNTIME_DIR/pulse
# The player takes the route most desktops give it: GStreamer's pulse sink into pipewire-pulse.
# That is where a player prepared long before its ring once came out late by as long as it had
# waited, so the journeys listen on this route.

pipewire >"$logs/pipewire.log" 2>&1 </dev/null &
pids+=($!)
wait_for 10 test -S "$XDG_RUNTIME_DIR/pipewire-0" || fail "pipewire did not start"
wireplumber >"$logs/wireplumber.log" 2>&1 </dev/null &
pids+=($!)
pipewire-pulse >"$logs/pipewire-pulse.log" 2>&1 </dev/null &
pids+=($!)
wait_for 10 pactl info || fail "pipewire-pulse did not answer"
pactl load-module module-null-sink sink_name=nullsink \
    sink_properties=device.description=journey-null >/dev/null || fail "no null sink"
wait_for 10 pactl set-default-sink nullsink || fail "cannot make the null sink the default"
wait_for 10 sh -c 'pactl get-default-sink | grep -qx nullsink' || fail "null sink is not the default"

export JOURNEY_NOTES=$logs/notifications.jsonl JOURNEY_ITEMS=$logs/tray-items.jsonl
: >"$JOURNEY_NOTES"
: >"$JOURNEY_ITEMS"
coproc BUS { exec /usr/bin/python3 "$here/desktop_bus.py" "$JOURNEY_NOTES" "$JOURNEY_ITEMS" 2>"$logs/bus.log"; }
pids+=("$BUS_PID")
read -r -t 10 line <&"${BUS[0]}" && [ "$line" = ready ] || fail "desktop bus services did not start"

# A person's desktop has its accessibility services running from login on. Started on demand by
# the program's first start instead, they came up too late for it under load: it then never
# joined the accessibility tree.
/usr/bin/python3 -c 'import pyatspi; pyatspi.Registry.getDesktop(0).childCount' \
    >"$logs/a11y.log" 2>&1 || fail "the accessibility registry did not answer"

"$@"

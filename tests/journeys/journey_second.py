#!/usr/bin/python3
"""A second launch while the program runs with a timer counting down and its window minimised
(a double click on the launcher): the second launch ends with status 0, the running program
brings its window back as the active window, keeps its timer and its file as they were, and the timer rings once:
one notification, one ring on the null sink."""
import os
import subprocess
import time

from desk import (Desk, JourneyFailed, entry_lines, main_window_id, sound_spans,
                  wait_until, window_manager)
from journey_window import minimise, net_state, wm_state

RING_SECONDS = 3.45  # the built-in ring
STORED = "数量,1,背景图片,无\n" + entry_lines(1, "计时器", "泡茶", "00:00:12", loop="否",
                                          state="关闭")
ENABLED = STORED.replace("状态,关闭", "状态,开启")


def programs_with_home(home):
    """Pids of running programs whose HOME is this journey's."""
    pids = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/environ" % pid, "rb") as f:
                env = f.read().split(b"\0")
            with open("/proc/%s/comm" % pid) as f:
                comm = f.read().strip()
        except OSError:
            continue
        if comm == "tavrel" and ("HOME=" + home).encode() in env:
            pids.append(int(pid))
    return pids


def active_window():
    """The window the window manager calls active, as a number (0: none)."""
    out = subprocess.run(["xprop", "-root", "_NET_ACTIVE_WINDOW"], capture_output=True,
                         text=True).stdout
    return int(out.split("#")[-1].split(",")[0].strip(), 16) if "#" in out else 0


def second_launch(d):
    """Launches the program again as the launcher does; returns (status, seconds to its end)."""
    env = dict(os.environ, HOME=d.home)
    log = open(os.path.join(d.out, "tavrel-second.log"), "wb")
    began = time.monotonic()
    proc = subprocess.Popen([d.binary], env=env, stdout=log, stderr=subprocess.STDOUT,
                            stdin=subprocess.DEVNULL)
    try:
        status = proc.wait(10)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
        raise JourneyFailed("the second launch was still running after 10 s")
    return status, time.monotonic() - began


def journey(d):
    with window_manager(d):
        body(d)


def body(d):
    d.write_storage(STORED)
    d.record()
    d.start("first")
    wid = main_window_id(d)
    d.click(wait_until("the timer's row", d.rows, 5)[0]["box"], dx=8)
    enabled_at = time.time()
    d.expect_storage(ENABLED, "the enabled timer")
    minimise(d, wid)
    if active_window() == int(wid, 16):
        raise JourneyFailed("the minimised window is still the active one")

    status, seconds = second_launch(d)
    d.say("the second launch ended with status %d after %.0f ms" % (status, seconds * 1000))
    if status != 0:
        raise JourneyFailed("the second launch ended with status %d" % status)
    wait_until("the first program's window to come back", lambda: wm_state(wid) == "Normal"
               and "_NET_WM_STATE_HIDDEN" not in net_state(wid), 5)
    wait_until("the window to be the active one", lambda: active_window() == int(wid, 16), 5)
    d.say("window after the second launch: %s %s, active" % (wm_state(wid), sorted(net_state(wid))))
    if programs_with_home(d.home) != [d.proc.pid]:
        raise JourneyFailed("programs on this HOME: %r, the first is %d" % (
            programs_with_home(d.home), d.proc.pid))
    time.sleep(0.5)  # a second program would have reset the states in the file by now
    if d.storage() != ENABLED:
        raise JourneyFailed("the file changed after the second launch:\n" + d.storage())
    row = d.row_named("泡茶")
    if not row or not row["checked"]:
        raise JourneyFailed("the timer is no longer enabled: %r" % (row and row["labels"]))
    d.shot("after-second-launch")

    note = d.wait_note("计时器时间到了", "泡茶   到了。", after=enabled_at, timeout=20)
    wait_until("the timer to end disabled", lambda: (lambda r: r and not r["checked"])(
        d.row_named("泡茶")), RING_SECONDS + 6)
    time.sleep(1.0)  # a second program's ring would start within this
    spans = sound_spans(d.stop_recording())
    d.say("sound spans (s into the recording): %s" % [
        (round(a - d.rec_start, 2), round(b - d.rec_start, 2)) for a, b in spans])
    rings = [s for s in spans if s[1] - s[0] > 1.0]
    notes = [n for n in d.notes() if n["body"] == "泡茶   到了。"]
    if len(rings) != 1 or len(notes) != 1:
        raise JourneyFailed("expected one ring and one notification, heard %r, notified %d" % (
            spans, len(notes)))
    if not RING_SECONDS - 0.8 <= rings[0][1] - rings[0][0] <= RING_SECONDS + 1.0:
        raise JourneyFailed("the ring lasted %.2f s: two rings on top of each other?" % (
            rings[0][1] - rings[0][0]))
    d.say("rang %.2f s after the notification" % (rings[0][0] - note["time"]))


if __name__ == "__main__":
    Desk("second").run(journey)

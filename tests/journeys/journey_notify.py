#!/usr/bin/python3
"""A notification daemon that offers actions: a ring's message goes to it with "停止" and
"稍后提醒" (journey.snooze uses the latter), stays (critical, resident) while the ring goes on,
and is closed when it ends. A click on its body brings the minimised window back with the ring
still going; "停止" in it silences the ring within a second. Without such a daemon the tray's
message is used: the other journeys' daemon offers no actions, the window tests have none."""
import os
import time

from desk import (Desk, JourneyFailed, entry_lines, main_window_id, sound_spans,
                  start_window_manager, wait_until)
from journey_window import minimise, net_state, wm_state

STORED = "数量,1,背景图片,无\n" + entry_lines(1, "计时器", "面包", "00:00:02", state="关闭")
ACTIONS = ["stop", "停止", "snooze", "稍后提醒", "default", "Tavrel"]


def ours(d, body):
    return [n for n in d.notes() if n["body"] == body]


def check_note(note):
    want = {"app": "Tavrel", "summary": "计时器时间到了", "actions": ACTIONS, "timeout": 0,
            "hints": {"urgency": 2, "resident": 1, "desktop-entry": "tavrel"}}
    got = {k: note[k] for k in want}
    if got != want:
        raise JourneyFailed("the notification is %r, not %r" % (got, want))


def journey(d):
    if os.environ.get("JOURNEY_NOTIFY_ACTIONS") != "1":
        raise JourneyFailed("the session's notification daemon offers no actions")
    wm = start_window_manager(d)
    try:
        body(d)
    finally:
        wm.terminate()
        wm.wait(5)


def body(d):
    d.write_storage(STORED)
    d.start()
    wid = main_window_id(d)
    d.record()
    d.click(wait_until("the timer's row", d.rows, 5)[0]["box"], dx=8)
    enabled_at = time.time()
    note = wait_until("the ring's notification", lambda: ours(d, "面包   到了。"), 10)[0]
    d.say("notified %.2f s after enabling: %r" % (note["time"] - enabled_at, note))
    check_note(note)

    minimise(d, wid)
    d.invoke_note(note["id"], "default")
    wait_until("a click on the message to bring the window back", lambda: wm_state(wid) == "Normal"
               and "_NET_WM_STATE_HIDDEN" not in net_state(wid), 5)
    if not d.enabled(d.button("停止")) or note["id"] in d.notes(closed=True):
        raise JourneyFailed("the ring ended when its message was clicked")
    d.shot("window-from-notification")

    time.sleep(1.0)
    d.invoke_note(note["id"], "stop")
    stop_at = time.time()
    wait_until("the stop to take", lambda: not d.enabled(d.button("停止")), 3)
    wait_until("the message to be closed", lambda: note["id"] in d.notes(closed=True), 3)
    d.expect_storage(STORED, "the stopped timer stored as disabled")
    time.sleep(1.0)
    spans = sound_spans(d.stop_recording())
    d.say("sound spans (s after 停止): %r" % [(round(a - stop_at, 2), round(b - stop_at, 2))
                                            for a, b in spans])
    if not [s for s in spans if s[0] < stop_at]:
        raise JourneyFailed("the ring was not heard before 停止")
    if [s for s in spans if s[1] > stop_at + 1.0]:
        raise JourneyFailed("the ring went on after 停止 in the notification")
    if len(ours(d, "面包   到了。")) != 1:
        raise JourneyFailed("one ring made %d notifications" % len(ours(d, "面包   到了。")))


if __name__ == "__main__":
    Desk("notify").run(journey)

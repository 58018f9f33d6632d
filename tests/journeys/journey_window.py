#!/usr/bin/python3
"""On a desktop with a window manager (openbox): a left click on the tray icon brings a
minimised window back, and with the forced reminder on a ring pulls the minimised window up
maximised and shows the near-full-screen box. 停止 then silences the ring."""
import re
import subprocess
import time

from desk import (Desk, JourneyFailed, entry_lines, main_window_id, sound_spans,
                  wait_until, window_manager, xprop)

TOGGLE_OFF = "当前状态:否\n点击切换强制提醒"
TOGGLE_ON = "当前状态:是\n点击切换强制提醒"
SCREEN = (1280, 1024)


def wm_state(wid):
    m = re.search(r"window state: (\w+)", xprop("-id", wid, "WM_STATE"))
    return m.group(1) if m else None


def net_state(wid):
    return set(re.findall(r"_NET_WM_STATE_\w+", xprop("-id", wid, "_NET_WM_STATE")))


def frame_geometry(wid, frame=True):
    """Where the window sits on screen (with its decorations, as a person sees it)."""
    out = subprocess.run(["xwininfo"] + (["-frame"] if frame else []) + ["-id", wid],
                         capture_output=True, text=True).stdout
    get = lambda key: int(re.search(key + r":\s+(-?\d+)", out).group(1))
    return (get("Absolute upper-left X"), get("Absolute upper-left Y"), get("Width"),
            get("Height"))


def minimise(d, wid):
    d.xdo("windowminimize", "--sync", wid)
    wait_until("the window to be minimised", lambda: wm_state(wid) == "Iconic", 5)
    d.say("minimised: %s %s" % (wm_state(wid), sorted(net_state(wid))))


def reminder_box(d):
    label = d.need("label", "起床   到了。", timeout=20)
    box = label.parent
    while box.getRoleName() not in ("alert", "dialog", "frame"):
        box = box.parent
    return box


def journey(d):
    with window_manager(d):
        body(d)


STORED = "数量,1,背景图片,无\n" + entry_lines(1, "计时器", "起床", "00:00:08", state="关闭")


def body(d):
    d.write_storage(STORED)
    d.start()
    wid = main_window_id(d)
    d.press(TOGGLE_OFF)
    d.need("push button", TOGGLE_ON)

    minimise(d, wid)
    d.tray_activate()
    wait_until("a tray click to bring the window back", lambda: wm_state(wid) == "Normal"
               and "_NET_WM_STATE_HIDDEN" not in net_state(wid), 5)
    # Clicks go where the accessibility tree says; wait until the program knows where the
    # window manager put its window back.
    wait_until("the window to settle", lambda: frame_geometry(wid, frame=False)[:2] ==
               d.extents(d.main_window())[:2], 5)
    d.say("after the tray click: %s %s" % (wm_state(wid), sorted(net_state(wid))))

    # The timer is enabled with its box in the list: here the window manager places dialogs
    # where the accessibility tree does not know, so the editor is left to the other journeys.
    d.click(wait_until("the timer's row", d.rows, 5)[0]["box"], dx=8)
    d.expect_storage(STORED.replace("状态,关闭", "状态,开启"), "the enabled timer")
    minimise(d, wid)
    d.record()

    box = reminder_box(d)
    maximised = {"_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ"}
    try:
        wait_until("the ring to bring the window up maximised",
                   lambda: wm_state(wid) == "Normal" and maximised <= net_state(wid), 5)
    except JourneyFailed:
        raise JourneyFailed("at the ring the window is %s %s" % (wm_state(wid),
                                                                sorted(net_state(wid))))
    try:
        wait_until("the maximised window to cover the screen", lambda: (lambda g: g[0] <= 0
                   and g[2] >= SCREEN[0] and g[3] >= SCREEN[1] - 60)(frame_geometry(wid)), 5)
    except JourneyFailed:
        raise JourneyFailed("the maximised window sits at %r" % (frame_geometry(wid),))
    # The box keeps its size; the window manager may shift it by its decorations. The program
    # learns where the box went only when the window manager has framed it.
    def placed(g):
        x, y, w, h = g
        return (w, h) == (SCREEN[0] - 200, SCREEN[1] - 200) and 100 <= x <= 120 and 100 <= y <= 140
    try:
        wait_until("the reminder box in place", lambda: placed(d.extents(box)), 3)
    except JourneyFailed:
        raise JourneyFailed("the reminder box is at %r" % (d.extents(box),))
    d.say("window %r, reminder box at %r" % (frame_geometry(wid), d.extents(box)))
    note = d.wait_note("计时器时间到了", "起床   到了。", timeout=5)
    d.shot("forced-reminder-maximised")

    d.close_prompt("起床   到了。")
    stop_at = time.time()
    d.press("停止")
    time.sleep(1.0)
    spans = sound_spans(d.stop_recording())
    d.say("sound spans (s after 停止): %r" % [(round(a - stop_at, 2), round(b - stop_at, 2))
                                            for a, b in spans])
    heard = [s for s in spans if s[0] < stop_at]
    if not heard:
        raise JourneyFailed("the ring was not heard before 停止")
    d.say("heard %.2f s after the notification" % (heard[0][0] - note["time"]))
    if heard[0][0] > note["time"] + 1.0:
        raise JourneyFailed("the ring was heard only %.2f s after its notification" % (
            heard[0][0] - note["time"]))
    if [s for s in spans if s[1] > stop_at + 1.0]:
        raise JourneyFailed("the ring went on after 停止")


if __name__ == "__main__":
    Desk("window").run(journey)

#!/usr/bin/python3
"""Snooze, with a one-minute snooze length in the settings file and the forced reminder on. Two
looping timers ring together: "稍后提醒" in one's reminder box and in the other's notification
silences each within a second; their rows say they wait and the tray counts down to their
return. A minute later both ring again, with sound, box and notification, and the command file
does not run a second time. "稍后提醒" in the tray menu snoozes both again, and "停止" cancels
the waiting snoozes."""
import os
import re
import time

from desk import Desk, JourneyFailed, entry_lines, sound_spans, wait_until

TOGGLE_OFF = "当前状态:否\n点击切换强制提醒"
TOGGLE_ON = "当前状态:是\n点击切换强制提醒"
SNOOZE = "稍后提醒"
WAITING = "稍后再响"


def stored(command, state="关闭"):
    return ("数量,2,背景图片,无\n" +
            entry_lines(1, "计时器", "面包", "00:00:03", command=command, state=state) +
            entry_lines(2, "计时器", "泡茶", "00:00:03", state=state))


def box_of(d, name):
    return d.window_of(d.need("label", name + "   到了。", timeout=15))


def waiting(d, name):
    row = d.row_named(name)
    return row is not None and row["button"].description == WAITING


def silent_after(d, moment, what):
    time.sleep(1.5)
    spans = sound_spans(d.stop_recording())
    d.say("sound spans around %s (s after it): %r" % (
        what, [(round(a - moment, 2), round(b - moment, 2)) for a, b in spans]))
    if not [s for s in spans if s[0] < moment]:
        raise JourneyFailed("no ring heard before %s" % what)
    if [s for s in spans if s[1] > moment + 1.0]:
        raise JourneyFailed("the sound went on more than a second after %s" % what)


def ring_notes(d, after):
    return {n["body"]: n for n in d.notes() if n["time"] >= after and n["actions"]}


def first_rings(d):
    d.record()
    d.click(wait_until("the rows", lambda: len(d.rows()) == 2 and d.rows(), 5)[0]["box"], dx=8)
    d.click(d.rows()[1]["box"], dx=8)
    notes = wait_until("both rings' notifications",
                       lambda: len(ring_notes(d, 0)) == 2 and ring_notes(d, 0), 10)
    box = box_of(d, "泡茶")  # enabled last, so its box is the one on top
    if SNOOZE not in [label for _, label in d.tray_menu()[1]]:
        raise JourneyFailed("no %s in the tray menu while it rings" % SNOOZE)
    time.sleep(1.0)
    d.shot("reminder-box-snooze")
    pressed = time.time()
    d.press(SNOOZE, box)
    d.invoke_note(notes["面包   到了。"]["id"], "snooze")
    snoozed = time.time()
    wait_until("both rows to wait", lambda: waiting(d, "面包") and waiting(d, "泡茶"), 3)
    wait_until("the rings' notifications closed", lambda: {n["id"] for n in notes.values()}
               <= set(d.notes(closed=True)), 3)
    if SNOOZE in [t for _, t in d.tray_menu()[1]]:
        raise JourneyFailed("the tray's 稍后提醒 still offered while nothing rings")
    silent_after(d, snoozed, "稍后提醒")
    countdown = d.tray_menu()[1][1][1]
    d.say("tray after the snooze: %r" % countdown)
    # Counted in whole seconds rounded up: 59.2 s to go reads as 0天0小时1分钟0秒.
    m = re.fullmatch(r"0天0小时([01])分钟(\d+)秒", countdown)
    if not m or not 40 <= int(m.group(1)) * 60 + int(m.group(2)) <= 60:
        raise JourneyFailed("the tray counts %r to the next ring, not the snooze" % countdown)
    return pressed, snoozed


def journey(d):
    marker = os.path.join(d.home, "rang.txt")
    script = os.path.join(d.home, "mark.sh")
    with open(script, "w") as f:
        f.write("#!/bin/sh\necho rang >> '%s'\n" % marker)
    config = os.path.join(d.home, ".config")
    os.makedirs(os.path.join(config, "Tavrel"))
    with open(os.path.join(config, "Tavrel", "Tavrel.conf"), "w") as f:
        f.write("[General]\nSnoozeMinutes=1\n")
    d.write_storage(stored(script))
    d.start(env={"XDG_CONFIG_HOME": config})
    d.press(TOGGLE_OFF)
    d.need("push button", TOGGLE_ON)
    pressed, snoozed = first_rings(d)

    d.record()
    notes = wait_until("both rings again", lambda: len(ring_notes(d, snoozed + 1)) == 2
                       and ring_notes(d, snoozed + 1), 75, 0.2)
    again = sorted(n["time"] for n in notes.values())
    d.say("rang again %.2f and %.2f s after the snoozes" % (again[0] - pressed, again[1] - snoozed))
    if again[0] < pressed + 59.5 or again[1] > snoozed + 62:
        raise JourneyFailed("rang again %.2f to %.2f s after one-minute snoozes" % (
            again[0] - pressed, again[1] - snoozed))
    box_of(d, "面包")
    time.sleep(1.0)
    with open(marker) as f:
        if f.read() != "rang\n":
            raise JourneyFailed("the command file ran again at the snoozed ring")
    d.tray_choose(SNOOZE)
    snoozed = time.time()
    wait_until("both rows to wait again", lambda: waiting(d, "面包") and waiting(d, "泡茶"), 3)
    silent_after(d, snoozed, "the tray's 稍后提醒")

    # Without a window manager the maximised window sits where a click cannot be aimed: a
    # screen reader's action presses it.
    stop = wait_until("停止 offered while snoozes wait", lambda: (lambda b: b if b and d.enabled(b)
                      else None)(d.button("停止")), 3)
    stop.queryAction().doAction(0)
    wait_until("停止 to cancel the snoozes", lambda: not waiting(d, "面包")
               and not waiting(d, "泡茶"), 3)
    d.expect_storage(stored(script), "the timers stored as disabled after 停止")


if __name__ == "__main__":
    Desk("snooze").run(journey)

#!/usr/bin/python3
"""Forced reminder on: a looping timer with a ".sh" command file rings, runs the script, shows
the near-full-screen box; the tray menu tells the time to the ring, a click on the tray icon
brings the window back, and "退出程序" ends the program while the ring plays."""
import os
import re
import time

from desk import (Desk, JourneyFailed, choose_file, entry_lines, fill_editor, open_editor,
                  sound_spans, wait_until)

TOGGLE_OFF = "当前状态:否\n点击切换强制提醒"
TOGGLE_ON = "当前状态:是\n点击切换强制提醒"


def journey(d):
    marker = os.path.join(d.home, "rang.txt")
    script = os.path.join(d.home, "mark.sh")
    with open(script, "w") as f:
        f.write("#!/bin/sh\necho rang > '%s'\n" % marker)
    d.start()
    d.press(TOGGLE_OFF)
    d.need("push button", TOGGLE_ON)

    dlg = open_editor(d)
    fill_editor(d, dlg, "计时器", "提醒", "00:00:06", loop=True)
    choose_file(d, dlg, "无（点击选择命令文件/右击为“无”）", "选择命令文件", script)
    d.shot("editor-timer-command")
    d.press("保存", dlg)
    d.close_prompt("保存成功。")
    d.expect_storage("数量,1,背景图片,无\n" + entry_lines(1, "计时器", "提醒", "00:00:06",
                                                      command=script), "the saved timer")
    labels = []

    def menu_counts():
        labels[:] = [text for _, text in d.tray_menu()[1]]
        return len(labels) == 4 and re.fullmatch(r"0天0小时0分钟[1-6]秒", labels[1])

    try:
        wait_until("the next-ring text in the tray menu", menu_counts, 3)
    except JourneyFailed:
        raise JourneyFailed("tray menu while the timer runs: %r" % labels)
    d.say("tray menu while counting down: %r" % labels)
    if labels[0] != "下一次响铃所需时间：" or labels[2] != "设置..." or labels[3] != "退出程序":
        raise JourneyFailed("tray menu while the timer runs: %r" % labels)

    d.record()
    box_label = d.need("label", "提醒   到了。", timeout=12)
    wait_until("the command file's marker", lambda: os.path.exists(marker), 5)
    with open(marker) as f:
        if f.read() != "rang\n":
            raise JourneyFailed("the marker file holds something else")
    box = box_label.parent
    while box.getRoleName() not in ("alert", "dialog", "frame"):
        box = box.parent
    want = (100, 100, 1280 - 200, 1024 - 200)
    try:
        wait_until("the reminder box at %r" % (want,), lambda: d.extents(box) == want, 3)
    except JourneyFailed:
        raise JourneyFailed("the reminder box is at %r, not %r" % (d.extents(box), want))
    d.shot("forced-reminder")

    d.tray_activate()
    wait_until("the window to come back", lambda: d.find("frame", "Tavrel"), 5)
    d.shot("after-tray-click")
    note = d.wait_note("计时器时间到了", "提醒   到了。", timeout=5)
    wait_until("the ring to play a while", lambda: time.time() >= note["time"] + 1.5, 10, 0.1)
    d.tray_choose("退出程序")
    quit_at = time.time()
    code = d.wait_exit(5)
    d.say("ended %.2f s after 退出程序 with status %d" % (time.time() - quit_at, code))
    if code != 0:
        raise JourneyFailed("the program ended with status %d" % code)
    time.sleep(0.5)
    spans = sound_spans(d.stop_recording())
    d.say("sound spans (s after 退出程序): %r" % [(round(a - quit_at, 2), round(b - quit_at, 2))
                                             for a, b in spans])
    # Heard within a second of its notification, as the other journeys ask of a ring.
    if not [s for s in spans if s[0] <= note["time"] + 1.0 and s[1] >= quit_at - 0.2]:
        raise JourneyFailed("the ring was not heard up to 退出程序")
    if [s for s in spans if s[1] > quit_at + 0.4]:
        raise JourneyFailed("sound went on after the program ended")

if __name__ == "__main__":
    Desk("reminder").run(journey)

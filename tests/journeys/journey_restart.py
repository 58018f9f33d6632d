#!/usr/bin/python3
"""Entries made and enabled, the program ended from the tray, the chosen music file removed,
the program started again: every entry comes back disabled, in the window and in the file,
and the missing music file is reported by its path."""
import os
import subprocess

from desk import (Desk, JourneyFailed, choose_file, entry_lines, fill_editor, open_editor,
                  wait_until)

DEFAULT_SOUND = "默认响铃(点击此按钮更换音乐/右击为默认响铃)"


def stored(music, state):
    return "数量,2,背景图片,无\n" + entry_lines(
        1, "闹钟", "上班", "08:45", sound=music, state=state) + entry_lines(
        2, "计时器", "煮蛋", "00:08:00", loop="否", state=state)


def journey(d):
    music = os.path.join(d.home, "铃声.wav")
    subprocess.run(["sox", "-n", "-r", "16000", music, "synth", "1", "sine", "660"], check=True)
    d.start("first")
    dlg = open_editor(d)
    fill_editor(d, dlg, "闹钟", "上班", "08:45", loop=True)
    choose_file(d, dlg, DEFAULT_SOUND, "选择音乐文件", music)
    d.press("保存", dlg)
    d.close_prompt("保存成功。")
    dlg = open_editor(d)
    fill_editor(d, dlg, "计时器", "煮蛋", "00:08:00", loop=False)
    d.press("保存", dlg)
    d.close_prompt("保存成功。")
    d.expect_storage(stored(music, "开启"), "two enabled entries")
    if not all(r["checked"] for r in d.rows()):
        raise JourneyFailed("new entries are not enabled")

    d.tray_choose("退出程序")
    code = d.wait_exit(5)
    if code != 0:
        raise JourneyFailed("the program ended with status %d" % code)
    os.remove(music)

    d.start("restart")
    d.close_prompt(music + "   音乐文件不存在，将用默认响铃替代。")
    d.expect_storage(stored(music, "关闭"), "every entry stored as disabled after the restart")
    rows = wait_until("both rows back", lambda: (lambda r: r if len(r) == 2 else None)(
        d.rows()), 5)
    if [r["checked"] for r in rows] != [False, False]:
        raise JourneyFailed("entries enabled after a restart: %r" % [
            (r["labels"], r["checked"]) for r in rows])
    if "上班" not in rows[0]["labels"] or "00:08:00" not in rows[1]["labels"]:
        raise JourneyFailed("rows after the restart: %r" % [r["labels"] for r in rows])
    d.shot("after-restart")


if __name__ == "__main__":
    Desk("restart").run(journey)

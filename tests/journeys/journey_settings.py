#!/usr/bin/python3
"""Alarms kept enabled across restarts: with the setting on, an alarm stored enabled is still
enabled after quitting and starting again (a timer is not) and rings at its minute; with it off,
the file says 关闭 after the restart. Then a start in the tray maps no window but shows the tray
icon, and a second launch shows the window."""
import os
import subprocess
import time

from desk import Desk, FakeClock, JourneyFailed, entry_lines, wait_until

TITLE = "闹钟时间到了"


def journey(d):
    config = os.path.join(d.home, ".config")
    settings = os.path.join(config, "Tavrel", "Tavrel.conf")
    os.makedirs(os.path.dirname(settings))

    def keep(on):
        with open(settings, "w") as f:
            f.write("[General]\nKeepAlarmsEnabled=%s\n" % ("true" if on else "false"))

    m = (int(time.time()) // 60 + 62) * 60
    clock = FakeClock(d, m - 60 - time.time())
    when = time.strftime("%H:%M", time.localtime(m))
    stored = lambda alarm, timer: "数量,2,背景图片,无\n" + entry_lines(
        1, "闹钟", "起床", when, loop="否", state=alarm) + entry_lines(
        2, "计时器", "煮蛋", "00:08:00", loop="否", state=timer)
    env = dict(clock.env(), XDG_CONFIG_HOME=config)
    keep(True)
    d.write_storage(stored("开启", "开启"))
    d.start("kept", env=env)
    d.expect_storage(stored("开启", "关闭"), "the alarm kept, the timer disabled")
    d.tray_choose("退出程序")
    d.wait_exit(5)
    d.expect_storage(stored("开启", "关闭"), "the alarm still enabled after quitting")

    # Started again ten seconds before the alarm's minute (the clock set while nothing runs, as
    # after a night switched off): it rings at its minute from the wake-up armed at start.
    clock.step_to(m - 10)
    d.start("kept-again", env=env)
    rows = wait_until("both rows", lambda: (lambda r: r if len(r) == 2 else None)(d.rows()), 10)
    if [r["checked"] for r in rows] != [True, False]:
        raise JourneyFailed("enable boxes after the restart: %r" % [r["checked"] for r in rows])
    note = d.wait_note(TITLE, "[%s]   起床   到了。" % when, timeout=20)
    late = clock.at(note["time"]) - m
    d.say("起床 rang %.2f s into its minute" % late)
    if not -0.2 <= late <= 2.0:
        d.problem("起床 rang %.2f s from the start of its minute" % late)
    d.tray_choose("退出程序")
    d.wait_exit(5)

    keep(False)
    d.write_storage(stored("开启", "开启"))
    d.start("not-kept", env=env)
    d.expect_storage(stored("关闭", "关闭"), "every entry disabled with the setting off")
    d.tray_choose("退出程序")
    d.wait_exit(5)

    # In the tray only: no window mapped, the icon there; a second launch shows the window.
    log = open(os.path.join(d.out, "tavrel-tray.log"), "ab")
    d.proc = subprocess.Popen([d.binary, "--tray"], env=dict(os.environ, HOME=d.home,
                              XDG_CONFIG_HOME=config, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"),
                              stdout=log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
    d.tray()
    time.sleep(1)
    shown = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(d.proc.pid)],
                           capture_output=True, text=True).stdout.split()
    if shown:
        raise JourneyFailed("a window is mapped after --tray: %r" % shown)
    second = subprocess.run([d.binary], env=dict(os.environ, HOME=d.home, XDG_CONFIG_HOME=config),
                            capture_output=True, timeout=20)
    d.say("second launch ended with %d" % second.returncode)
    d.main_window()
    d.shot("shown-by-second-launch")
    # Where a person at the window finds the settings: Ctrl+, opens them.
    d.key("ctrl+comma")
    dialog = d.dialog("设置")
    for box in ("下次启动时保留闹钟的启用状态（计时器仍为停用）", "登录时自动启动，只显示托盘图标"):
        if not d.find("check box", box, root=dialog):
            d.problem("the settings dialog has no check box %r" % box)
    d.shot("settings-dialog")
    d.press("取消", dialog)
    d.tray_choose("退出程序")
    d.wait_exit(5)


if __name__ == "__main__":
    Desk("settings").run(journey)

#!/usr/bin/python3
"""A machine too busy to run the program for a while: an 8 s timer is enabled, the program is
stopped (SIGSTOP) for 4 s and continued. The timer still rings 8 s after it was enabled, not
4 s late, and its row shows the time truly left once the program runs again."""
import signal
import time

from desk import Desk, entry_lines, sound_spans, wait_until

RING_SECONDS = 3.45  # the built-in ring, played once
DURATION = 8.0
STALL_AT, STALL_FOR = 2.0, 4.0
# How late a person may hear a timer: the program rings within a tenth of a second of the
# deadline; the rest is the way through the bus to the notification daemon.
BOUND = 0.6


def stored(state):
    return "数量,1,背景图片,无\n" + entry_lines(1, "计时器", "煮蛋", "00:00:08", loop="否",
                                             state=state)


def seconds(label):
    h, m, s = (int(x) for x in label.split(":"))
    return h * 3600 + m * 60 + s


def journey(d):
    problem = d.problem

    d.write_storage(stored("关闭"))
    d.start()
    row = wait_until("the timer's row", lambda: d.row_named("煮蛋"), 10)
    d.record()
    before = time.time()
    d.click(row["box"], dx=8)
    enabled = time.time()
    d.expect_storage(stored("开启"), "the timer enabled")
    d.say("enabled between %.3f and %.3f" % (before, enabled))

    wait_until("the stall to begin", lambda: time.time() >= enabled + STALL_AT, 5, 0.02)
    d.signal(signal.SIGSTOP)
    time.sleep(STALL_FOR)
    d.signal(signal.SIGCONT)
    resumed = time.time()

    # Once it runs again the row counts on from the time truly left, not from where it stopped.
    shown = set()

    def watch():
        r = d.row_named("煮蛋")
        if r:
            shown.update(x for x in r["labels"] if x.count(":") == 2)
        return time.time() >= resumed + 1.2

    wait_until("a look at the row after the stall", watch, 5, 0.1)
    left = DURATION - (resumed - enabled)
    d.say("the row showed %s after the stall, %.1f s truly left" % (sorted(shown), left))
    stale = [x for x in shown if seconds(x) > left + 1.5 and x != "00:00:08"]
    if stale:
        problem("after the stall the row shows %r with %.1f s left" % (stale, left))

    note = d.wait_note("计时器时间到了", "煮蛋   到了。", after=enabled, timeout=15)
    late = note["time"] - (enabled + DURATION)
    d.say("notified %.3f s after the deadline (enable + %.0f s)" % (late, DURATION))
    d.shot("rang-after-stall")
    if not -(enabled - before) - 0.05 <= late <= BOUND:
        problem("the timer rang %.2f s from its deadline after a %.0f s stall" % (
            late, STALL_FOR))
    wait_until("the ring to end", lambda: time.time() >= note["time"] + RING_SECONDS + 1,
               RING_SECONDS + 3, 0.2)
    spans = [s for s in sound_spans(d.stop_recording()) if s[1] - s[0] > 1.0]
    d.say("rings heard (s after the deadline): %r" % [
        (round(a - enabled - DURATION, 2), round(b - enabled - DURATION, 2)) for a, b in spans])
    if len(spans) != 1 or abs(spans[0][0] - note["time"]) > 1.0:
        problem("expected one ring with the notification, heard %r" % spans)


if __name__ == "__main__":
    Desk("stall").run(journey)

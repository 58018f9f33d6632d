#!/usr/bin/python3
"""The wall clock stepped while alarms wait, as NTP or a resume from suspend steps it: an alarm
that has rung is not rung again when the clock is set back before its minute or back into it,
and an alarm whose minute the clock jumps over rings once, at once, its message saying when it
was due. The program sees a wall clock shifted by an offset the journey steps; its monotonic
clock stays real, so the journey waits a few seconds at each step, never for a real minute."""
import datetime
import time

from desk import (Desk, FakeClock, JourneyFailed, WEEKDAYS, entry_lines, sound_spans,
                  wait_until)

RING_SECONDS = 3.45  # the built-in ring, played once
TITLE = "闹钟时间到了"


def hhmm(t):
    return datetime.datetime.fromtimestamp(t).strftime("%H:%M")


def journey(d):
    problem = d.problem

    # Alarm A rings at minute m, an hour ahead of the real clock; B's minute n is five minutes
    # later and is jumped over. The program starts with its clock 90 s before m.
    m = (int(time.time()) // 60 + 62) * 60
    n = m + 300
    clock = FakeClock(d, m - 90 - time.time())
    a_time, b_time = hhmm(m), hhmm(n)
    day = WEEKDAYS[datetime.datetime.fromtimestamp(m).weekday()]
    stored = lambda state: "数量,2,背景图片,无\n" + entry_lines(
        1, "闹钟", "起床", a_time, repeat=day, loop="否", state=state) + entry_lines(
        2, "闹钟", "午睡", b_time, loop="否", state=state)
    d.write_storage(stored("关闭"))
    d.say("alarm 起床 at %s on %s, alarm 午睡 at %s once; program clock %s" % (
        a_time, day, b_time, clock.show(clock.now())))
    d.start(env=clock.env())
    rows = wait_until("both rows", lambda: (lambda r: r if len(r) == 2 else None)(d.rows()), 10)
    for row in rows:
        d.click(row["box"], dx=8)
    d.expect_storage(stored("开启"), "both alarms enabled")

    # On time: the clock is set to a few seconds before m and A rings at its minute.
    d.record()
    clock.step_to(m - 5)
    a_body = "[%s]   起床   到了。" % a_time
    note = d.wait_note(TITLE, a_body, timeout=15)
    a_note = note["time"]
    late = clock.at(a_note) - m
    d.say("起床 rang %.2f s into its minute (program clock)" % late)
    if not -0.2 <= late <= 2.0:
        problem("起床 rang %.2f s from the start of its minute" % late)
    d.shot("alarm-rang")

    # Once the ring has ended, on to 20 s into the minute, then set back 25 s to before it: the
    # minute comes round again.
    wait_until("the ring to end", lambda: time.time() >= a_note + RING_SECONDS + 0.5,
               RING_SECONDS + 3, 0.05)
    clock.step_to(m + 20)
    time.sleep(1)
    clock.step_by(-25)
    clock.wait_until(m + 3, "the alarm's minute to come round again")
    # Any ring of A counts, on time or late (with its due time added).
    a_count = lambda: len([x for x in d.notes() if x["summary"] == TITLE and
                           x["body"].startswith(a_body)])
    count = a_count()
    if count != 1:
        problem("起床 notified %d times after the clock was set back before its minute" % count)

    # Past the minute, then set back 25 s into it.
    clock.step_to(m + 62)
    time.sleep(1.5)
    clock.step_by(-25)
    time.sleep(3)
    count = a_count()
    if count != 1:
        problem("起床 notified %d times after the clock was set back into its minute" % count)

    # Jumped over: the clock leaps from before n to four minutes after it.
    jumped = time.time()
    clock.step_to(n + 240)
    b_body = "[%s]   午睡   到了。（原定 %s）" % (b_time, b_time)
    b_note = None
    try:
        b_note = d.wait_note(TITLE, b_body, after=jumped, timeout=10)["time"]
        d.say("午睡 rang %.2f s after the jump" % (b_note - jumped))
        if b_note - jumped > 1.5:
            problem("午睡 rang %.2f s after the clock jumped over its minute" % (b_note - jumped))
        d.shot("late-alarm-rang")
    except JourneyFailed:
        problem("no notification %r within 10 s of the jump over its minute; got %r" % (
            b_body, [x["body"] for x in d.notes()]))
    time.sleep(RING_SECONDS + 2)

    notes = [x["body"] for x in d.notes() if x["summary"] == TITLE]
    d.say("alarm notifications: %r" % notes)
    if a_count() != 1 or len([x for x in notes if "午睡" in x]) > 1:
        problem("notifications in all: %r" % notes)
    spans = sound_spans(d.stop_recording())
    rings = [s for s in spans if s[1] - s[0] > 1.0]
    d.say("rings heard (s after 起床's notification): %r" % [
        (round(a - a_note, 2), round(b - a_note, 2)) for a, b in rings])
    expected = [a_note] + ([b_note] if b_note else [])
    if len(rings) != len(expected):
        problem("heard %d rings, expected %d: %r" % (len(rings), len(expected), spans))
    else:
        for (begin, end), at in zip(rings, expected):
            if abs(begin - at) > 1.0 or not RING_SECONDS - 0.8 <= end - begin <= RING_SECONDS + 1.0:
                problem("a ring heard from %.2f to %.2f s after its notification" % (
                    begin - at, end - at))


if __name__ == "__main__":
    Desk("clocksteps").run(journey)

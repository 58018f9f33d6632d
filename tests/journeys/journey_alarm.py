#!/usr/bin/python3
"""An alarm for the next minute, weekly on today's weekday, looping: it rings at the start of
its minute, "停止" silences it, and it stays enabled without ringing again in that minute. The
program's wall clock is moved on to just before the minute once the alarm is saved, as time
passes, so the journey waits seconds instead of a real minute; the minute itself comes in real
time."""
import datetime
import time

from desk import (WEEKDAYS, Desk, FakeClock, JourneyFailed, entry_lines, fill_editor,
                  open_editor, sound_spans, wait_until)


RING_SECONDS = 3.45
# The program's clock reaches the alarm's minute this many real seconds after the save.
LEAD = 6


def journey(d):
    clock = FakeClock(d, 0)
    d.start(env=clock.env())
    dlg = open_editor(d)
    # The next minute but one, so setting it takes no hurry.
    now = datetime.datetime.fromtimestamp(clock.now())
    ring = now.replace(second=0, microsecond=0) + datetime.timedelta(minutes=2)
    hhmm = ring.strftime("%H:%M")
    day = WEEKDAYS[ring.weekday()]
    d.say("alarm set for %s on %s" % (hhmm, day))
    fill_editor(d, dlg, "闹钟", "起床", hhmm, weekdays=[day], loop=True)
    d.shot("editor-alarm-repeat-open")
    d.press("保存", dlg)
    d.close_prompt("保存成功。")
    stored = "数量,1,背景图片,无\n" + entry_lines(1, "闹钟", "起床", hhmm, repeat=day)
    d.expect_storage(stored, "the saved alarm")
    row = d.row_named("起床")
    if not row or not row["checked"] or "   每周重复：" + day not in row["labels"]:
        raise JourneyFailed("the new alarm's row: %r" % (row and row["labels"]))

    start = ring.timestamp()
    clock.step_to(start - LEAD)
    d.record()
    note = d.wait_note("闹钟时间到了", "[%s]   起床   到了。" % hhmm, timeout=LEAD + 10)
    late = clock.at(note["time"]) - start
    d.say("rang %.2f s into its minute (program clock)" % late)
    if not 0 <= late <= 2.0:
        raise JourneyFailed("the alarm rang %.2f s from the start of its minute" % late)
    d.shot("alarm-ringing")
    # Let it loop past the end of one pass of the sound, then stop it.
    wait_until("the sound to loop", lambda: time.time() >= note["time"] + RING_SECONDS + 2,
               RING_SECONDS + 4, 0.2)
    d.press("停止")
    stopped = time.time()
    # Between two passes of a looping sound the player may pause briefly while it starts over.
    spans = sound_spans(d.stop_recording(), gap=0.6)
    d.say("sound spans before the stop: %s" % [(round(a - d.rec_start, 2),
                                               round(b - d.rec_start, 2)) for a, b in spans])
    longest = max((b - a for a, b in spans), default=0)
    if longest < RING_SECONDS + 1:
        raise JourneyFailed("no looping ring heard: %r" % spans)

    # The rest of the minute: silent, still enabled, no second notification. A few seconds go
    # by as they come, then the clock moves on to near the minute's end, which passes in real time.
    d.record()
    wait_until("the stop to take", lambda: not d.enabled(d.button("停止")), 3)
    time.sleep(3)
    clock.step_to(start + 55)
    d.say("listening until the end of the alarm's minute")
    clock.wait_until(start + 61, "the end of the alarm's minute")
    row = d.row_named("起床")
    if not row or not row["checked"]:
        raise JourneyFailed("the alarm is no longer enabled after the stop")
    d.expect_storage(stored, "the alarm still stored as enabled")
    notes = [n for n in d.notes() if n["summary"] == "闹钟时间到了"]
    if len(notes) != 1:
        raise JourneyFailed("%d alarm notifications in one minute" % len(notes))
    spans = sound_spans(d.stop_recording())
    heard = [(round(a - stopped, 2), round(b - stopped, 2)) for a, b in spans]
    if [s for s in spans if s[1] > stopped + 0.5]:
        raise JourneyFailed("sound after the stop (s after it): %r" % heard)


if __name__ == "__main__":
    Desk("alarm").run(journey)

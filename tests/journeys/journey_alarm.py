#!/usr/bin/python3
"""An alarm for the next minute, weekly on today's weekday, looping: it rings at the start of
its minute, "停止" silences it, and it stays enabled without ringing again in that minute."""
import datetime
import time

from desk import (WEEKDAYS, Desk, JourneyFailed, entry_lines, fill_editor, open_editor, sound_spans,
                  wait_until)


RING_SECONDS = 3.45


def journey(d):
    d.start()
    dlg = open_editor(d)
    # The next minute, or the one after when the next is too close to set it in time.
    now = datetime.datetime.now()
    ring = now.replace(second=0, microsecond=0) + datetime.timedelta(minutes=1)
    if (ring - now).total_seconds() < 15:
        ring += datetime.timedelta(minutes=1)
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
    wait_until("the alarm's minute to come near", lambda: time.time() >= start - 3,
               start - time.time() + 5, 0.2)
    d.record()
    note = d.wait_note("闹钟时间到了", "[%s]   起床   到了。" % hhmm, timeout=10)
    late = note["time"] - start
    d.say("rang %.2f s into its minute" % late)
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

    # The rest of the minute: silent, still enabled, no second notification.
    d.record()
    wait_until("the stop to take", lambda: not d.enabled(d.button("停止")), 3)
    rest = start + 60 - time.time()
    d.say("listening %.1f s for the rest of the minute" % rest)
    wait_until("the end of the alarm's minute", lambda: time.time() >= start + 61,
               rest + 5, 0.5)
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

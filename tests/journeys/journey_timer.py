#!/usr/bin/python3
"""First start on an empty HOME, then a tea timer of five seconds made in the editor: it
counts down in its row, rings (heard on the null sink), notifies, and ends disabled."""
import time

from desk import (Desk, HEADER0, JourneyFailed, entry_lines, fill_editor, open_editor,
                  sound_spans, wait_until)

RING_SECONDS = 3.45  # the built-in ring


def journey(d):
    d.record()
    d.start()
    d.expect_storage(HEADER0, "a new storage file")
    if d.rows():
        raise JourneyFailed("a first start shows rows: %r" % d.rows())
    d.shot("first-start")

    dlg = open_editor(d)
    fill_editor(d, dlg, "计时器", "泡茶", "00:00:05", loop=False)
    d.shot("editor-timer")
    d.press("保存", dlg)
    saved_at = time.time()
    d.close_prompt("保存成功。")
    d.expect_storage("数量,1,背景图片,无\n" + entry_lines(1, "计时器", "泡茶", "00:00:05",
                                                      loop="否"), "the saved timer")

    # The row counts down: collect what its time label shows until the ring.
    seen = set()

    def counting():
        row = d.row_named("泡茶")
        if row:
            seen.update(label for label in row["labels"] if label.startswith("00:00:0"))
        return {"00:00:03", "00:00:02"} <= seen

    wait_until("the row to count down (seen %s)" % sorted(seen), counting, 8, 0.1)
    d.shot("timer-counting")
    note = d.wait_note("计时器时间到了", "泡茶   到了。", after=saved_at, timeout=10)
    d.say("notification %.2f s after the save, %.2f s into the recording" % (
        note["time"] - saved_at, note["time"] - d.rec_start))

    def ended():
        row = d.row_named("泡茶")
        return row and not row["checked"] and "00:00:05" in row["labels"]

    wait_until("the timer to end disabled at 00:00:05", ended, RING_SECONDS + 6)
    d.expect_storage("数量,1,背景图片,无\n" + entry_lines(1, "计时器", "泡茶", "00:00:05",
                                                      loop="否", state="关闭"),
                     "the ended timer stored as disabled")
    d.shot("timer-ended")
    time.sleep(0.5)  # let the recorder take the tail of the ring
    spans = sound_spans(d.stop_recording())
    d.say("sound spans (s into the recording): %s" % [
        (round(a - d.rec_start, 2), round(b - d.rec_start, 2)) for a, b in spans])
    rings = [s for s in spans if s[1] - s[0] > 1.0]
    if len(rings) != 1:
        raise JourneyFailed("expected one ring on the null sink, heard %r" % spans)
    begin, end = rings[0]
    # A person hears the ring when the message arrives, not seconds later.
    if abs(begin - note["time"]) > 1.0:
        raise JourneyFailed("the ring was heard %.2f s after its notification" % (begin - note["time"]))
    if not RING_SECONDS - 0.8 <= end - begin <= RING_SECONDS + 1.0:
        raise JourneyFailed("the ring lasted %.2f s, the sound is %.2f s" % (end - begin,
                                                                           RING_SECONDS))


if __name__ == "__main__":
    Desk("timer").run(journey)

#!/usr/bin/python3
"""A timer whose chosen music file is there but is not sound at all (a text file named .mp3)
still rings: the built-in ring is heard on the null sink, and a prompt names the file that
could not be played. Afterwards the timer ends disabled, as after any ring."""
import os
import time

from desk import Desk, JourneyFailed, entry_lines, sound_spans, wait_until

RING_SECONDS = 3.45  # the built-in ring, played once


def journey(d):
    problem = d.problem

    music = os.path.join(d.home, "Music", "闹铃 坏.mp3")
    os.makedirs(os.path.dirname(music))
    with open(music, "w", encoding="utf-8") as f:
        f.write("这不是声音文件，只是一些文字。\n" * 40)
    stored = lambda state: "数量,1,背景图片,无\n" + entry_lines(
        1, "计时器", "泡面", "00:00:03", sound=music, loop="否", state=state)
    d.write_storage(stored("关闭"))
    d.start()
    row = wait_until("the timer's row", lambda: d.row_named("泡面"), 10)
    early = d.prompt_containing(music)
    if early:
        # Telling at start is fine too; the ring must still tell again.
        d.say("at start: %r" % early.name)
        d.close_prompt(early.name)
    d.record()
    d.click(row["box"], dx=8)
    enabled = time.time()
    d.expect_storage(stored("开启"), "the timer enabled")

    note = d.wait_note("计时器时间到了", "泡面   到了。", after=enabled, timeout=10)
    d.say("notified %.2f s after enabling" % (note["time"] - enabled))
    try:
        label = wait_until("a prompt naming %s" % music, lambda: d.prompt_containing(music), 5)
        d.say("prompt: %r (%.2f s after the notification)" % (label.name,
                                                             time.time() - note["time"]))
        d.shot("prompt-bad-sound")
    except JourneyFailed:
        problem("no prompt names the file that could not be played: %s" % music)
        d.shot("no-prompt")

    wait_until("the ring to end", lambda: time.time() >= note["time"] + RING_SECONDS + 1.5,
               RING_SECONDS + 4, 0.2)
    spans = sound_spans(d.stop_recording())
    heard = [(round(a - note["time"], 2), round(b - note["time"], 2)) for a, b in spans]
    d.say("sound spans (s after the notification): %r" % heard)
    rings = [s for s in spans if s[1] - s[0] > 1.0]
    if len(rings) != 1:
        problem("expected the built-in ring once, heard %r" % heard)
    else:
        begin, end = rings[0]
        if abs(begin - note["time"]) > 1.0:
            problem("the built-in ring began %.2f s from the notification" % (begin - note["time"]))
        if not RING_SECONDS - 0.8 <= end - begin <= RING_SECONDS + 1.0:
            problem("the ring lasted %.2f s, the built-in ring is %.2f s" % (end - begin,
                                                                             RING_SECONDS))
    try:
        d.expect_storage(stored("关闭"), "the timer disabled after its ring", timeout=5)
    except JourneyFailed as e:
        problem(str(e))


if __name__ == "__main__":
    Desk("badsound").run(journey)

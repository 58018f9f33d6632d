#!/usr/bin/python3
"""What the X screen itself shows of the main window, with no window manager: captures of the
root window, as a person's eyes get it, with idle and running rows in both halves of the blink.
No row may hold a solid block of black (an area the program marked as painted and left
unpainted), idle rows show their times in every capture, and running rows show theirs in one
half and nothing in the other. JOURNEY_SCALE=2 runs the program at QT_SCALE_FACTOR=2. The last
capture of the window is kept as window-scale<N>.png."""
import os
import re
import subprocess
import time

from desk import Desk, JourneyFailed, entry_lines, wait_until

SCALE = int(os.environ.get("JOURNEY_SCALE", "1"))
# Running (enabled) and idle rows of both kinds; a long timer so none rings while we look.
ROWS = [("起床", "闹钟", "07:30", "星期一|星期五", "开启"),
        ("午休", "闹钟", "12:45", "否", "关闭"),
        ("泡茶", "计时器", "02:00:00", "否", "开启"),
        ("面膜", "计时器", "00:15:00", "否", "关闭"),
        ("开会", "闹钟", "09:00", "星期三", "开启"),
        ("跑步", "计时器", "00:40:00", "否", "关闭")]


def stored(running):
    return "数量,%d,背景图片,无\n" % len(ROWS) + "".join(
        entry_lines(i + 1, kind, name, when, repeat=repeat,
                    state=state if running else "关闭")
        for i, (name, kind, when, repeat, state) in enumerate(ROWS))



BLACK = 16  # each channel at most this: black
INK = 160   # a pixel darker than this in every channel is a time's text


class Capture:
    """One capture of the root window as raw RGB rows."""

    def __init__(self, path):
        subprocess.run(["import", "-window", "root", "-depth", "8", path], check=True)
        with open(path, "rb") as f:
            data = f.read()
        m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
        self.width, self.height = int(m.group(1)), int(m.group(2))
        self.pixels = data[m.end():]

    def line(self, y, x0, x1):
        start = (y * self.width + x0) * 3
        return self.pixels[start:start + (x1 - x0) * 3]


def mask(line, limit):
    """One byte per pixel: 1 where every channel is at most limit, as a big integer."""
    table = bytes(1 if v <= limit else 0 for v in range(256))
    m = line.translate(table)
    return (int.from_bytes(m[0::3], "big") & int.from_bytes(m[1::3], "big")
            & int.from_bytes(m[2::3], "big"))


def black_block(cap, box, w, h):
    """The top left of a solid black block of w x h pixels inside box, or None."""
    x0, y0, x1, y1 = box
    count = x1 - x0
    lines = [mask(cap.line(y, x0, x1), BLACK) for y in range(y0, y1)]
    for top in range(len(lines) - h + 1):
        block = lines[top]
        for below in lines[top + 1:top + h]:
            block &= below
        found = block.to_bytes(count, "big").find(b"\x01" * w)
        if found >= 0:
            return x0 + found, y0 + top
    return None


def ink(cap, box):
    """How many pixels of box are dark enough to be text."""
    x0, y0, x1, y1 = box
    return sum(bin(mask(cap.line(y, x0, x1), INK)).count("1") for y in range(y0, y1))


def window_on_screen(d):
    """The main window's X geometry in device pixels, and the factor from accessibility
    coordinates to those."""
    wid = wait_until("the main window on the X screen", lambda: subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--pid", str(d.proc.pid), "--name", "^Tavrel$"],
        capture_output=True, text=True).stdout.split(), 10)[0]
    out = subprocess.run(["xwininfo", "-id", wid], capture_output=True, text=True).stdout
    get = lambda key: int(re.search(key + r":\s+(-?\d+)", out).group(1))
    geometry = (get("Absolute upper-left X"), get("Absolute upper-left Y"), get("Width"),
                get("Height"))
    ax, ay, aw, ah = d.extents(d.main_window())
    return geometry, (ax, ay, geometry[2] / aw)


def in_pixels(d, acc, place):
    (wx, wy, _, _), (ax, ay, f) = place
    x, y, w, h = d.extents(acc)
    return (wx + round((x - ax) * f), wy + round((y - ay) * f),
            wx + round((x - ax + w) * f), wy + round((y - ay + h) * f))


def all_rows(d):
    return wait_until("all rows", lambda: (lambda r: r if len(r) == len(ROWS) else None)(
        d.rows()), 10)


def rows_on_screen(d, place):
    """Per row: its name, whether it runs, its box and its time label's box on screen."""
    shown = []
    for r, (name, _, when, _, state) in zip(all_rows(d), ROWS):
        if name not in r["labels"]:
            raise JourneyFailed("row %r shows %r" % (name, r["labels"]))
        time_label = next(c for c in r["button"] if c is not None and re.fullmatch(
            r"\d\d:\d\d(:\d\d)?", c.name))
        shown.append({"name": name, "running": state == "开启",
                      "row": in_pixels(d, r["button"], place),
                      "time": in_pixels(d, time_label, place)})
    return shown


def capture_at(d, fraction):
    """A capture begun at the given fraction of a wall-clock second."""
    now = time.time()
    wait = (fraction - now % 1.0) % 1.0
    time.sleep(wait)
    return Capture(os.path.join(d.out, "root-%.2f.ppm" % fraction))


def look(d, cap, rows, tag):
    """Fails on a black block in a row; says which half of the blink the capture shows."""
    for r in rows:
        found = black_block(cap, r["row"], 8 * SCALE, 4 * SCALE)
        if found:
            d.shot("black-" + tag)
            raise JourneyFailed("%s: a solid black block at %r in the row of %s (row %r)" % (
                tag, found, r["name"], r["row"]))
    texts = {r["name"]: ink(cap, r["time"]) for r in rows}
    d.say("%s: text pixels in the times %r" % (tag, texts))
    for r in rows:
        if not r["running"] and texts[r["name"]] == 0:
            raise JourneyFailed("%s: the idle row %s shows no time" % (tag, r["name"]))
    running = [texts[r["name"]] > 0 for r in rows if r["running"]]
    if all(running):
        return "shown"
    if not any(running):
        return "blank"
    return "mixed"


def journey(d):
    d.write_storage(stored(running=False))
    d.start(env={"QT_SCALE_FACTOR": str(SCALE)} if SCALE != 1 else None)
    place = window_on_screen(d)
    d.say("window at %r, %.2f device pixels per accessibility pixel" % (place[0], place[1][2]))
    running = [name for name, _, _, _, state in ROWS if state == "开启"]
    for r in all_rows(d):
        if any(name in r["labels"] for name in running):
            x0, y0, x1, y1 = in_pixels(d, r["box"], place)
            d.click_at(x0 + 8 * SCALE, (y0 + y1) // 2)
    d.expect_storage(stored(running=True), "the running rows enabled")
    rows = rows_on_screen(d, place)
    halves = set()
    for attempt in range(8):
        # The blink changes on the half seconds; a capture takes a while, so it starts early in
        # its half.
        fraction = 0.12 if attempt % 2 == 0 else 0.62
        half = look(d, capture_at(d, fraction), rows, "capture %d at %.2f s" % (attempt, fraction))
        halves.add(half)
        if {"shown", "blank"} <= halves and attempt >= 3:
            break
    if not {"shown", "blank"} <= halves:
        raise JourneyFailed("the running rows were not seen in both halves of the blink: %r" %
                            sorted(halves))
    wx, wy, ww, wh = place[0]
    time.sleep((0.12 - time.time() % 1.0) % 1.0)  # with the running rows' times shown
    path = os.path.join(d.out, "window-scale%d.png" % SCALE)
    subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (ww, wh, wx, wy),
                    "+repage", path], check=True)
    d.say("the window as the screen shows it: %s" % path)


if __name__ == "__main__":
    Desk("screen-scale%d" % SCALE).run(journey)

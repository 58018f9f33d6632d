#!/usr/bin/python3
"""The real program on the journeys' virtual desktop, measured as a person runs it: start-up to
the first shown window, peak and steady memory, idle CPU with 20 running entries, and how late
rings start after an alarm's minute or a timer's zero. Entries are enabled with the keyboard
and mouse (xdotool), so the program runs without accessibility, as on most desktops. Run by
bench/desktop-bench.sh, which starts the session."""
import datetime
import math
import os
import re
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import time
import wave

from Xlib import X, display

STORAGE = "Documents/Tavrel存储文件.txt"
RING_SECONDS = 3.45  # the built-in ring
LOG_LINE = re.compile(r"tavrel\.ring: (\w+) entry=(\d+)(?: type=(\w+))? ms=(\d+)")


def record(no, kind, name, when, repeat="否", loop="否"):
    return "".join(line + "\n" for line in (
        "序号,%d" % no, "类型," + kind, "名称," + name, "时间," + when, "每周重复," + repeat,
        "声音文件,默认响铃", "命令文件,无", "重复闹铃," + loop, "状态,关闭"))


def storage_text(entries):
    """entries: (kind, name, time) triples."""
    return "数量,%d,背景图片,无\n" % len(entries) + "".join(
        record(n + 1, kind, name, when) for n, (kind, name, when) in enumerate(entries))


def idle_entries():
    """10 alarms hours away and 10 long timers: all running, none rings during the bench."""
    later = datetime.datetime.now() + datetime.timedelta(hours=6)
    entries = []
    for i in range(10):
        entries.append(("闹钟", "闹钟%d" % (i + 1), (later + datetime.timedelta(minutes=i)).strftime("%H:%M")))
        entries.append(("计时器", "计时器%d" % (i + 1), "99:00:00"))
    return entries


def median(values):
    return statistics.median(values) if values else float("nan")


def spread(values):
    if not values:
        return "none"
    return "median %.0f ms, min %.0f, max %.0f, n=%d" % (median(values), min(values), max(values),
                                                        len(values))


class Bench:
    def __init__(self, binary, out):
        self.binary = binary
        self.out = out
        self.x = display.Display()
        self.root = self.x.screen().root
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.x.sync()

    # --- the program ------------------------------------------------------------------------
    def new_home(self, entries):
        home = tempfile.mkdtemp(prefix="tavrel-bench-home.")
        os.makedirs(os.path.join(home, "Documents"))
        with open(os.path.join(home, STORAGE), "w", encoding="utf-8") as f:
            f.write(storage_text(entries))
        return home

    def start(self, home, log_path):
        """Starts the program and returns (process, seconds to its main window being mapped)."""
        while self.x.pending_events():
            self.x.next_event()
        env = dict(os.environ, HOME=home, QT_LOGGING_RULES="tavrel.ring.info=true",
                   QT_MESSAGE_PATTERN="%{category}: %{message}")
        env.pop("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", None)
        log = open(log_path, "wb")
        began = time.monotonic()
        proc = subprocess.Popen([self.binary], env=env, stdout=log, stderr=subprocess.STDOUT,
                                stdin=subprocess.DEVNULL)
        window = self.wait_mapped(proc, 15)
        return proc, time.monotonic() - began, window

    def wait_mapped(self, proc, timeout):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if proc.poll() is not None:
                raise SystemExit("tavrel ended during start-up (status %d)" % proc.returncode)
            if not self.x.pending_events():
                time.sleep(0.001)
                continue
            ev = self.x.next_event()
            if ev.type != X.MapNotify:
                continue
            try:
                if ev.window.get_wm_name() == "Tavrel":
                    return ev.window
            except Exception:
                continue  # a window gone before we looked
        raise SystemExit("no window 'Tavrel' shown within %d s" % timeout)

    @staticmethod
    def stop(proc):
        if proc.poll() is None:
            proc.send_signal(signal.SIGTERM)
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()

    @staticmethod
    def memory_kb(pid):
        fields = {}
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                key, _, value = line.partition(":")
                fields[key] = value.split()[0] if value.split() else "0"
        return int(fields["VmHWM"]), int(fields["VmRSS"])

    @staticmethod
    def cpu_ticks(pid):
        with open("/proc/%d/stat" % pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])  # utime + stime

    # --- enabling, as a person with a keyboard would ---------------------------------------
    @staticmethod
    def enabled_entries(home):
        with open(os.path.join(home, STORAGE), encoding="utf-8") as f:
            states = [line for line in f.read().split("\n") if line.startswith("状态,")]
        return {i for i, s in enumerate(states) if s == "状态,开启"}

    def enable_all(self, window, home, count):
        """Clicks the first row's check box, then Tab and space from box to box until every
        entry is stored as enabled."""
        geo = window.get_geometry()
        pos = window.translate_coords(self.root, 0, 0)
        x, y = -pos.x, -pos.y
        xdo = lambda *a: subprocess.run(["xdotool"] + [str(v) for v in a], check=True)
        xdo("mousemove", "--sync", x + geo.width - 30, y + 80 + 28)
        xdo("click", "1")
        before = set()
        for _ in range(count * 4):
            now = self.settle(home, before)
            if len(now) == count:
                return
            if len(now) < len(before):  # the space met a box already ticked: tick it again
                xdo("key", "space")
                now = self.settle(home, now)
            before = now
            xdo("key", "Tab", "space")
        raise SystemExit("could not enable every entry: enabled %s" % sorted(self.enabled_entries(home)))

    def settle(self, home, before):
        end = time.monotonic() + 0.5
        while time.monotonic() < end:
            now = self.enabled_entries(home)
            if now != before:
                return now
            time.sleep(0.02)
        return self.enabled_entries(home)


def parse_log(path):
    """{kind: {entry: [ms, ...]}} from the program's ring trace."""
    events = {}
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            m = LOG_LINE.search(line)
            if m:
                events.setdefault(m.group(1), {}).setdefault(int(m.group(2)), []).append(int(m.group(4)))
    return events


def first_after(times, moment, within):
    later = [t for t in times if moment - 0.001 <= t <= moment + within]
    return min(later) if later else None


# --- sound on the null sink --------------------------------------------------------------------
class Recorder:
    def __init__(self, path):
        self.path = path
        self.proc = subprocess.Popen(
            ["parecord", "-d", "nullsink.monitor", "--file-format=wav", "--channels=1",
             "--latency-msec=10", "--rate=16000", "--format=s16le", path],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        end = time.monotonic() + 10
        while not (os.path.exists(path) and os.path.getsize(path) > 44):
            if time.monotonic() > end:
                raise SystemExit("the recorder did not start")
            time.sleep(0.002)
        self.start = time.time()

    def onsets(self, window=0.01, threshold=0.01, quiet=0.3):
        """Wall times at which sound begins after at least `quiet` seconds of silence."""
        self.proc.send_signal(signal.SIGINT)
        self.proc.wait(10)
        with wave.open(self.path, "rb") as w:
            rate = w.getframerate()
            data = w.readframes(w.getnframes())
        n = int(rate * window)
        samples = struct.unpack("<%dh" % (len(data) // 2), data[: len(data) // 2 * 2])
        found, silent_since = [], 0.0
        for i in range(0, len(samples) - n + 1, n):
            t = i / rate
            rms = math.sqrt(sum(s * s for s in samples[i:i + n]) / n) / 32768.0
            if rms < threshold:
                continue
            if t - silent_since >= quiet:
                found.append(self.start + t)
            silent_since = t + window
        return found


def bench_startup(b, runs):
    home = b.new_home(idle_entries())
    times = []
    for k in range(runs):
        proc, secs, _ = b.start(home, os.path.join(b.out, "startup-%d.log" % k))
        times.append(secs * 1000)
        time.sleep(0.5)  # let it reach its event loop before it is told to end
        b.stop(proc)
    shutil.rmtree(home, ignore_errors=True)
    print("start-up to first shown window, 20 entries, %d runs: median %.0f ms (all: %s)" % (
        runs, median(times), " ".join("%.0f" % t for t in times)), flush=True)


def bench_idle(b, seconds):
    home = b.new_home(idle_entries())
    proc, _, window = b.start(home, os.path.join(b.out, "idle.log"))
    try:
        b.enable_all(window, home, 20)
        time.sleep(3)
        hz = os.sysconf("SC_CLK_TCK")
        c0, t0 = b.cpu_ticks(proc.pid), time.monotonic()
        time.sleep(seconds)
        c1, t1 = b.cpu_ticks(proc.pid), time.monotonic()
        peak, rss = b.memory_kb(proc.pid)
        running = len(b.enabled_entries(home))
    finally:
        b.stop(proc)
        shutil.rmtree(home, ignore_errors=True)
    cpu = (c1 - c0) / hz
    print("idle CPU over %.0f s with %d running entries: %.2f s of CPU = %.2f%% of one core" % (
        t1 - t0, running, cpu, 100 * cpu / (t1 - t0)), flush=True)
    print("memory with 20 running entries: peak (VmHWM) %.1f MB, steady after %d s idle (VmRSS) "
          "%.1f MB" % (peak / 1024, seconds, rss / 1024), flush=True)


def ring_plan(now):
    """10 timers, 5 s apart, and 5 alarms in each of the two minutes after them; no timer ends
    within a few seconds of an alarm's minute, so every ring starts in silence."""
    first_minute = (now + datetime.timedelta(seconds=40)).replace(second=0, microsecond=0)
    first_minute += datetime.timedelta(minutes=1)
    minutes = [first_minute, first_minute + datetime.timedelta(minutes=1)]
    start = now + datetime.timedelta(seconds=8)  # when the timers are about to be enabled
    timers, seconds = [], 10
    while len(timers) < 10:
        end = start + datetime.timedelta(seconds=seconds)
        if all(not -2 <= (end - m).total_seconds() <= RING_SECONDS + 1.5 for m in minutes):
            timers.append(seconds)
        seconds += 5
    entries = [("计时器", "计时器%d" % (k + 1), "00:%02d:%02d" % divmod(s, 60))
               for k, s in enumerate(timers)]
    for k in range(10):
        entries.append(("闹钟", "闹钟%d" % (k + 1), minutes[k // 5].strftime("%H:%M")))
    return entries, timers, minutes


def bench_rings(b):
    entries, durations, minutes = ring_plan(datetime.datetime.now())
    home = b.new_home(entries)
    rec = Recorder(os.path.join(b.out, "rings.wav"))
    log = os.path.join(b.out, "rings.log")
    proc, _, window = b.start(home, log)
    try:
        b.enable_all(window, home, 20)
        wait = (minutes[1] - datetime.datetime.now()).total_seconds() + RING_SECONDS + 2
        time.sleep(max(wait, 0))
        peak, rss = b.memory_kb(proc.pid)
    finally:
        b.stop(proc)
        onsets = rec.onsets()
        shutil.rmtree(home, ignore_errors=True)
    ev = parse_log(log)
    playing = ev.get("playing", {})
    from_zero, from_enable, from_minute, heard = [], [], [], []
    for i, secs in enumerate(durations):
        zero = ev.get("zero", {}).get(i, [None])[0]
        play = first_after(playing.get(i, []), zero, 5000) if zero else None
        if play is None:
            print("timer %d: no ring seen (zero %s)" % (i + 1, zero))
            continue
        from_zero.append(play - zero)
        from_enable.append(play - (ev["enabled"][i][0] + secs * 1000))
        sound = first_after([o * 1000 for o in onsets], zero, 3000)
        if sound is not None:
            heard.append(sound - zero)
    heard_alarm = []
    for k in range(10):
        i = 10 + k
        boundary = minutes[k // 5].timestamp() * 1000
        play = first_after(playing.get(i, []), boundary, 60000)
        if play is None:
            print("alarm %d (%s): no ring seen" % (k + 1, minutes[k // 5].strftime("%H:%M")))
            continue
        from_minute.append(play - boundary)
    for m in minutes:
        sound = first_after([o * 1000 for o in onsets], m.timestamp() * 1000, 3000)
        if sound is not None:
            heard_alarm.append(sound - m.timestamp() * 1000)
    print("ring latency to PlayingState, alarms (from the start of the minute): " + spread(from_minute))
    # Qt lines up a 500 ms timer with the monotonic clock, so the tick meets the wall clock's
    # minute at the same offset on every run of one boot; other boots give 0 to 500 ms.
    print("  the tick's offset from the wall clock's half seconds on this boot: %.0f ms" % (
        (time.time() - time.monotonic()) % 0.5 * 1000))
    print("ring latency to PlayingState, timers (from the shown zero): " + spread(from_zero))
    print("ring latency to PlayingState, timers (from enabling + duration): " + spread(from_enable))
    print("first sound on the null sink, alarms (from the start of the minute, first of each "
          "minute): " + spread(heard_alarm))
    print("first sound on the null sink, timers (from the shown zero): " + spread(heard))
    print("memory while 20 entries rang: peak (VmHWM) %.1f MB, after the rings (VmRSS) %.1f MB" % (
        peak / 1024, rss / 1024), flush=True)


def main():
    binary, out = sys.argv[1], sys.argv[2]
    runs = int(os.environ.get("BENCH_STARTUP_RUNS", "10"))
    idle = int(os.environ.get("BENCH_IDLE_SECONDS", "60"))
    os.makedirs(out, exist_ok=True)
    b = Bench(binary, out)
    with open("/proc/loadavg") as f:
        print("load average before: " + " ".join(f.read().split()[:3]), flush=True)
    bench_startup(b, runs)
    bench_idle(b, idle)
    bench_rings(b)
    with open("/proc/loadavg") as f:
        print("load average after: " + " ".join(f.read().split()[:3]), flush=True)


if __name__ == "__main__":
    main()

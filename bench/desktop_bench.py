#!/usr/bin/python3
"""The real program beside a floor (a bare Qt 5 tray program with a 500 ms tick that updates one
label) on one virtual desktop, both launched as a person launches them: no GL or other override.
Prints start-up to the mapped window, resident memory, threads, idle CPU and wakeups, instructions
per tick, whether a GL driver is mapped, how late rings start and are heard, and memory over the
rings; then a markdown table of it all. Entries are enabled with the keyboard and mouse
(xdotool), so the program runs without accessibility, as on most desktops. Run by
bench/desktop-bench.sh, which starts the session."""
import datetime
import glob
import math
import os
import platform
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
GL_DRIVER = re.compile(r"libLLVM|swrast|_dri\.so")
TICK_MS = 500


def record(no, kind, name, when, repeat="否", loop="否"):
    return "".join(line + "\n" for line in (
        "序号,%d" % no, "类型," + kind, "名称," + name, "时间," + when, "每周重复," + repeat,
        "声音文件,默认响铃", "命令文件,无", "重复闹铃," + loop, "状态,关闭"))


def storage_text(entries):
    """entries: (kind, name, time) triples."""
    return "数量,%d,背景图片,无\n" % len(entries) + "".join(
        record(n + 1, kind, name, when) for n, (kind, name, when) in enumerate(entries))


def idle_entries():
    """10 alarms hours away and 10 long timers: when enabled, all run and none rings."""
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


def ratio(a, b):
    return a / b if b else float("nan")


# --- /proc ---------------------------------------------------------------------------------------
def status(pid):
    fields = {}
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            key, _, value = line.partition(":")
            fields[key] = value.split()
    return fields


def rss_mb(pid):
    return int(status(pid)["VmRSS"][0]) / 1024


def peak_mb(pid):
    return int(status(pid)["VmHWM"][0]) / 1024


def threads(pid):
    return int(status(pid)["Threads"][0])


def per_thread(pid):
    """{thread name and id: (nanoseconds on a CPU, voluntary switches)}. The scheduler's nanosecond
    counter: the 10 ms clock ticks of /proc/<pid>/stat are too coarse for an idle minute, in which
    the floor uses about 40 ms. A voluntary switch is a sleep the thread was woken from."""
    out = {}
    for task in glob.glob("/proc/%d/task/*" % pid):
        try:
            with open(task + "/comm") as f:
                name = "%s/%s" % (f.read().strip(), os.path.basename(task))
            with open(task + "/schedstat") as f:
                ns = int(f.read().split()[0])
            with open(task + "/status") as f:
                vol = int([l for l in f if l.startswith("voluntary_ctxt_switches:")][0].split()[1])
            out[name] = (ns, vol)
        except (OSError, IndexError):
            pass  # a thread that ended meanwhile
    return out


def gl_driver_mapped(pid):
    with open("/proc/%d/maps" % pid) as f:
        return any(GL_DRIVER.search(line) for line in f)


class Program:
    """One program the bench launches: tavrel, or the floor."""

    def __init__(self, label, binary, title, args=()):
        self.label, self.binary, self.title, self.args = label, binary, title, list(args)


class Bench:
    def __init__(self, tavrel, floor, out):
        self.tavrel = Program("tavrel", tavrel, "Tavrel")
        self.floor = Program("floor", floor, "Floor")
        # Beside 20 running entries only: the floor whose tray blinks and counts as ours does.
        self.blinking_floor = Program("blinking floor", floor, "Floor, blinking tray", ["--blink-tray"])
        self.out = out
        self.x = display.Display()
        self.root = self.x.screen().root
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.x.sync()
        self.homes = []
        self.style = None  # "-style" for both programs; None: Qt's choice

    # --- launching --------------------------------------------------------------------------
    def new_home(self, entries=None):
        home = tempfile.mkdtemp(prefix="tavrel-bench-home.")
        os.makedirs(os.path.join(home, "Documents"))
        if entries is not None:
            with open(os.path.join(home, STORAGE), "w", encoding="utf-8") as f:
                f.write(storage_text(entries))
        self.homes.append(home)
        return home

    def start(self, program, home, log_name, trace=False, wrapper=(), timeout=15):
        """Starts a program and returns (process, seconds to its window being mapped, window)."""
        while self.x.pending_events():
            self.x.next_event()
        env = dict(os.environ, HOME=home)
        env.pop("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", None)
        if trace:  # the ring trace: a logging category, off by default
            env.update(QT_LOGGING_RULES="tavrel.ring.info=true",
                       QT_MESSAGE_PATTERN="%{category}: %{message}")
        log = open(os.path.join(self.out, log_name), "wb")
        began = time.monotonic()
        args = [program.binary] + program.args + (["-style", self.style] if self.style else [])
        proc = subprocess.Popen(list(wrapper) + args, env=env, stdout=log,
                                stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        window = self.wait_mapped(proc, program.title, timeout)
        return proc, time.monotonic() - began, window

    def wait_mapped(self, proc, title, timeout):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if proc.poll() is not None:
                raise SystemExit("%s ended during start-up (status %d)" % (title, proc.returncode))
            if not self.x.pending_events():
                time.sleep(0.001)
                continue
            ev = self.x.next_event()
            if ev.type != X.MapNotify:
                continue
            try:
                if ev.window.get_wm_name() == title:
                    return ev.window
            except Exception:
                continue  # a window gone before we looked
        raise SystemExit("no window '%s' shown within %d s" % (title, timeout))

    @staticmethod
    def stop(proc, timeout=5):
        if proc.poll() is None:
            proc.send_signal(signal.SIGTERM)
            try:
                proc.wait(timeout)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()

    def cleanup(self):
        for home in self.homes:
            shutil.rmtree(home, ignore_errors=True)

    # --- enabling, as a person with a keyboard would ---------------------------------------
    @staticmethod
    def enabled_entries(home):
        with open(os.path.join(home, STORAGE), encoding="utf-8") as f:
            states = [line for line in f.read().split("\n") if line.startswith("状态,")]
        return {i for i, s in enumerate(states) if s == "状态,开启"}

    def wait_still(self, window, quiet=1.0, timeout=120):
        """Waits until the window has stayed in one place for `quiet` seconds: the program
        centres it after showing it, which under valgrind comes late."""
        last, since, end = None, time.monotonic(), time.monotonic() + timeout
        while time.monotonic() < end:
            pos = window.translate_coords(self.root, 0, 0)
            now = (pos.x, pos.y)
            if now != last:
                last, since = now, time.monotonic()
            elif time.monotonic() - since >= quiet:
                return
            time.sleep(0.05)

    def enable_all(self, window, home, count, settle=0.5):
        """Clicks the first row's check box, then Tab and space from box to box until every
        entry is stored as enabled. Returns the wall time each entry was seen enabled."""
        self.wait_still(window, quiet=settle)
        geo = window.get_geometry()
        pos = window.translate_coords(self.root, 0, 0)
        x, y = -pos.x, -pos.y
        xdo = lambda *a: subprocess.run(["xdotool"] + [str(v) for v in a], check=True)
        xdo("mousemove", "--sync", x + geo.width - 30, y + 80 + 28)
        xdo("click", "1")
        before, seen = set(), {}
        for _ in range(count * 4):
            now = self.settle(home, before, settle)
            if len(now) < len(before):  # the space met a box already ticked: tick it again
                xdo("key", "space")
                now = self.settle(home, now, settle)
            for i in now - before:
                seen.setdefault(i, time.time())
            if len(now) == count:
                return seen
            before = now
            xdo("key", "Tab", "space")
        raise SystemExit("could not enable every entry: enabled %s" % sorted(self.enabled_entries(home)))

    def settle(self, home, before, within):
        end = time.monotonic() + within
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
        """Wall times in ms at which sound begins after at least `quiet` seconds of silence."""
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
                found.append((self.start + t) * 1000)
            silent_since = t + window
        return found


# --- callgrind -----------------------------------------------------------------------------------
def callgrind_costs(path, function):
    """(total Ir, calls of `function`, their inclusive Ir) from a callgrind output file."""
    names, total, calls, inclusive = {}, 0, 0, 0
    pattern = re.compile(function)
    current_callee, pending_call = None, False
    with open(path, errors="replace") as f:
        for line in f:
            if line.startswith(("summary:", "totals:")):
                total = max(total, int(line.split()[1]))
                continue
            m = re.match(r"(c?fn)=\((\d+)\)(?: (.*))?", line.rstrip("\n"))
            if m:
                if m.group(3):
                    names[m.group(2)] = m.group(3)
                if m.group(1) == "cfn":
                    current_callee = names.get(m.group(2), "")
                continue
            if line.startswith("calls="):
                pending_call = bool(current_callee and pattern.search(current_callee))
                if pending_call:
                    calls += int(line.split("=")[1].split()[0])
                continue
            if pending_call and line[:1] in "0123456789+-*":
                inclusive += int(line.split()[1])
                pending_call = False
    return total, calls, inclusive


# --- the phases ----------------------------------------------------------------------------------
def bench_startup(b, runs, results):
    """Two passes; in each, every program starts `runs` times, taking turns."""
    homes = {"floor": b.new_home(), "empty": b.new_home([]), "20 entries": b.new_home(idle_entries())}
    programs = {"floor": b.floor, "empty": b.tavrel, "20 entries": b.tavrel}
    for n in (1, 2):
        times = {k: [] for k in homes}
        order = list(homes)
        for k in range(runs):
            # Taking turns in a rotating order, with a pause after each, so that no program
            # always starts while the one before it is still being cleaned up after (a player's
            # stream in the sound server, a tray item on the bus).
            for what in order[k % 3:] + order[:k % 3]:
                proc, secs, _ = b.start(programs[what], homes[what], "startup-%s-%d-%d.log" % (
                    what.replace(" ", ""), n, k))
                times[what].append(secs * 1000)
                time.sleep(0.5)  # let it reach its event loop before it is told to end
                b.stop(proc)
                time.sleep(1)
        for what, values in times.items():
            results.setdefault(("startup", what), []).append(median(values))
            print("start-up to mapped window, %s, pass %d of %d runs: median %.0f ms (all: %s)" % (
                what, n, runs, median(values), " ".join("%.0f" % t for t in values)), flush=True)


def sample_idle(procs, seconds):
    """CPU share of one core and voluntary context switches per second of each process; the
    same per thread is printed, to tell the ticks from the threads that carry messages."""
    before = {k: per_thread(p.pid) for k, p in procs.items()}
    t0 = time.monotonic()
    time.sleep(seconds)
    elapsed = time.monotonic() - t0
    shares = {}
    for k, p in procs.items():
        # A thread started meanwhile counts from nothing; one that ended is lost with its count.
        grown = {name: (ns - before[k].get(name, (0, 0))[0], vol - before[k].get(name, (0, 0))[1])
                 for name, (ns, vol) in per_thread(p.pid).items()}
        print("  %s by thread: %s" % (k, ", ".join(
            "%s %.3f%% %.1f/s" % (name, ns / 1e7 / elapsed, vol / elapsed)
            for name, (ns, vol) in sorted(grown.items()))), flush=True)
        shares[k] = (sum(ns for ns, _ in grown.values()) / 1e7 / elapsed,
                     sum(vol for _, vol in grown.values()) / elapsed)
    return shares


def describe(results, what, proc):
    mem, peak, n, gl = rss_mb(proc.pid), peak_mb(proc.pid), threads(proc.pid), gl_driver_mapped(proc.pid)
    results[("rss", what)], results[("threads", what)], results[("gl", what)] = mem, n, gl
    print("%s: resident %.1f MB (peak %.1f MB), %d threads, GL driver mapped: %s" % (
        what, mem, peak, n, "yes" if gl else "no"), flush=True)


def bench_idle(b, seconds, results):
    """The floor runs throughout; beside it the empty list, 20 idle entries, 20 running ones."""
    results["idle seconds"] = seconds
    floor, _, _ = b.start(b.floor, b.new_home(), "floor-idle.log")
    try:
        time.sleep(3)
        describe(results, "floor", floor)
        empty, _, _ = b.start(b.tavrel, b.new_home([]), "empty-idle.log")
        time.sleep(3)
        share = sample_idle({"floor": floor, "empty": empty}, seconds / 2)
        describe(results, "empty", empty)
        b.stop(empty)
        for what, (cpu, switches) in share.items():
            results[("cpu-half", what)] = (cpu, switches)
            print("idle over %.0f s, %s: %.3f%% of one core, %.1f voluntary context switches/s" % (
                seconds / 2, what, cpu, switches), flush=True)

        idle, _, _ = b.start(b.tavrel, b.new_home(idle_entries()), "idle20-idle.log")
        time.sleep(3)
        describe(results, "20 idle", idle)
        b.stop(idle)

        home = b.new_home(idle_entries())
        running, _, window = b.start(b.tavrel, home, "running20-idle.log")
        b.enable_all(window, home, 20)
        blinking, _, _ = b.start(b.blinking_floor, b.new_home(), "blinking-floor-idle.log")
        time.sleep(3)
        share = sample_idle({"floor": floor, "blinking floor": blinking, "20 running": running}, seconds)
        describe(results, "20 running", running)
        b.stop(running)
        b.stop(blinking)
        for what, (cpu, switches) in share.items():
            results[("cpu", what)] = (cpu, switches)
            print("idle over %.0f s, %s: %.3f%% of one core, %.1f voluntary context switches/s" % (
                seconds, what, cpu, switches), flush=True)
    finally:
        b.stop(floor)


def bench_callgrind(b, seconds, tick_function, results):
    """Both programs under callgrind, counting only a window of `seconds` after they settled:
    all instructions of the process, and those of the tick function alone."""
    grind = lambda name: ["valgrind", "--tool=callgrind", "--instr-atstart=no",
                          "--callgrind-out-file=%s/callgrind-%s.out" % (b.out, name)]
    floor, _, _ = b.start(b.floor, b.new_home(), "floor-callgrind.log", wrapper=grind("floor"),
                          timeout=120)
    home = b.new_home(idle_entries())
    running, _, window = b.start(b.tavrel, home, "running20-callgrind.log", wrapper=grind("tavrel"),
                                 timeout=180)
    try:
        b.enable_all(window, home, 20, settle=5)
        time.sleep(5)
        for p in (floor, running):
            subprocess.run(["callgrind_control", "-i", "on", str(p.pid)], capture_output=True,
                           check=True)
        time.sleep(seconds)
        for p in (floor, running):
            subprocess.run(["callgrind_control", "-i", "off", str(p.pid)], capture_output=True,
                           check=True)
    finally:
        b.stop(running, 60)
        b.stop(floor, 60)
    for what, name, function in (("floor", "floor", r"\bshowTime\("), ("20 running", "tavrel", tick_function)):
        total, calls, inclusive = callgrind_costs("%s/callgrind-%s.out" % (b.out, name), function)
        per_interval = total / (seconds * 1000 / TICK_MS)
        per_tick = inclusive / calls if calls else float("nan")
        results[("instr", what)] = (per_interval, per_tick, calls)
        print("callgrind, %s, %d s: %d instructions = %.0f per 500 ms; tick function %s: %d calls, "
              "%.0f instructions each" % (what, seconds, total, per_interval, function, calls, per_tick),
              flush=True)


def alarm_plan(now, count, per_minute):
    first = (now + datetime.timedelta(seconds=40)).replace(second=0, microsecond=0)
    first += datetime.timedelta(minutes=1)
    minutes = [first + datetime.timedelta(minutes=k) for k in range((count + per_minute - 1) // per_minute)]
    entries = [("闹钟", "闹钟%d" % (k + 1), minutes[k // per_minute].strftime("%H:%M")) for k in range(count)]
    return entries, [minutes[k // per_minute] for k in range(count)]


def ring_round(b, name, entries, until, warm_after=None):
    """Starts the program on `entries`, enables them all and waits until `until` (a datetime).
    With `warm_after` (seconds after the first entry was enabled), the memory before is taken
    then, once the first ring is over, so that what a first ring loads once is not counted as
    growth. Returns (trace events, bench-seen enabling times, sound onsets, RSS before and after,
    whether a GL driver is mapped)."""
    home = b.new_home(entries)
    rec = Recorder(os.path.join(b.out, "rings-%s.wav" % name))
    log = "rings-%s.log" % name
    proc, _, window = b.start(b.tavrel, home, log, trace=True)
    try:
        seen = b.enable_all(window, home, len(entries))
        time.sleep(1)
        if warm_after is not None:
            time.sleep(max(min(seen.values()) + warm_after - time.time(), 0))
        before = rss_mb(proc.pid)
        time.sleep(max((until - datetime.datetime.now()).total_seconds(), 0))
        after, gl = rss_mb(proc.pid), gl_driver_mapped(proc.pid)
    finally:
        b.stop(proc)
        onsets = rec.onsets()
    return parse_log(os.path.join(b.out, log)), seen, onsets, (before, after), gl


def bench_rings(b, count, per_minute, results):
    entries, due = alarm_plan(datetime.datetime.now(), count, per_minute)
    ev, _, onsets, alarm_rss, gl_a = ring_round(
        b, "alarms", entries, due[-1] + datetime.timedelta(seconds=RING_SECONDS + 3))
    playing, rung = ev.get("playing", {}), ev.get("ring", {})
    from_minute, making, heard = [], [], []
    for i, minute in enumerate(due):
        boundary = minute.timestamp() * 1000
        play = first_after(playing.get(i, []), boundary, 60000)
        if play is None:
            print("alarm %d (%s): no ring seen" % (i + 1, minute.strftime("%H:%M")))
            continue
        from_minute.append(play - boundary)
        ring = first_after(rung.get(i, []), boundary, 60000)
        if ring is not None:
            making.append(play - ring)
    for minute in sorted(set(due)):  # only the first ring of a minute starts in silence
        sound = first_after(onsets, minute.timestamp() * 1000, 3000)
        if sound is not None:
            heard.append(sound - minute.timestamp() * 1000)
    results["alarm latency"], results["alarm heard"] = from_minute, heard

    # Timers 5 s apart, so that each ring starts in silence and is heard on its own.
    durations = [10 + 5 * k for k in range(count)]
    timers = [("计时器", "计时器%d" % (k + 1), "00:%02d:%02d" % divmod(s, 60)) for k, s in enumerate(durations)]
    until = datetime.datetime.now() + datetime.timedelta(seconds=durations[-1] + 25 + RING_SECONDS)
    # The memory over the rings is taken from the end of the first timer's ring: a first ring may
    # load the media service once, which is start-up cost, not growth.
    ev, seen, onsets, timer_rss, gl_t = ring_round(b, "timers", timers, until,
                                                   warm_after=durations[0] + RING_SECONDS + 2)
    playing, rung = ev.get("playing", {}), ev.get("ring", {})
    from_deadline, from_zero, timer_heard = [], [], []
    for i, secs in enumerate(durations):
        enabled = ev.get("enabled", {}).get(i, [seen.get(i, 0) * 1000])[0]
        deadline = enabled + secs * 1000
        play = first_after(playing.get(i, []), deadline - 2000, 6000)
        if play is None:
            print("timer %d: no ring seen" % (i + 1))
            continue
        from_deadline.append(play - deadline)
        zero = first_after(ev.get("zero", {}).get(i, []), deadline - 2000, 6000)
        if zero is not None:
            from_zero.append(play - zero)
        ring = first_after(rung.get(i, []), deadline - 2000, 6000)
        if ring is not None:
            making.append(play - ring)
        sound = first_after(onsets, deadline - 500, 3000)
        if sound is not None:
            timer_heard.append(sound - deadline)
    results["timer latency"], results["timer zero"], results["timer heard"] = from_deadline, from_zero, timer_heard
    results["making"] = making
    rings = len(from_deadline) - 1  # the rings after the first timer's
    grown = timer_rss[1] - timer_rss[0]
    results["ring memory"] = (alarm_rss, timer_rss, rings, grown)
    results[("gl", "after rings")] = gl_a or gl_t

    print("ring latency to PlayingState, alarms (from the start of the minute): " + spread(from_minute))
    # Qt lines up a 500 ms timer with the monotonic clock, so a tick meets the wall clock's
    # minute at the same offset on every run of one boot; other boots give 0 to 500 ms.
    print("  the tick's offset from the wall clock's half seconds on this boot: %.0f ms" % (
        (time.time() - time.monotonic()) % 0.5 * 1000))
    print("ring latency to PlayingState, timers (from enabling + duration): " + spread(from_deadline))
    print("ring latency to PlayingState, timers (from the shown 00:00:00): " + spread(from_zero))
    print("making and starting the player (ring to PlayingState): " + spread(making))
    print("first sound on the null sink, alarms (from the minute, first ring of each minute): " + spread(heard))
    print("first sound on the null sink, timers (from enabling + duration): " + spread(timer_heard))
    print("memory: alarms round %.1f MB before the first ring, %.1f MB after the last; timers round "
          "%.1f MB after the first ring, %.1f MB after the last: %+.1f kB per ring over %d rings" % (
              alarm_rss + timer_rss + (1024 * grown / max(rings, 1), rings)))
    print("GL driver mapped after the rings: %s" % ("yes" if results[("gl", "after rings")] else "no"),
          flush=True)


# --- the table -----------------------------------------------------------------------------------
def table(results, machine):
    r = results.get
    rows = []
    fmt = lambda v, f="%.0f": "—" if v is None else f % v
    share = lambda v, secs: "%.3f" % v

    s = {k: r(("startup", k)) for k in ("floor", "empty", "20 entries")}
    if s["floor"]:
        pair = lambda k: " / ".join("%.0f" % v for v in s[k])
        rows.append(("start-up to mapped window, median ms (pass 1 / 2)", pair("floor"), pair("empty"),
                     pair("20 entries"), "empty %.2f× floor; 20 entries %.2f× empty" % (
                         ratio(median(s["empty"]), median(s["floor"])),
                         ratio(median(s["20 entries"]), median(s["empty"])))))
    if r(("rss", "floor")) is not None:
        rows.append(("resident memory MB (idle)", fmt(r(("rss", "floor")), "%.1f"),
                     fmt(r(("rss", "empty")), "%.1f"),
                     "%s idle / %s running" % (fmt(r(("rss", "20 idle")), "%.1f"), fmt(r(("rss", "20 running")), "%.1f")),
                     "empty = floor %+.1f; 20 idle = empty %+.1f" % (r(("rss", "empty")) - r(("rss", "floor")),
                                                            r(("rss", "20 idle")) - r(("rss", "empty")))))
        rows.append(("threads (20 idle entries)", fmt(r(("threads", "floor"))), fmt(r(("threads", "empty"))),
                     "%s idle / %s running" % (fmt(r(("threads", "20 idle"))), fmt(r(("threads", "20 running")))), ""))
        fl, em, ru = r(("cpu", "floor")), r(("cpu-half", "empty")), r(("cpu", "20 running"))
        fl_half = r(("cpu-half", "floor"))
        secs = r("idle seconds")
        rows.append(("idle CPU, % of one core (beside the empty list / beside 20 running)",
                     "%s / %s" % (share(fl_half[0], secs / 2), share(fl[0], secs)), share(em[0], secs / 2),
                     share(ru[0], secs), "20 running %.2f× floor" % ratio(ru[0], fl[0])))
        rows.append(("voluntary context switches/s (same windows)", "%.1f / %.1f" % (fl_half[1], fl[1]),
                     "%.1f" % em[1], "%.1f" % ru[1], "20 running: floor %+.1f/s" % (ru[1] - fl[1])))
    if r(("instr", "floor")):
        fl, ru = r(("instr", "floor")), r(("instr", "20 running"))
        rows.append(("instructions per 500 ms, whole process (callgrind, 20 running)",
                     "{:,.0f}".format(fl[0]), "—", "{:,.0f}".format(ru[0]), "%.1f× floor" % ratio(ru[0], fl[0])))
        rows.append(("instructions per tick, the tick function alone", "{:,.0f}".format(fl[1]), "—",
                     "{:,.0f}".format(ru[1]), "%d / %d calls" % (fl[2], ru[2])))
    if r(("gl", "floor")) is not None:
        yn = lambda v: "—" if v is None else ("yes" if v else "no")
        rows.append(("GL driver mapped (libLLVM, swrast)", yn(r(("gl", "floor"))), yn(r(("gl", "empty"))),
                     "%s idle / %s running / %s after rings" % (yn(r(("gl", "20 idle"))), yn(r(("gl", "20 running"))),
                                                            yn(r(("gl", "after rings")))), ""))
    ms = lambda v: "median %.0f, %.0f to %.0f (n=%d)" % (median(v), min(v), max(v), len(v)) if v else "—"
    if "alarm latency" in results:
        rows.append(("ring → PlayingState, alarms, from the minute's start, ms", "—", "—", ms(r("alarm latency")), ""))
        rows.append(("ring → PlayingState, timers, from the deadline, ms", "—", "—", ms(r("timer latency")), ""))
        rows.append(("ring → PlayingState, timers, from the shown 00:00:00, ms", "—", "—", ms(r("timer zero")), ""))
        rows.append(("making and starting the player (ring → PlayingState), ms", "—", "—", ms(r("making")), ""))
        rows.append(("first sound on the sink, alarms / timers, ms", "—", "—",
                     "%s / %s" % (ms(r("alarm heard")), ms(r("timer heard"))), ""))
        a, t, n, grown = r("ring memory")
        rows.append(("memory, alarms round: before the first ring → after the last, MB", "—", "—",
                     "%.1f → %.1f" % a, ""))
        rows.append(("memory, timers round: after the first ring → after the last, MB", "—", "—",
                     "%.1f → %.1f" % t, "%+.0f kB per ring (n=%d)" % (1024 * grown / max(n, 1), n)))
    print()
    print("%s, %s" % (machine, datetime.date.today().isoformat()))
    print()
    print("| figure | floor | empty list | 20 entries | ratio / difference |")
    print("|---|---|---|---|---|")
    for row in rows:
        print("| " + " | ".join(row) + " |")


def machine_line():
    model = "unknown CPU"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo") as f:
        mem = int(f.readline().split()[1]) / 1048576
    with open("/etc/debian_version") as f:
        debian = f.read().strip()
    return "%d cores of %s, %.1f GB RAM, Debian %s, Xvfb %s" % (
        os.cpu_count(), model, mem, debian, os.environ.get("TEST_SESSION_SCREEN", "?"))


def main():
    tavrel, floor, out = sys.argv[1], sys.argv[2], sys.argv[3]
    runs = int(os.environ.get("BENCH_STARTUP_RUNS", "5"))
    idle = int(os.environ.get("BENCH_IDLE_SECONDS", "60"))
    grind = int(os.environ.get("BENCH_CALLGRIND_SECONDS", "20"))
    rings = int(os.environ.get("BENCH_RINGS", "20"))
    per_minute = int(os.environ.get("BENCH_ALARMS_PER_MINUTE", "10"))
    tick_function = os.environ.get("BENCH_TICK_FUNCTION", r"^MainWindow::tick\(\)$")
    skip = set(os.environ.get("BENCH_SKIP", "").split(","))
    styles = [s for s in os.environ.get("BENCH_STYLES", "").split(",") if s] or [None]
    os.makedirs(out, exist_ok=True)
    machine = machine_line()
    print(machine, flush=True)
    b = Bench(tavrel, floor, out)
    results = {}
    with open("/proc/loadavg") as f:
        print("load average before: " + " ".join(f.read().split()[:3]), flush=True)
    try:
        if "startup" not in skip:
            bench_startup(b, runs, results)
        if "idle" not in skip:
            by_style = {}
            for style in styles:
                b.style = style
                print("idle under %s" % (("-style " + style) if style else "the default style"),
                      flush=True)
                by_style[style] = results if style == styles[0] else {}
                bench_idle(b, idle, by_style[style])
            b.style = styles[0]
        if "callgrind" not in skip:
            bench_callgrind(b, grind, tick_function, results)
        if "rings" not in skip:
            bench_rings(b, rings, per_minute, results)
    finally:
        b.cleanup()
    with open("/proc/loadavg") as f:
        print("load average after: " + " ".join(f.read().split()[:3]), flush=True)
    table(results, machine)
    if "idle" not in skip and len(styles) > 1:
        style_table(by_style)


def style_table(by_style):
    """Idle with 20 running entries under each style, the floors beside in the same style."""
    print()
    print("| style | floor CPU % | 20 running CPU % | ratio | floor switches/s | 20 running switches/s "
          "| blinking floor CPU % | blinking floor switches/s |")
    print("|---|---|---|---|---|---|---|---|")
    for style, r in by_style.items():
        fl, ru, bl = r[("cpu", "floor")], r[("cpu", "20 running")], r[("cpu", "blinking floor")]
        print("| %s | %.3f | %.3f | %.2f× | %.1f | %.1f | %.3f | %.1f |" % (
            style, fl[0], ru[0], ratio(ru[0], fl[0]), fl[1], ru[1], bl[0], bl[1]))


if __name__ == "__main__":
    main()

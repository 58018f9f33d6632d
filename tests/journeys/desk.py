"""What a journey uses to act and look as a person at the virtual desktop: the real program
started with its own HOME, the accessibility tree to find what is on screen, xdotool to click
and type, screenshots, the storage file's bytes, the notifications that arrived, and the
sound recorded from the null sink. Journeys never call into the program's code."""
import contextlib
import json
import math
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import traceback
import wave

import pyatspi
from Xlib import display as xdisplay

STORAGE = "Documents/Tavrel存储文件.txt"
HEADER0 = "数量,0,背景图片,无\n"
# Plain, checkable and auto-exclusive push buttons show up under these roles.
BUTTONS = ("push button", "toggle button", "radio button")
# What a person operates, and so what a screen reader must be able to name. Anything that takes
# keyboard focus counts too, whatever its role.
CONTROLS = BUTTONS + ("check box", "text", "spin button", "combo box", "menu item", "slider",
                      "page tab", "tree", "tree table", "list", "table", "password text")
# libfaketime as scripts/test-session.sh found it (its directory differs from machine to machine).
FAKETIME_LIB = os.environ.get("TAVREL_FAKETIME_LIB", "")


class JourneyFailed(Exception):
    pass


def wait_until(what, pred, timeout=10.0, step=0.1):
    """Polls pred until it returns something truthy; raises with what after timeout seconds."""
    end = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            value = pred()
            if value:
                return value
        except (pyatspi.utils.Error if hasattr(pyatspi.utils, "Error") else Exception) as e:
            last_error = e
        except Exception as e:  # the tree changes under us while it is walked
            last_error = e
        if time.monotonic() >= end:
            raise JourneyFailed("timed out after %.1f s waiting for %s%s" % (
                timeout, what, " (last error: %s)" % last_error if last_error else ""))
        time.sleep(step)


def record_text(*lines):
    return "".join(line + "\n" for line in lines)


def entry_lines(no, kind, name, when, repeat="否", sound="默认响铃", command="无",
                loop="是", state="开启"):
    return record_text("序号,%d" % no, "类型," + kind, "名称," + name, "时间," + when,
                       "每周重复," + repeat, "声音文件," + sound, "命令文件," + command,
                       "重复闹铃," + loop, "状态," + state)


class Desk:
    def __init__(self, name):
        root = os.environ.get("JOURNEY_OUT", os.path.join(tempfile.gettempdir(), "journeys"))
        self.name = name
        self.out = os.path.join(root, name)
        shutil.rmtree(self.out, ignore_errors=True)
        os.makedirs(self.out)
        self.home = tempfile.mkdtemp(prefix="tavrel-journey-home.")
        self.binary = os.environ["TAVREL_BINARY"]
        self.proc = None
        self.app_log = None
        self.recorder = None
        self.rec_path = None
        self.rec_start = None
        self.shots = 0
        self.log_lines = []
        self.problems = []

    # --- the program -----------------------------------------------------------------
    def start(self, tag="run", env=None):
        """Starts the program; env adds to or overrides its environment."""
        env = dict(os.environ, HOME=self.home, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", **(env or {}))
        self.app_log = open(os.path.join(self.out, "tavrel-%s.log" % tag), "ab")
        self.proc = subprocess.Popen([self.binary], env=env, stdout=self.app_log,
                                     stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        self.say("started tavrel pid %d (HOME %s)" % (self.proc.pid, self.home))
        return self.main_window()

    def quit_by_signal(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def signal(self, sig):
        """Sends sig to the program, as a busy or suspending machine would stop and resume it."""
        self.proc.send_signal(sig)
        self.say("sent %s to pid %d" % (signal.Signals(sig).name, self.proc.pid))

    def wait_exit(self, timeout):
        wait_until("the program to end", lambda: self.proc.poll() is not None, timeout)
        return self.proc.returncode

    def problem(self, text):
        """Notes something wrong and goes on, so that one run tells every problem it meets; the
        journey fails at its end."""
        self.say("PROBLEM: " + text)
        self.problems.append(text)

    def say(self, text):
        line = "[%s %.3f] %s" % (self.name, time.time(), text)
        self.log_lines.append(line)
        print(line, flush=True)

    # --- the accessibility tree ------------------------------------------------------------
    def app(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for a in desktop:
            if a is not None and a.get_process_id() == self.proc.pid:
                return a
        return None

    def walk(self, node=None):
        node = node or self.app()
        if node is None:
            return
        stack = [node]
        while stack:
            n = stack.pop()
            yield n
            try:
                kids = [c for c in n if c is not None]
            except Exception:
                kids = []
            stack.extend(reversed(kids))

    def find(self, role=None, name=None, root=None, showing=True):
        for n in self.walk(root):
            try:
                if role is not None and n.getRoleName() != role:
                    continue
                if name is not None and n.name != name:
                    continue
                if showing and not n.getState().contains(pyatspi.STATE_SHOWING):
                    continue
                return n
            except Exception:
                continue
        return None

    def need(self, role, name, root=None, timeout=10.0):
        return wait_until("%s %r" % (role, name), lambda: self.find(role, name, root), timeout)

    def main_window(self, timeout=15.0):
        try:
            return wait_until("the main window 'Tavrel'", lambda: self.find("frame", "Tavrel"),
                              timeout)
        except JourneyFailed as e:
            # Whether the program or the accessibility tree was missing tells where to look.
            shown = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid),
                                    "--name", "^Tavrel$"], capture_output=True, text=True).stdout
            app = self.app()
            tops = [] if app is None else [(c.getRoleName(), c.name) for c in app if c is not None]
            raise JourneyFailed("%s; the program %s, its window %s on the screen; the accessibility"
                                " tree %s" % (
                e, "runs" if self.proc.poll() is None else "ended (%s)" % self.proc.returncode,
                "is" if shown.strip() else "is not",
                "lacks the program" if app is None else "shows its windows as %r" % tops))

    def dialog(self, title, timeout=10.0):
        return wait_until("the dialog %r" % title,
                          lambda: self.find("dialog", title) or self.find("frame", title), timeout)

    def prompt_shown(self, text):
        """A message box showing text, or None."""
        label = self.find("label", text)
        return label

    def prompt_containing(self, fragment):
        """The text label of a shown message box whose text contains fragment, or None."""
        for n in self.walk():
            try:
                if n.getRoleName() != "label" or fragment not in n.name:
                    continue
                if not n.getState().contains(pyatspi.STATE_SHOWING):
                    continue
                if self.window_of(n).getRoleName() in ("alert", "dialog"):
                    return n
            except Exception:
                continue
        return None

    @staticmethod
    def window_of(acc):
        """The alert, dialog or frame acc sits in."""
        box = acc.parent
        while box is not None and box.getRoleName() not in ("alert", "dialog", "frame"):
            box = box.parent
        return box

    def close_prompt(self, text, timeout=10.0):
        label = wait_until("the prompt %r" % text, lambda: self.prompt_shown(text), timeout)
        box = label.parent
        while box is not None and box.getRoleName() not in ("alert", "dialog", "frame"):
            box = box.parent
        ok = next((b for b in (self.find("push button", n, box) for n in ("OK", "&OK", "确定"))
                   if b is not None), None)
        if ok is None:
            raise JourneyFailed("prompt %r has no OK button" % text)
        self.click(ok)
        wait_until("the prompt %r to close" % text, lambda: not self.prompt_shown(text), 5)

    @staticmethod
    def extents(acc):
        e = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return e.x, e.y, e.width, e.height

    def centre(self, acc):
        x, y, w, h = self.extents(acc)
        return x + w // 2, y + h // 2

    @staticmethod
    def checked(acc):
        return acc.getState().contains(pyatspi.STATE_CHECKED)

    @staticmethod
    def enabled(acc):
        return acc.getState().contains(pyatspi.STATE_ENABLED)

    # --- hands -------------------------------------------------------------------------
    def xdo(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], check=True)

    def click_at(self, x, y, button=1):
        self.xdo("mousemove", "--sync", x, y)
        self.xdo("click", button)

    def click(self, acc, dx=None, dy=None):
        x, y, w, h = self.extents(acc)
        self.click_at(x + (w // 2 if dx is None else dx), y + (h // 2 if dy is None else dy))

    def button(self, name, root=None):
        for role in BUTTONS:
            b = self.find(role, name, root)
            if b is not None:
                return b
        return None

    def press(self, name, root=None, timeout=10.0):
        button = wait_until("an enabled button %r" % name,
                            lambda: (lambda b: b if b and self.enabled(b) else None)(
                                self.button(name, root)), timeout)
        self.click(button)
        return button

    def type(self, text):
        keyboard_has(text)
        self.xdo("type", "--delay", 40, text)

    def key(self, *keys):
        self.xdo("key", *keys)

    def focused(self):
        """The control that has the keyboard focus, or None. A group may be marked focused with
        the button in it, so the innermost marked node counts; a list's current cell stays
        marked after the focus has left the list, so a cell counts only when nothing else is."""
        marked, cells = [], []
        for n in self.walk():  # parents before their children
            try:
                state = n.getState()
                if state.contains(pyatspi.STATE_FOCUSED) and state.contains(pyatspi.STATE_SHOWING):
                    (cells if n.getRoleName() == "table cell" else marked).append(n)
            except Exception:
                continue
        return (marked or cells or [None])[-1 if marked else 0]

    def tab_to(self, what, pred, key="Tab", most=40):
        """Presses key (Tab by default) until the focused control satisfies pred, as a person
        listening to a screen reader does; returns that control."""
        seen = []
        for _ in range(most):
            node = wait_until("a focused control", self.focused, 3)
            try:
                if pred(node):
                    return node
                seen.append("%s %r" % (node.getRoleName(), node.name))
            except Exception:
                pass
            self.key(key)
            time.sleep(0.15)
        raise JourneyFailed("%s never got the focus with %s; it went round %s" % (
            what, key, seen[:20]))

    # --- what a person sees ------------------------------------------------------------------
    def shot(self, label):
        self.shots += 1
        path = os.path.join(self.out, "%02d-%s.png" % (self.shots, label))
        subprocess.run(["import", "-window", "root", path], check=False,
                       stderr=subprocess.DEVNULL)
        return path

    def rows(self):
        """The rows of the list, top to bottom: the texts of their labels and their check box.
        A row is a button holding a check box, whatever name it carries."""
        win = self.find("frame", "Tavrel")
        result = []
        if win is None:
            return result
        for n in self.walk(win):
            if n.getRoleName() not in BUTTONS:
                continue
            labels = [c.name for c in n if c is not None and c.getRoleName() == "label"]
            boxes = [c for c in n if c is not None and c.getRoleName() == "check box"]
            if not boxes:
                continue
            y = self.extents(n)[1]
            result.append({"y": y, "labels": labels, "box": boxes[0], "button": n,
                           "checked": self.checked(boxes[0])})
        result.sort(key=lambda r: r["y"])
        return result

    def row_named(self, name):
        for r in self.rows():
            if name in r["labels"]:
                return r
        return None

    def tree_lines(self, root=None):
        """One line per showing node: its role and name (what a screen reader announces)."""
        lines = []
        for n in self.walk(root):
            try:
                if n.getState().contains(pyatspi.STATE_SHOWING):
                    lines.append("%s %r" % (n.getRoleName(), n.name))
            except Exception as e:
                lines.append("? %s" % e)
        return lines

    def unnamed_controls(self, root=None):
        """The showing controls without a name: (role, description, extents) per control."""
        missing = []
        for n in self.walk(root):
            try:
                state = n.getState()
                role = n.getRoleName()
                if not state.contains(pyatspi.STATE_SHOWING) or n.name.strip():
                    continue
                if role in CONTROLS or state.contains(pyatspi.STATE_FOCUSABLE):
                    missing.append((role, n.description, self.extents(n)))
            except Exception:
                continue
        return missing

    # --- the file, the bus ----------------------------------------------------------------
    def write_storage(self, text):
        """Puts a storage file in place before the program starts, as an earlier run left it."""
        os.makedirs(os.path.join(self.home, "Documents"), exist_ok=True)
        with open(os.path.join(self.home, STORAGE), "w", encoding="utf-8") as f:
            f.write(text)

    def storage(self):
        path = os.path.join(self.home, STORAGE)
        with open(path, "rb") as f:
            return f.read().decode("utf-8")

    def expect_storage(self, expected, what, timeout=5.0):
        try:
            wait_until(what, lambda: self.storage() == expected, timeout)
        except JourneyFailed:
            raise JourneyFailed("%s: the storage file holds\n%s\ninstead of\n%s" % (
                what, self.storage(), expected))

    @staticmethod
    def notes(closed=False):
        """The notifications that arrived, or (closed=True) the ids the program closed."""
        with open(os.environ["JOURNEY_NOTES"], encoding="utf-8") as f:
            records = [json.loads(line) for line in f if line.strip()]
        if closed:
            return [r["closed"] for r in records if "closed" in r]
        return [r for r in records if "summary" in r]

    @staticmethod
    def invoke_note(nid, key):
        """Clicks the action key of notification nid, as the desktop's daemon passes it on."""
        import dbus
        obj = dbus.SessionBus().get_object("org.freedesktop.Notifications",
                                           "/org/freedesktop/Notifications")
        obj.Invoke(dbus.UInt32(nid), key, dbus_interface="org.tavrel.JourneyNotifications")

    def wait_note(self, summary, body, after=0.0, timeout=15.0):
        return wait_until("a notification %r / %r" % (summary, body), lambda: next(
            (n for n in self.notes() if n["summary"] == summary and n["body"] == body
             and n["time"] >= after), None), timeout)

    # --- the tray, as a StatusNotifier host sees it -------------------------------------------
    def tray(self):
        import dbus
        def item():
            with open(os.environ["JOURNEY_ITEMS"]) as f:
                for line in f:
                    entry = json.loads(line)
                    if "-%d-" % self.proc.pid in entry["service"]:
                        return entry["service"]
            return None
        service = wait_until("the tray icon on the bus", item, 10)
        bus = dbus.SessionBus()
        return bus, bus.get_object(service, "/StatusNotifierItem")

    def tray_activate(self):
        _, obj = self.tray()
        obj.Activate(0, 0, dbus_interface="org.kde.StatusNotifierItem")

    def tray_menu(self):
        """The tray menu's entries as (id, label) pairs, separators left out."""
        import dbus
        bus, obj = self.tray()
        path = obj.Get("org.kde.StatusNotifierItem", "Menu",
                       dbus_interface=dbus.PROPERTIES_IFACE)
        menu = bus.get_object(obj.bus_name, path)
        # As a tray host opens the menu: told first, then the entries read.
        menu.AboutToShow(0, dbus_interface="com.canonical.dbusmenu")
        _, layout = menu.GetLayout(0, -1, [], dbus_interface="com.canonical.dbusmenu")
        entries = []

        def walk(node):
            nid, props, kids = node
            if "label" in props and props.get("type", "") != "separator":
                entries.append((int(nid), str(props["label"])))
            for k in kids:
                walk(k)
        walk(layout)
        return menu, entries

    def tray_choose(self, label):
        import dbus
        menu, entries = self.tray_menu()
        for nid, text in entries:
            if text == label:
                menu.Event(nid, "clicked", dbus.Int32(0, variant_level=1),
                           dbus.UInt32(0), dbus_interface="com.canonical.dbusmenu")
                return
        raise JourneyFailed("the tray menu has no %r: %r" % (label, entries))

    # --- sound ------------------------------------------------------------------------------
    def record(self):
        self.rec_path = os.path.join(self.out, "sound.wav")
        self.recorder = subprocess.Popen(
            ["parecord", "-d", "nullsink.monitor", "--file-format=wav", "--channels=1",
             "--latency-msec=20",
             "--rate=16000", "--format=s16le", self.rec_path],
            stdout=subprocess.DEVNULL, stderr=open(os.path.join(self.out, "parecord.log"), "w"))
        wait_until("the recorder to start", lambda: os.path.exists(self.rec_path) and
                   os.path.getsize(self.rec_path) > 44, 10)
        self.rec_start = time.time()

    def stop_recording(self):
        if self.recorder and self.recorder.poll() is None:
            self.recorder.send_signal(signal.SIGINT)
            self.recorder.wait(10)
        return loudness(self.rec_path, self.rec_start)

    # --- the journey's frame ---------------------------------------------------------------
    def run(self, body):
        ok = False
        try:
            body(self)
            if self.problems:
                raise JourneyFailed("; ".join(self.problems))
            ok = True
        except Exception:
            self.say("JOURNEY FAILED")
            traceback.print_exc()
            self.shot("failure")
            self.dump()
        finally:
            self.quit_by_signal()
            if self.recorder and self.recorder.poll() is None:
                self.recorder.kill()
            with open(os.path.join(self.out, "journey.log"), "w") as f:
                f.write("\n".join(self.log_lines) + "\n")
            if ok:
                shutil.rmtree(self.home, ignore_errors=True)
        print("%s: %s (screenshots and logs in %s)" % (self.name, "passed" if ok else "FAILED",
                                                         self.out), flush=True)
        sys.exit(0 if ok else 1)

    def dump(self):
        try:
            print("--- storage file\n" + self.storage())
        except OSError as e:
            print("--- storage file unreadable: %s" % e)
        print("--- notifications\n" + "\n".join(json.dumps(n, ensure_ascii=False)
                                               for n in self.notes()))
        try:
            print("--- rows\n" + "\n".join(repr(r["labels"]) + " checked=%s" % r["checked"]
                                           for r in self.rows()))
        except Exception as e:
            print("--- rows unreadable: %s" % e)
        if self.app_log:
            self.app_log.flush()
            with open(self.app_log.name, errors="replace") as f:
                print("--- program output\n" + f.read()[-4000:])


def xprop(*args):
    return subprocess.run(["xprop"] + list(args), capture_output=True, text=True).stdout


def start_window_manager(d):
    """Starts openbox, as a person's desktop has a window manager that places windows and hands
    the keyboard back to the main window when a dialog closes; the caller ends it."""
    wm = subprocess.Popen(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL,
                          stderr=open(d.out + "/openbox.log", "w"))
    wait_until("the window manager", lambda: "window id" in xprop(
        "-root", "_NET_SUPPORTING_WM_CHECK"), 10)
    return wm


@contextlib.contextmanager
def window_manager(d):
    """A window manager for the length of the block (see start_window_manager)."""
    wm = start_window_manager(d)
    try:
        yield wm
    finally:
        wm.terminate()
        wm.wait(5)


def main_window_id(d):
    """The X window of the main window, as the window manager lists it."""
    def find():
        listed = re.findall(r"0x[0-9a-f]+", xprop("-root", "_NET_CLIENT_LIST"))
        for wid in listed:
            props = xprop("-id", wid, "_NET_WM_PID", "_NET_WM_NAME")
            if "= %d\n" % d.proc.pid in props and '= "Tavrel"' in props:
                return wid
        return None
    return wait_until("the main window in the window manager's list", find, 10)


class FakeClock:
    """A wall clock for the program that the journey steps while it runs, as NTP or a resume
    from suspend steps the real one: the program sees the real time plus an offset read from a
    file, which is replaced whole at each step. Its monotonic and boot clocks stay real, so
    timers and sound run as usual."""

    def __init__(self, desk, offset):
        self.desk = desk
        self.path = os.path.join(desk.out, "faketime-offset")
        self.offset = None
        self.set(offset)

    def env(self):
        if not os.path.isfile(FAKETIME_LIB):
            raise RuntimeError("libfaketime not found: run under scripts/test-session.sh")
        preload = " ".join(p for p in (os.environ.get("LD_PRELOAD"), FAKETIME_LIB) if p)
        return {"LD_PRELOAD": preload, "FAKETIME_TIMESTAMP_FILE": self.path,
                "FAKETIME_NO_CACHE": "1", "DONT_FAKE_MONOTONIC": "1"}

    def set(self, offset):
        offset = int(round(offset))
        tmp = self.path + ".new"
        with open(tmp, "w") as f:
            f.write("%+d\n" % offset)
        os.replace(tmp, self.path)
        if self.offset is not None:
            self.desk.say("wall clock stepped %+d s, to %s" % (
                offset - self.offset, self.show(time.time() + offset)))
        self.offset = offset

    def now(self):
        return time.time() + self.offset

    def at(self, real):
        """The program's wall time at the real time real."""
        return real + self.offset

    def step_to(self, fake):
        self.set(fake - time.time())

    def step_by(self, seconds):
        self.set(self.offset + seconds)

    def wait_until(self, fake, what):
        """Waits, in real time, until the program's clock reads fake."""
        wait_until(what, lambda: self.now() >= fake, max(0.0, fake - self.now()) + 5, 0.05)

    @staticmethod
    def show(t):
        import datetime
        return datetime.datetime.fromtimestamp(t).strftime("%H:%M:%S.%f")[:-3]


def loudness(path, start, window=0.05):
    """Per-window RMS (0..1) of a mono s16 wav, as (wall time, rms) pairs."""
    with wave.open(path, "rb") as w:
        rate = w.getframerate()
        data = w.readframes(w.getnframes())
    n = int(rate * window)
    samples = struct.unpack("<%dh" % (len(data) // 2), data[: len(data) // 2 * 2])
    out = []
    for i in range(0, len(samples) - n + 1, n):
        chunk = samples[i:i + n]
        rms = math.sqrt(sum(s * s for s in chunk) / n) / 32768.0
        out.append((start + i / rate, rms))
    return out


def sound_spans(profile, threshold=0.01, gap=0.3):
    """Spans (begin, end) of wall time in which the sound stays above threshold, bridging
    quiet gaps shorter than gap seconds."""
    spans = []
    for t, rms in profile:
        if rms < threshold:
            continue
        if spans and t - spans[-1][1] <= gap:
            spans[-1][1] = t + 0.05
        else:
            spans.append([t, t + 0.05])
    return [tuple(s) for s in spans]


def open_editor(d, command="新建", title="新建"):
    """Presses a tool bar command and waits for the editor; retries while the program says it
    is still loading (the editor is built just after the window shows)."""
    def attempt():
        d.press(command)
        try:
            return d.dialog(title, timeout=3)
        except JourneyFailed:
            if d.prompt_shown("后台加载尚未完成，请稍后再试。"):
                d.close_prompt("后台加载尚未完成，请稍后再试。")
            return None
    return wait_until("the editor %r" % title, attempt, 15, 0.2)


def keyboard_has(text):
    """Gives the desktop's keyboard a key of its own for each character of text it has none for,
    as a Chinese layout has. Left to itself, xdotool binds a spare key for a character, presses it
    and unbinds it at once; a program that reads the new keyboard map only after the unbinding
    sees a key that means nothing, and the character is lost (seen under load, the first
    character of "起床")."""
    dpy = xdisplay.Display()
    first = dpy.display.info.min_keycode
    rows = dpy.get_keyboard_mapping(first, dpy.display.info.max_keycode - first + 1)
    have = {sym for row in rows for sym in row}
    spare = [first + i for i, row in enumerate(rows) if not any(row)]
    for ch in dict.fromkeys(text):
        sym = ord(ch) if ord(ch) < 0x100 else 0x01000000 + ord(ch)
        if sym in have:
            continue
        if not spare:
            raise JourneyFailed("no spare key left on the keyboard for %r" % ch)
        row = [sym, sym] + [0] * (len(rows[0]) - 2)
        dpy.change_keyboard_mapping(spare.pop(), [row])
        have.add(sym)
    dpy.sync()
    dpy.close()


def type_over(d, text, shown):
    """Types text over the whole of the focused text field, whose text shown() reads."""
    d.key("ctrl+a")
    d.type(text)
    wait_until("%r typed" % text, lambda: shown() == text, 5)


def fill_editor(d, dlg, kind, name, when, weekdays=(), loop=True):
    """Fills the editor as a person does: type button, name, time digits, weekdays, loop box."""
    d.press(kind, dlg)
    wait_until("%s mode" % kind, lambda: d.checked(d.button(kind, dlg)), 5)
    edit = d.need("text", None, dlg)
    d.click(edit)
    type_over(d, name, lambda: d.find("text", None, dlg).queryText().getText(0, -1))
    spin = d.need("spin button", None, dlg)
    d.click(spin, dx=10)
    # The first keys typed into a freshly clicked time field are lost; a step with the arrow
    # keys makes the hour section current first, as a person ends up doing. Each full
    # section moves on to the next by itself, so only the digits are typed.
    d.key("Up", "Down")
    d.type(when.replace(":", ""))
    shown = lambda: d.find("spin button", None, dlg).queryText().getText(0, -1)
    try:
        wait_until("the time %r typed" % when, lambda: shown() == when, 5)
    except JourneyFailed:
        raise JourneyFailed("the time field shows %r after typing %r" % (shown(), when))
    if weekdays:
        set_weekdays(d, dlg, weekdays)
    box = d.need("check box", "反复闹铃", dlg)
    if d.checked(box) != loop:
        d.click(box, dx=8)
        wait_until("the loop box %s" % loop, lambda: d.checked(
            d.find("check box", "反复闹铃", dlg)) == loop, 5)


def dump_tree(d, root=None):
    for n in d.walk(root):
        try:
            print(n.getRoleName(), repr(n.name), d.extents(n),
                  "showing" if n.getState().contains(pyatspi.STATE_SHOWING) else "")
        except Exception as e:
            print("?", e)


WEEKDAYS = ["星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期日"]


def repeat_cells(d, dlg):
    """The repeat list's cells in the tree's order: the summary row first, then three rows of
    four columns whose columns 1 to 3 carry the weekday boxes."""
    tree = d.need("tree", None, dlg)
    return [c for c in d.walk(tree) if c.getRoleName() == "table cell"]


def set_weekdays(d, dlg, weekdays):
    """Opens the repeat list and clicks the boxes of the given days."""
    if len(repeat_cells(d, dlg)) < 16:
        x, y, w, h = d.extents(d.need("tree", None, dlg))
        d.click_at(x + 10, y + 8)  # the summary row's expander
        wait_until("the repeat list to open", lambda: len(repeat_cells(d, dlg)) >= 16, 5)
    for day in weekdays:
        i = WEEKDAYS.index(day)
        cell = repeat_cells(d, dlg)[4 + 4 * (i // 3) + 1 + i % 3]
        d.click(cell, dx=9)
    first = "重复：" + [w for w in WEEKDAYS if w in weekdays][0]
    wait_until("the repeat summary %r" % first, lambda: repeat_cells(d, dlg)[0].name == first, 5)


def choose_file(d, dlg, button, title, path):
    """Left press on a file button of the editor, then the path typed into the file dialog."""
    d.click(d.need("push button", button, dlg))
    d.dialog(title)
    d.key("ctrl+a")
    d.type(path)
    d.key("Return")
    name = path.rsplit("/", 1)[-1]
    return d.need("push button", name, dlg)

"""Drives the built Kinfolio programs on a private X display and reads their
windows through the desktop accessibility bus, as a screen reader would.

A Desktop owns one Xvfb, one session bus and one accessibility bus for the
whole test process (the accessibility library binds to one bus per process).
Every process it starts carries a run marker in its environment, so that the
clean-up finds and ends exactly those processes and whatever they started,
and nothing else on the machine.
"""

import atexit
import os
import sys
import select
import shutil
import signal
import subprocess
import tempfile
import time
import unittest
import uuid

RUN_MARKER = "KINFOLIO_E2E_RUN"
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"

# Positions in the windows are given in twips; Kinfolio draws 15 to a pixel.
TWIPS_PER_PIXEL = 15


class E2EError(AssertionError):
    """A window, control or text did not appear as expected in time."""


def wait_for(what, probe, timeout=10.0, interval=0.1):
    """Polls probe() until it returns something truthy; fails naming `what`."""
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            value = probe()
            if value:
                return value
        except Exception as error:  # the tree changes under us while windows open and close
            last_error = error
        if time.monotonic() >= deadline:
            detail = f" (last error: {last_error})" if last_error else ""
            raise E2EError(f"timed out after {timeout:.0f} s waiting for {what}{detail}")
        time.sleep(interval)


def _read_line(fd, timeout, what):
    deadline = time.monotonic() + timeout
    data = b""
    while b"\n" not in data:
        remaining = deadline - time.monotonic()
        if remaining <= 0:
            raise E2EError(f"{what} did not start within {timeout:.0f} s")
        ready, _, _ = select.select([fd], [], [], remaining)
        if ready:
            chunk = os.read(fd, 256)
            if not chunk:
                raise E2EError(f"{what} exited before it was ready")
            data += chunk
    os.close(fd)
    return data.decode().strip()


def _marked_processes(marker):
    """Pids of processes whose environment carries this run's marker."""
    needle = f"{RUN_MARKER}={marker}".encode()
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            with open(f"/proc/{entry}/environ", "rb") as f:
                if needle in f.read().split(b"\0"):
                    found.append(int(entry))
        except OSError:
            pass
    return found


def _set_parent_death_signal():
    # If the test process is killed outright, its helpers go with it.
    import ctypes

    PR_SET_PDEATHSIG = 1
    ctypes.CDLL("libc.so.6", use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGKILL)


# Accented letters the journeys type. They take keys from the upper half of
# the spare ones; xdotool keeps the lower half for any other letter.
ACCENTED_LETTERS = "öäåéüøæ"


def _bind_accented_letters(display):
    """Gives accented letters keys of their own on the display's keyboard.
    xdotool otherwise maps a spare key to such a letter for each key press and
    back, and a program that reads the mapping after it changed back loses
    the letter. Bound before any program starts, nothing changes under one."""
    import ctypes

    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDisplayKeycodes.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
    x11.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)
    x11.XGetKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_ubyte, ctypes.c_int, ctypes.POINTER(ctypes.c_int)]
    x11.XChangeKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                           ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
    x11.XFree.argtypes = [ctypes.c_void_p]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    handle = x11.XOpenDisplay(display.encode())
    if not handle:
        raise E2EError(f"cannot open the display {display}")
    try:
        low, high, per_key = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
        x11.XDisplayKeycodes(handle, ctypes.byref(low), ctypes.byref(high))
        count = high.value - low.value + 1
        table = x11.XGetKeyboardMapping(handle, low.value, count, ctypes.byref(per_key))
        spare = [low.value + k for k in range(count)
                 if not any(table[k * per_key.value + s] for s in range(per_key.value))]
        x11.XFree(table)
        # A Latin-1 letter's keysym is its code point; the capital goes with the small one.
        for keycode, small in zip(spare[len(spare) // 2:], ACCENTED_LETTERS):
            pair = (ctypes.c_ulong * 2)(ord(small), ord(small.upper()))
            x11.XChangeKeyboardMapping(handle, keycode, 2, pair, 1)
        x11.XSync(handle, 0)
    finally:
        x11.XCloseDisplay(handle)


class Desktop:
    """A private X display with a session bus and an accessibility bus."""

    def __init__(self, width=1280, height=1024):
        self.size = (width, height)
        self.marker = uuid.uuid4().hex
        self.root = tempfile.mkdtemp(prefix="kinfolio-e2e-")
        self.env = dict(os.environ)
        self.env[RUN_MARKER] = self.marker
        runtime = os.path.join(self.root, "runtime")
        os.mkdir(runtime, 0o700)
        self.env["XDG_RUNTIME_DIR"] = runtime
        # KINFOLIO_HOME would take the card program away from the copy it runs from.
        for leftover in ("WAYLAND_DISPLAY", "AT_SPI_BUS_ADDRESS", "DBUS_SESSION_BUS_PID", "KINFOLIO_HOME"):
            self.env.pop(leftover, None)
        self.processes = []
        self.atspi = None

    def spawn(self, argv, env=None, cwd=None, pass_fds=(), output=None):
        process = subprocess.Popen(
            argv,
            env=env or self.env,
            cwd=cwd,
            pass_fds=pass_fds,
            stdin=subprocess.DEVNULL,
            stdout=output or subprocess.DEVNULL,
            stderr=subprocess.STDOUT if output else subprocess.DEVNULL,
            start_new_session=True,
            preexec_fn=_set_parent_death_signal,
        )
        self.processes.append(process)
        return process

    def start(self):
        # Also on an exit that skips the suite's own clean-up.
        atexit.register(self.stop)
        try:
            self._start()
        except BaseException:
            self.stop()
            raise
        return self

    def _start(self):
        for tool in ("Xvfb", "dbus-daemon", "dbus-send", "xdotool", BUS_LAUNCHER):
            if not shutil.which(tool):
                raise E2EError(f"{tool} is missing: the end-to-end tests need Xvfb, dbus, "
                               "at-spi2-core, xdotool and python3-pyatspi")
        read_end, write_end = os.pipe()
        self.spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                    f"{self.size[0]}x{self.size[1]}x24", "-nolisten", "tcp", "-noreset"],
                   pass_fds=(write_end,))
        os.close(write_end)
        self.env["DISPLAY"] = ":" + _read_line(read_end, 20, "Xvfb")
        _bind_accented_letters(self.env["DISPLAY"])

        read_end, write_end = os.pipe()
        self.spawn(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                    f"--print-address={write_end}"], pass_fds=(write_end,))
        os.close(write_end)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = _read_line(read_end, 20, "the session bus")

        self.spawn([BUS_LAUNCHER, "--launch-immediately"])

        def bus_answers():
            return subprocess.run(
                ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                 "/org/a11y/bus", "org.a11y.Bus.GetAddress"],
                env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                timeout=5).returncode == 0

        wait_for("the accessibility bus", bus_answers, timeout=20, interval=0.2)

        # The accessibility library finds the bus through these when first used.
        for name in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"):
            os.environ[name] = self.env[name]
        try:
            import pyatspi
        except ImportError as error:
            raise E2EError(f"the accessibility bindings are missing (Debian: python3-pyatspi): {error}") from None

        self.atspi = pyatspi
        desktop = pyatspi.Registry.getDesktop(0)
        # Read every property afresh: windows and texts change between looks.
        desktop.set_cache_mask(pyatspi.Atspi.Cache.NONE)
        self.desktop = desktop

    def stop(self):
        """Ends every process of this run, by pid, and removes its files."""
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
        deadline = time.monotonic() + 5
        for process in self.processes:
            try:
                process.wait(max(0.1, deadline - time.monotonic()))
            except subprocess.TimeoutExpired:
                pass
        for _ in range(3):
            leftovers = _marked_processes(self.marker)
            leftovers += [p.pid for p in self.processes if p.poll() is None]
            if not leftovers:
                break
            for pid in set(leftovers):
                try:
                    os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
            time.sleep(0.2)
        for process in self.processes:
            if process.poll() is None:
                try:
                    process.wait(2)
                except subprocess.TimeoutExpired:
                    pass
        self.processes = []
        shutil.rmtree(self.root, ignore_errors=True)

    def leftover_processes(self):
        return _marked_processes(self.marker)

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True, timeout=10,
                       stdout=subprocess.DEVNULL)

    def screenshot(self, path):
        """Saves the whole display to a PNG (for looking at a failure)."""
        subprocess.run(["import", "-window", "root", path], env=self.env, timeout=20,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


# --- reading and driving windows -------------------------------------------


def _children(accessible):
    try:
        return [child for child in accessible if child is not None]
    except Exception:
        return []


def _descendants(accessible):
    for child in _children(accessible):
        yield child
        yield from _descendants(child)


def _text_of(accessible):
    try:
        text = accessible.queryText()
        return text.getText(0, text.characterCount)
    except NotImplementedError:
        return None


class Control:
    """One widget as the accessibility bus shows it."""

    def __init__(self, program, accessible):
        self.program = program
        self.accessible = accessible
        self.atspi = program.desktop.atspi

    @property
    def role(self):
        return self.accessible.getRoleName()

    @property
    def name(self):
        return self.accessible.name

    @property
    def text(self):
        """What the control shows: a box's text, else its caption."""
        value = _text_of(self.accessible)
        return self.name if value is None else value

    def has_state(self, state):
        return self.accessible.getState().contains(state)

    @property
    def showing(self):
        return self.has_state(self.atspi.STATE_SHOWING)

    @property
    def focused(self):
        return self.has_state(self.atspi.STATE_FOCUSED)

    @property
    def editable(self):
        return self.has_state(self.atspi.STATE_EDITABLE)

    def extents(self):
        box = self.accessible.queryComponent().getExtents(self.atspi.DESKTOP_COORDS)
        return box.x, box.y, box.width, box.height

    @property
    def tooltip(self):
        return self.accessible.description

    def press(self):
        """Presses a button through its own action, as a click would."""
        action = self.accessible.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        if "Press" not in names:
            raise E2EError(f"{self.role} {self.name!r} offers no Press action, only {names}")
        action.doAction(names.index("Press"))

    def click(self, at=None):
        """Moves the pointer onto the control and clicks, as a person would."""
        x, y, width, height = self.extents()
        dx, dy = at if at else (width // 2, height // 2)
        # No --sync: it waits for motion, and never returns when the pointer is
        # already there. The display delivers the motion before the click.
        self.program.desktop.xdotool("mousemove", str(x + dx), str(y + dy), "click", "1")

    def focus_by_click(self):
        self.click(at=(min(6, self.extents()[2] // 2), self.extents()[3] // 2))
        wait_for(f"the focus in {self.role} at {self.extents()[:2]}", lambda: self.focused, timeout=5)

    def type(self, text):
        """Clicks into the box, selects what it holds and types over it."""
        self.type_keys(text)
        wait_for(f"{text!r} typed into the box", lambda: self.text == text, timeout=10)

    def type_keys(self, text):
        """Types as type() does, without waiting to see the text arrive."""
        self.focus_by_click()
        self.program.desktop.xdotool("key", "--clearmodifiers", "ctrl+a")
        if not text:
            self.program.desktop.xdotool("key", "BackSpace")
        for index, line in enumerate(text.split("\n")):
            if index:
                self.program.desktop.xdotool("key", "Return")
            if line:
                self.program.desktop.xdotool("type", "--delay", "15", "--", line)

    def key(self, *keys):
        self.program.desktop.xdotool("key", "--clearmodifiers", *keys)

    def controls(self, role=None, name=None):
        found = []
        for accessible in _descendants(self.accessible):
            if role and accessible.getRoleName() != role:
                continue
            if name is not None and accessible.name != name:
                continue
            found.append(Control(self.program, accessible))
        return found

    def control(self, role, name):
        found = self.controls(role, name)
        if len(found) != 1:
            raise E2EError(f"window {self.name!r} has {len(found)} {role} named {name!r}, expected one")
        return found[0]

    def button(self, caption):
        return self.control("push button", caption)


class Window(Control):
    """A top-level window: finds its controls by caption or by place."""

    def labels(self):
        return [c.name for c in self.controls("label")]

    def client_origin(self):
        """Screen position of the client area: below the menu bar, if any."""
        children = [Control(self.program, c) for c in _children(self.accessible)]
        if any(c.role == "menu bar" for c in children):
            for child in children:
                if child.role != "menu bar":
                    return child.extents()[:2]
        return self.extents()[:2]

    def control_at(self, left, top, roles=("text",)):
        """The control whose top left corner is at (left, top) twips of the client area."""
        want = (left // TWIPS_PER_PIXEL, top // TWIPS_PER_PIXEL)
        for fresh in (False, True):
            for role, x, y, control in self._placed(fresh):
                if role in roles and abs(x - want[0]) <= 1 and abs(y - want[1]) <= 1:
                    return control
        raise E2EError(f"no {'/'.join(roles)} at ({left}, {top}) twips in window {self.name!r}")

    def _placed(self, fresh):
        # Windows keep their layout, so the places are looked up once: walking
        # the whole tree over the bus for every box would be slow.
        if fresh or getattr(self, "_places", None) is None:
            ox, oy = self.client_origin()
            places = []
            for control in self.controls():
                try:
                    x, y = control.extents()[:2]
                    places.append((control.role, x - ox, y - oy, control))
                except Exception:
                    continue
            self._places = places
        return self._places

    def menu(self, caption):
        """Clicks a command of the menu bar (the commands act at once)."""
        bars = self.controls("menu bar")
        if not bars:
            raise E2EError(f"window {self.name!r} has no menu bar")
        for accessible in _children(bars[0].accessible):
            if accessible.name == caption:
                Control(self.program, accessible).click()
                return
        raise E2EError(f"menu bar of {self.name!r} has no command {caption!r}")


class MessageBox(Window):
    @property
    def title(self):
        return self.name

    @property
    def message(self):
        texts = [c.name for c in self.controls("label") if c.name]
        return "\n".join(texts)

    def answer(self, caption="OK"):
        self.button(caption).press()


class Program:
    """One run of a built program, started in its own process group."""

    QT_ENV = {
        "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
        "QT_QPA_PLATFORM": "xcb",
        "QT_ACCESSIBILITY": "1",
    }

    def __init__(self, desktop, executable, cwd=None, extra_env=None):
        self.desktop = desktop
        self.executable = executable
        env = dict(desktop.env)
        env.update(self.QT_ENV)
        env.update(extra_env or {})
        self.log_path = os.path.join(desktop.root, f"{os.path.basename(executable)}-{time.monotonic_ns()}.log")
        self._log = open(self.log_path, "wb")
        self.started_at = time.monotonic()
        self.process = desktop.spawn([executable], env=env, cwd=cwd or os.path.dirname(executable),
                                     output=self._log)

    def output(self):
        self._log.flush()
        with open(self.log_path, "rb") as f:
            return f.read().decode(errors="replace")

    def application(self):
        for app in _children(self.desktop.desktop):
            try:
                if app.get_process_id() == self.process.pid:
                    return app
            except Exception:
                continue
        return None

    def windows(self, showing_only=True):
        app = self.application()
        if app is None:
            return []
        found = []
        for accessible in _children(app):
            window = Window(self, accessible)
            try:
                if not showing_only or window.showing:
                    found.append(window)
            except Exception:
                continue
        return found

    def window_titles(self):
        return sorted(w.name for w in self.windows())

    def window(self, title, role=None, timeout=15):
        """The one showing window of this title; dialogs (About) only when asked for by role."""
        def probe():
            matches = [w for w in self.windows() if w.name == title and (
                w.role == role if role else w.role not in ("alert", "dialog"))]
            return matches[0] if len(matches) == 1 else None

        return wait_for(f"window {title!r} of {os.path.basename(self.executable)} "
                        f"(showing: {self.window_titles_safe()})", probe, timeout)

    def window_titles_safe(self):
        try:
            return self.window_titles()
        except Exception:
            return "?"

    def message_box(self, timeout=10):
        def probe():
            boxes = [w for w in self.windows() if w.role == "alert"]
            return MessageBox(self, boxes[0].accessible) if len(boxes) == 1 else None

        return wait_for("a message box", probe, timeout)

    def no_message_box(self):
        return not [w for w in self.windows() if w.role == "alert"]

    def expect_message(self, message, title, answer="OK", timeout=10):
        """Waits for the message box, checks its words, answers it and waits till it is gone."""
        box = self.message_box(timeout)
        seen = (box.message, box.title)
        box.answer(answer)
        wait_for("the message box to close", self.no_message_box, timeout=10)
        if seen != (message, title):
            raise E2EError(f"message box said {seen[0]!r} titled {seen[1]!r}, "
                           f"expected {message!r} titled {title!r}")

    def wait_ended(self, timeout=15):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise E2EError(f"{os.path.basename(self.executable)} still runs {timeout} s later "
                           f"(showing: {self.window_titles_safe()})") from None

    def running(self):
        return self.process.poll() is None

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(5)
        self._log.close()


# --- the card window's layout, by the place of each box --------------------

# Each field's box, by its top left corner in twips of the card window's
# client area, in the card file's field order.
CARD_BOXES = [
    ("Name", 840, 120), ("BornDate", 4200, 120), ("BornPlace", 6120, 120),
    ("MarriedDate", 4200, 480), ("MarriedPlace", 6120, 480),
    ("DiedDate", 4200, 840), ("DiedPlace", 6120, 840),
    ("Father", 840, 480), ("Mother", 840, 840),
    ("WifeName", 840, 1320), ("WifeBornDate", 4200, 1320), ("WifeBornPlace", 6120, 1320),
    ("WifeDiedDate", 4200, 1680), ("WifeDiedPlace", 6120, 1680),
    ("WifeFather", 840, 1680), ("WifeMother", 840, 2040),
    ("Notes", 840, 2400),
]
RECORD_NUMBER_AT = (7440, 4680)
RECORD_TOTAL_AT = (7440, 5040)


class CardWindow:
    """The card window read as a card: field boxes and the record banner."""

    def __init__(self, window):
        self.window = window

    def box(self, field):
        for name, left, top in CARD_BOXES:
            if name == field:
                return self.window.control_at(left, top)
        raise KeyError(field)

    def card(self):
        return {name: self.window.control_at(left, top).text for name, left, top in CARD_BOXES}

    def banner(self):
        """(record number, record total) as the two banner labels show them
        to a screen reader: named by what they hold, the number as description."""
        number = self.window.control_at(*RECORD_NUMBER_AT, roles=("label",)).accessible.description
        total = self.window.control_at(*RECORD_TOTAL_AT, roles=("label",)).accessible.description
        return number, total

    def wait_showing(self, name, wife, banner=None, timeout=10):
        """Waits until the card of these names (and this banner) is displayed."""
        def probe():
            card = self.card()
            return (card["Name"], card["WifeName"]) == (name, wife) and (
                banner is None or self.banner() == banner)

        try:
            wait_for(f"card {name!r} / {wife!r} {banner or ''}", probe, timeout)
        except E2EError:
            card = self.card()
            raise E2EError(f"card window shows {card['Name']!r} / {card['WifeName']!r} "
                           f"{self.banner()}, expected {name!r} / {wife!r} {banner or ''}") from None

    def press(self, caption):
        self.window.button(caption).press()


def sample_couples():
    """(husband, wife) of each card that write_sample_cards() writes, in file
    order: the "start" set of the sample family the tools and tests share."""
    family = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support", "sample-family.txt")
    with open(family, encoding="utf-8") as f:
        cards = [line.rstrip("\n").split("|") for line in f if not line.startswith("#") and "|" in line]
    return [(card[1], card[10]) for card in cards if "start" in card[0].split()]


# --- test cases ------------------------------------------------------------

_desktop = None


def desktop():
    """The module's shared display and buses, started on first use."""
    global _desktop
    if _desktop is None:
        _desktop = Desktop().start()
    return _desktop


def stop_desktop():
    global _desktop
    if _desktop is not None:
        _desktop.stop()
        leftovers = _desktop.leftover_processes()
        _desktop = None
        if leftovers:
            raise E2EError(f"processes of this run still alive: {leftovers}")


class JourneyTimeout(E2EError):
    pass


class Journey(unittest.TestCase):
    """A test that starts the built programs from a fresh copy of the dist dir."""

    TIMEOUT = 60  # seconds for one journey, start-up included

    def setUp(self):
        self.desktop = desktop()
        self.programs = []
        source = os.environ.get("KINFOLIO_DIST_DIR")
        if not source or not os.path.isfile(os.path.join(source, "test.ttt")):
            self.fail(f"KINFOLIO_DIST_DIR ({source!r}) holds no built test.ttt")
        self.work = tempfile.mkdtemp(prefix="journey-", dir=self.desktop.root)
        self.dist = os.path.join(self.work, "dist")
        shutil.copytree(source, self.dist)

        def timed_out(signum, frame):
            raise JourneyTimeout(f"journey took longer than {self.TIMEOUT} s")

        signal.signal(signal.SIGALRM, timed_out)
        signal.alarm(self.TIMEOUT)

    def tearDown(self):
        signal.alarm(0)
        if self._failed():
            self._keep_evidence()
        for program in self.programs:
            program.kill()
        shutil.rmtree(self.work, ignore_errors=True)

    def _failed(self):
        result = getattr(self._outcome, "result", None)
        problems = getattr(result, "failures", []) + getattr(result, "errors", [])
        return any(test is self for test, _ in problems)

    def _keep_evidence(self):
        folder = os.environ.get("KINFOLIO_E2E_ARTIFACTS")
        if not folder:
            return
        os.makedirs(folder, exist_ok=True)
        stem = os.path.join(folder, self.id().rsplit(".", 2)[-1])
        try:
            self.desktop.screenshot(stem + ".png")
        except Exception:
            pass
        for index, program in enumerate(self.programs):
            with open(f"{stem}-{index}-{os.path.basename(program.executable)}.log", "w") as f:
                f.write(program.output())

    def start(self, executable, cwd=None, extra_env=None):
        program = Program(self.desktop, executable, cwd=cwd, extra_env=extra_env)
        self.programs.append(program)
        return program

    def start_card_program(self, directory=None, extra_env=None):
        """Starts the card program; returns it with its card window once the splash is gone."""
        executable = os.path.join(directory or self.dist, "test.ttt")
        program = self.start(executable, extra_env=extra_env)
        return program, CardWindow(program.window("Kinfolio", timeout=20))

    def write_sample_cards(self, directory=None):
        """Writes the four cards a new card folder starts with (sample_couples())."""
        script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "sample-cards.sh")
        subprocess.run(["bash", script, os.path.join(directory or self.dist, "Kinfolio.dat")],
                       check=True, timeout=30)

    def card_file(self, directory=None):
        with open(os.path.join(directory or self.dist, "Kinfolio.dat"), "rb") as f:
            return f.read()


def main():
    """Runs this module's journeys; ends with the 'N passed, N failed' line."""
    import __main__

    suite = unittest.defaultTestLoader.loadTestsFromModule(__main__)
    result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
    try:
        stop_desktop()
        cleanup_failed = 0
    except E2EError as error:
        print(f"clean-up: {error}")
        cleanup_failed = 1
    # A fault expected to fail that now passes needs its mark removed.
    failed = len(result.failures) + len(result.errors) + len(result.unexpectedSuccesses) + cleanup_failed
    # Known faults (expected failures) are counted with the skipped.
    skipped = len(result.skipped) + len(result.expectedFailures)
    passed = result.testsRun - (failed - cleanup_failed) - skipped
    print(f"{passed} passed, {failed} failed, {skipped} skipped")
    sys.exit(1 if failed or result.testsRun == 0 else 0)

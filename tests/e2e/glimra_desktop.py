"""A desktop for end-to-end tests: the program as a user starts it, with the desktop around it.

`Desktop` starts, in a scratch folder of its own:
- Xvfb (a display found through -displayfd) and openbox as the window manager;
- a private session bus (dbus-daemon --session);
- optionally a panel: "sni" (sni_watcher.py, a StatusNotifierWatcher that records items and
  activates them as a panel does) or "xembed" (Debian's trayer, the older XEmbed system tray);
- optionally glimra-sim, a simulated controller, with its trace;
- the program: a copy of glimra-utility in a scratch program folder (its settings.ini there),
  run in its own event loop on the X display, with its own runtime and data folders.

Tests drive it with xdotool (clicks, keys, the window manager's minimise), read X state with
python3-xlib and look at exit statuses. Every process started here is ended by its own id.

The executables come from $GLIMRA_BIN_DIR (the build tree's bin/), so the same tests run against
a sanitizer build. Screenshots go to $GLIMRA_E2E_SHOTS when that is set.
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from Xlib import X, Xatom, display as xdisplay
from Xlib.error import XError

HERE = os.path.dirname(os.path.abspath(__file__))
BIN_DIR = os.environ.get("GLIMRA_BIN_DIR", "")
SCREEN = (1280, 800)
# The main window's skin, in window pixels: centres of the title-bar buttons.
MIN_BUTTON = (769, 11)
CLOSE_BUTTON = (790, 11)


class DesktopError(Exception):
    pass


def wait_for(condition, timeout=10.0, what="condition", interval=0.05):
    """Polls condition() until it gives a true value, which it returns; fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise DesktopError("timed out waiting for " + what)
        time.sleep(interval)


class Process:
    """A child process whose output goes to a file, ended by its own id."""

    def __init__(self, name, args, env, log_dir, stdin=None, text_stdout=False, pass_fds=()):
        self.name = name
        self.log = os.path.join(log_dir, name + ".log")
        with open(self.log, "wb") as log:
            # With text_stdout the test reads stdout as lines; stderr still goes to the log.
            self.popen = subprocess.Popen(
                args, env=env, stdin=stdin, stdout=subprocess.PIPE if text_stdout else log,
                stderr=log if text_stdout else subprocess.STDOUT, text=text_stdout,
                bufsize=1 if text_stdout else -1, pass_fds=pass_fds)

    @property
    def pid(self):
        return self.popen.pid

    def running(self):
        return self.popen.poll() is None

    def output(self):
        try:
            with open(self.log, "rb") as f:
                return f.read().decode("utf-8", "replace")
        except OSError:
            return ""

    def stop(self, sig=signal.SIGTERM, timeout=10.0):
        if self.running():
            try:
                self.popen.send_signal(sig)
                self.popen.wait(timeout)
            except subprocess.TimeoutExpired:
                self.popen.kill()
                self.popen.wait()
        return self.popen.returncode


class SniPanel:
    """sni_watcher.py as a child: the lines it says, and the commands it takes."""

    def __init__(self, env, log_dir):
        self.process = Process("panel", [sys.executable, os.path.join(HERE, "sni_watcher.py")],
                               env, log_dir, stdin=subprocess.PIPE, text_stdout=True)
        self.lines = []
        os.set_blocking(self.process.popen.stdout.fileno(), False)
        self.wait_line("ready")

    def poll(self):
        while True:
            line = self.process.popen.stdout.readline()
            if not line:
                return
            self.lines.append(line.rstrip("\n"))

    def find(self, prefix, after=0):
        """The first line from index `after` on that starts with prefix, or None."""
        self.poll()
        for line in self.lines[after:]:
            if line.startswith(prefix):
                return line
        return None

    def wait_line(self, prefix, timeout=10.0, after=0):
        return wait_for(lambda: self.find(prefix, after), timeout,
                        "the panel to say '%s'" % prefix)

    def count(self, prefix):
        self.poll()
        return sum(1 for line in self.lines if line.startswith(prefix))

    def send(self, command):
        self.process.popen.stdin.write(command + "\n")
        self.process.popen.stdin.flush()

    def activate(self):
        """A single click on the icon, as such panels send it."""
        mark = len(self.lines)
        self.send("activate")
        line = self.wait_line("activated", after=mark)
        return line

    def quit(self):
        self.send("quit")
        self.process.popen.stdin.close()
        self.process.popen.wait(10)


class Desktop:
    def __init__(self, panel=None, sim=True, settings="[Settings]\nLanguage=en_US\n",
                 name="desktop"):
        if not BIN_DIR:
            raise DesktopError("GLIMRA_BIN_DIR is not set")
        self.panel_kind = panel
        self.want_sim = sim
        self.settings = settings
        self.root = tempfile.mkdtemp(prefix="glimra-e2e-%s-" % name,
                                     dir=os.environ.get("GLIMRA_E2E_TMP"))
        self.processes = []
        self.panel = None
        self.trayer = None
        self.sim = None
        self.program = None
        self.x = None
        self.env = {}

    # ---- start and stop ----

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, *exc):
        self.stop()
        return False

    def start(self):
        for sub in ("run", "data", "config", "home", "logs", "program"):
            os.makedirs(os.path.join(self.root, sub), mode=0o700, exist_ok=True)
        self.logs = os.path.join(self.root, "logs")
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("LC_", "DBUS_", "XDG_", "QT_", "WAYLAND", "GLIMRA_AUTO"))}
        env.pop("DISPLAY", None)
        env.pop("LANG", None)
        env.update({
            "HOME": os.path.join(self.root, "home"),
            "XDG_RUNTIME_DIR": os.path.join(self.root, "run"),
            "XDG_DATA_HOME": os.path.join(self.root, "data"),
            "XDG_CONFIG_HOME": os.path.join(self.root, "config"),
            "GLIMRA_SIM_DIR": os.path.join(self.root, "run", "glimra-sim"),
        })
        self.env = env
        self._start_x()
        self._start_bus()
        self._start_window_manager()
        if self.panel_kind == "sni":
            self.panel = SniPanel(self.env, self.logs)
            self.processes.append(self.panel.process)
        elif self.panel_kind == "xembed":
            self._start_trayer()
        elif self.panel_kind is not None:
            raise DesktopError("unknown panel " + str(self.panel_kind))
        if self.want_sim:
            self._start_sim()
        self._prepare_program_folder()

    def stop(self):
        if self.program and self.program.running():
            self.program.stop(signal.SIGKILL)
        for process in reversed(self.processes):
            if process.running():
                process.stop()
        if self.x is not None:
            try:
                self.x.close()
            except Exception:
                pass
            self.x = None
        if os.environ.get("GLIMRA_E2E_KEEP"):
            print("kept " + self.root, file=sys.stderr)
        else:
            shutil.rmtree(self.root, ignore_errors=True)

    def _spawn(self, name, args, **kw):
        process = Process(name, args, self.env, self.logs, **kw)
        self.processes.append(process)
        return process

    def _start_x(self):
        read_end, write_end = os.pipe()
        process = self._spawn("xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                       "%dx%dx24" % SCREEN, "-nolisten", "tcp", "-noreset"],
                              pass_fds=(write_end,))
        os.close(write_end)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read_end, 16)
            if not chunk:
                os.close(read_end)
                raise DesktopError("Xvfb did not start: " + process.output())
            number += chunk
        os.close(read_end)
        self.env["DISPLAY"] = ":" + number.decode().strip()
        self.x = xdisplay.Display(self.env["DISPLAY"])

    def _start_bus(self):
        address = "unix:path=" + os.path.join(self.root, "run", "bus")
        self._spawn("dbus", ["dbus-daemon", "--session", "--nofork", "--nopidfile",
                             "--address=" + address])
        wait_for(lambda: os.path.exists(os.path.join(self.root, "run", "bus")),
                 what="the session bus")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address

    def _start_window_manager(self):
        self._spawn("openbox", ["openbox", "--sm-disable"])
        root = self.x.screen().root
        check = self.x.intern_atom("_NET_SUPPORTING_WM_CHECK")
        wait_for(lambda: root.get_full_property(check, Xatom.WINDOW) is not None,
                 what="openbox")

    def tray_owner(self):
        atom = self.x.intern_atom("_NET_SYSTEM_TRAY_S0")
        owner = self.x.get_selection_owner(atom)
        return owner if owner and owner.id != X.NONE else None

    def _start_trayer(self):
        self.trayer = self._spawn("trayer", [
            "trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
            "--height", "32", "--SetDockType", "true", "--SetPartialStrut", "true",
            "--expand", "false", "--transparent", "false", "--tint", "0x404040"])
        wait_for(self.tray_owner, what="trayer to own the system tray")

    def _start_sim(self):
        self.trace = os.path.join(self.root, "trace.jsonl")
        self.sim = self._spawn("sim", [os.path.join(BIN_DIR, "glimra-sim"),
                                       "--reply-delay-ms", "0", "--trace", self.trace])
        wait_for(lambda: "glimra-sim ready" in self.sim.output() or not self.sim.running(),
                 what="glimra-sim")
        if not self.sim.running():
            raise DesktopError("glimra-sim ended: " + self.sim.output())

    def _prepare_program_folder(self):
        folder = os.path.join(self.root, "program")
        self.program_folder = folder
        exe = os.path.join(folder, "glimra-utility")
        try:
            os.link(os.path.join(BIN_DIR, "glimra-utility"), exe)
        except OSError:
            shutil.copy2(os.path.join(BIN_DIR, "glimra-utility"), exe)
        for sub in ("lang", "image"):
            os.symlink(os.path.join(BIN_DIR, sub), os.path.join(folder, sub))
        with open(os.path.join(folder, "settings.ini"), "w") as f:
            f.write(self.settings)

    # ---- the program ----

    def start_program(self, env=None):
        program_env = dict(self.env)
        program_env["QT_QPA_PLATFORM"] = "xcb"
        program_env.update(env or {})
        self.program = Process("glimra-utility",
                               [os.path.join(self.program_folder, "glimra-utility")],
                               program_env, self.logs)
        return self.program

    def program_output(self):
        return self.program.output() if self.program else ""

    def wait_exit(self, timeout=15.0):
        """The program's exit status, as a shell gives it (128 + n for signal n)."""
        try:
            code = self.program.popen.wait(timeout)
        except subprocess.TimeoutExpired:
            raise DesktopError("the program did not end; its output:\n" + self.program_output())
        return 128 - code if code < 0 else code

    def read_settings(self):
        with open(os.path.join(self.program_folder, "settings.ini")) as f:
            return f.read()

    def trace_lines(self):
        try:
            with open(self.trace) as f:
                return f.read().splitlines()
        except OSError:
            return []

    # ---- windows ----

    def _windows(self, window=None):
        window = window or self.x.screen().root
        try:
            children = window.query_tree().children
        except XError:
            return
        for child in children:
            yield child
            yield from self._windows(child)

    def _property(self, window, name, kind=X.AnyPropertyType):
        try:
            value = window.get_full_property(self.x.intern_atom(name), kind)
        except XError:
            return None
        return value.value if value else None

    def find_window(self, title="GlimraUtility", pid=None):
        """The program's top-level window with that title (mapped or not), or None."""
        pid = pid or (self.program.pid if self.program else None)
        for window in self._windows():
            # Qt's client leader has the title and the process id too, but no class.
            if self._property(window, "_NET_WM_PID") is None or \
                    self._property(window, "WM_CLASS") is None:
                continue
            if pid is not None and self._property(window, "_NET_WM_PID")[0] != pid:
                continue
            name = self._property(window, "_NET_WM_NAME") or self._property(window, "WM_NAME")
            if isinstance(name, bytes):
                name = name.decode("utf-8", "replace")
            if name == title:
                return window
        return None

    def wait(self, condition, timeout, what):
        """wait_for, failing at once when the program has ended meanwhile."""
        def check():
            value = condition()
            if not value and self.program and not self.program.running():
                code = self.program.popen.returncode
                raise DesktopError("the program ended (status %d) while waiting for %s; its "
                                   "output:\n%s" % (128 - code if code < 0 else code, what,
                                                     self.program_output()))
            return value
        return wait_for(check, timeout, what)

    def wait_panel(self, prefix, after=0, timeout=10.0):
        """A line of the StatusNotifier panel, while the program runs."""
        return self.wait(lambda: self.panel.find(prefix, after), timeout,
                         "the panel to say '%s'" % prefix)

    def main_window(self, timeout=20.0):
        return self.wait(lambda: self.find_window(), timeout, "the main window")

    def is_viewable(self, window):
        try:
            return window.get_attributes().map_state == X.IsViewable
        except XError:
            return False

    def wm_state(self, window):
        """'normal', 'iconic', 'withdrawn' from the window manager's WM_STATE."""
        value = self._property(window, "WM_STATE")
        if value is None or len(value) == 0:
            return "withdrawn"
        return {0: "withdrawn", 1: "normal", 3: "iconic"}.get(value[0], str(value[0]))

    def wait_shown(self, window, timeout=10.0):
        self.wait(lambda: self.is_viewable(window), timeout, "the window to be shown")
        self.x.sync()

    def wait_hidden(self, window, timeout=10.0):
        self.wait(lambda: not self.is_viewable(window), timeout, "the window to be hidden")

    def origin(self, window):
        """The window's top-left corner on the screen."""
        position = window.translate_coords(self.x.screen().root, 0, 0)
        return (-position.x, -position.y)

    def geometry(self, window):
        x, y = self.origin(window)
        g = window.get_geometry()
        return (x, y, g.width, g.height)

    # ---- input ----

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True,
                       stdout=subprocess.DEVNULL)

    def click_at(self, x, y, button=1):
        self.xdotool("mousemove", "--sync", x, y)
        self.xdotool("click", button)

    def click_in(self, window, point, button=1):
        x, y = self.origin(window)
        self.click_at(x + point[0], y + point[1], button)

    def activate(self, window):
        """Gives the window the focus through the window manager."""
        self.xdotool("windowactivate", "--sync", window.id)

    def key(self, *keys):
        self.xdotool("key", *keys)

    def minimize(self, window):
        """The window manager's minimise, as a taskbar click or a key binding asks for it."""
        self.xdotool("windowminimize", window.id)

    # ---- the XEmbed tray ----

    def tray_icons(self):
        """Windows docked in trayer's tray: the embedded icons, shown."""
        if not self.trayer:
            return []
        icons = []
        # trayer's panel, framed by openbox: the icons are docked somewhere below it.
        panels = [w for w in self._windows()
                  if self._property(w, "WM_CLASS") == b"panel\0trayer\0"]
        for panel in panels:
            for window in self._windows(panel):
                if self._property(window, "_XEMBED_INFO") is not None and \
                        self.is_viewable(window):
                    icons.append(window)
        return icons

    def wait_tray_icon(self, timeout=10.0):
        return self.wait(lambda: (self.tray_icons() or [None])[0], timeout, "an icon in the tray")

    def wait_no_tray_icon(self, timeout=10.0):
        self.wait(lambda: not self.tray_icons(), timeout, "the tray to be empty")

    def click_icon(self, icon, button=1):
        x, y, w, h = self.geometry(icon)
        self.click_at(x + w // 2, y + h // 2, button)

    # ---- pictures ----

    def screenshot(self, name):
        """The whole screen as PNG into $GLIMRA_E2E_SHOTS (or the scratch folder); its path."""
        folder = os.environ.get("GLIMRA_E2E_SHOTS") or self.root
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, name + ".png")
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True)
        return path

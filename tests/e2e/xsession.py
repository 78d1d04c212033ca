"""Runs a program on a private X display (Xvfb, with or without the openbox window manager)
and acts on it the way a user does: finds its windows by title, types, presses keys, clicks,
takes screenshots and closes windows through their close protocol.

    with XSession() as x:
        app = x.start([binary], lang="zh_CN.GBK")
        win = x.wait_window("title", app=app)
        x.type_text(win, "a.ini"); x.key(win, "Return")
        x.close_window(win)
        assert x.wait_exit(app) == 0

Everything waits with a timeout; the display and every program started are ended when the
`with` block is left, also on errors, signals and the death of the test process.

A test script ends through `run_test(main)`: a missing tool prints "SKIPPED: ..." and exits
with SKIP_RETURN_CODE, a failed check prints "FAILED: ..." and exits with 1.
"""

import ctypes
import os
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import zlib

SKIP_RETURN_CODE = 77
DEFAULT_TIMEOUT = 20.0

try:
    from Xlib import X, Xatom, Xutil, display as xdisplay, error as xerror, protocol as xprotocol
except ImportError:  # reported as a skip by XSession
    X = None


class Skip(Exception):
    """A tool the test needs is not installed."""


class HarnessError(AssertionError):
    """The program did not do what the test waited for, or a tool failed."""


def _die_with_parent():
    # A test killed by a timeout must not leave a display server or the program behind.
    libc = ctypes.CDLL(None, use_errno=True)
    PR_SET_PDEATHSIG = 1
    libc.prctl(PR_SET_PDEATHSIG, signal.SIGKILL)
    os.setsid()


def _end_process(proc, grace=3.0):
    if proc.poll() is not None:
        return
    for sig, wait in ((signal.SIGTERM, grace), (signal.SIGKILL, 5.0)):
        try:
            os.killpg(proc.pid, sig)
        except ProcessLookupError:
            return
        try:
            proc.wait(timeout=wait)
            return
        except subprocess.TimeoutExpired:
            continue


def _write_png(path, width, height, rgb):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    stride = width * 3
    raw = b"".join(b"\x00" + rgb[y * stride:(y + 1) * stride] for y in range(height))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 6)))
        f.write(chunk(b"IEND", b""))


class App:
    """A program started in the session."""

    def __init__(self, proc, log_path):
        self.proc = proc
        self.pid = proc.pid
        self.log_path = log_path

    def running(self):
        return self.proc.poll() is None

    def output(self):
        """What the program wrote to stdout and stderr so far."""
        with open(self.log_path, encoding="utf-8", errors="replace") as f:
            return f.read()


class XSession:
    def __init__(self, width=1280, height=800, timeout=DEFAULT_TIMEOUT, window_manager=False):
        self.width = width
        self.height = height
        self.timeout = timeout
        self.window_manager = window_manager
        self.display_name = None
        self._dpy = None
        self._xvfb = None
        self._wm = None
        self._apps = []
        self._tmp = None
        self._old_sigterm = None

    # ----- set-up and clean-up -------------------------------------------------------------

    def __enter__(self):
        missing = [tool for tool in ("Xvfb", "xdotool") + (("openbox",) if self.window_manager else ())
                   if not shutil.which(tool)]
        if missing:
            raise Skip(f"{' and '.join(missing)} not installed (Debian packages xvfb, xdotool, openbox)")
        if X is None:
            raise Skip("the Python module Xlib is not installed (Debian package python3-xlib)")
        self._old_sigterm = signal.signal(signal.SIGTERM, self._on_sigterm)
        self._tmp = tempfile.mkdtemp(prefix="iniv-xsession-")
        try:
            self._start_xvfb()
            if self.window_manager:
                self._start_window_manager()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        for app in self._apps:
            _end_process(app.proc)
        if self._wm is not None:
            _end_process(self._wm)
            self._wm = None
        if self._dpy is not None:
            try:
                self._dpy.close()
            except Exception:
                pass
            self._dpy = None
        if self._xvfb is not None:
            _end_process(self._xvfb)
            self._xvfb = None
        if self._tmp:
            shutil.rmtree(self._tmp, ignore_errors=True)
            self._tmp = None
        if self._old_sigterm is not None:
            signal.signal(signal.SIGTERM, self._old_sigterm)
            self._old_sigterm = None
        return False

    @staticmethod
    def _on_sigterm(signum, frame):
        raise SystemExit(128 + signum)  # leaves the with block, which cleans up

    def _start_xvfb(self):
        read_fd, write_fd = os.pipe()
        log = open(os.path.join(self._tmp, "xvfb.log"), "wb")
        try:
            self._xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{self.width}x{self.height}x24",
                 "-nolisten", "tcp", "-noreset"],
                stdin=subprocess.DEVNULL, stdout=log, stderr=log, pass_fds=(write_fd,),
                preexec_fn=_die_with_parent)
        finally:
            os.close(write_fd)
            log.close()
        number = b""
        deadline = time.monotonic() + self.timeout
        try:
            while not number.endswith(b"\n"):
                left = deadline - time.monotonic()
                if left <= 0 or not select.select([read_fd], [], [], left)[0]:
                    raise HarnessError("Xvfb did not report its display in time" + self._xvfb_log())
                data = os.read(read_fd, 16)
                if not data:
                    raise HarnessError("Xvfb ended before it was ready" + self._xvfb_log())
                number += data
        finally:
            os.close(read_fd)
        self.display_name = ":" + number.decode().strip()
        self._dpy = xdisplay.Display(self.display_name)

    def _start_window_manager(self):
        """Starts openbox with its defaults and waits until it manages the screen."""
        home = tempfile.mkdtemp(prefix="wm-home-", dir=self._tmp)
        env = {"PATH": "/usr/local/bin:/usr/bin:/bin", "HOME": home, "DISPLAY": self.display_name}
        log = open(os.path.join(self._tmp, "openbox.log"), "wb")
        try:
            self._wm = subprocess.Popen(["openbox", "--sm-disable"], env=env, stdin=subprocess.DEVNULL,
                                        stdout=log, stderr=log, preexec_fn=_die_with_parent)
        finally:
            log.close()
        root = self._dpy.screen().root
        check = self._atom("_NET_SUPPORTING_WM_CHECK")
        deadline = time.monotonic() + self.timeout
        while root.get_full_property(check, Xatom.WINDOW) is None:
            if self._wm.poll() is not None or time.monotonic() > deadline:
                raise HarnessError("openbox did not take the screen")
            time.sleep(0.05)

    def _xvfb_log(self):
        try:
            with open(os.path.join(self._tmp, "xvfb.log"), encoding="utf-8", errors="replace") as f:
                text = f.read().strip()
        except OSError:
            return ""
        return f":\n{text}" if text else ""

    # ----- programs ---------------------------------------------------------------------------

    def start(self, argv, lang="C.UTF-8", lc_all=None, env=None, cwd=None):
        """Starts a program with a clean environment: the display, the given locale, Qt's X11
        platform, an empty home folder and nothing else of the caller's, except the
        sanitizers' settings. `env` adds or overrides variables."""
        home = tempfile.mkdtemp(prefix="home-", dir=self._tmp)
        runtime = tempfile.mkdtemp(prefix="run-", dir=self._tmp)
        os.chmod(runtime, 0o700)
        clean = {
            "PATH": "/usr/local/bin:/usr/bin:/bin",
            "HOME": home,
            "XDG_RUNTIME_DIR": runtime,
            "DISPLAY": self.display_name,
            "QT_QPA_PLATFORM": "xcb",
            "LANG": lang,
        }
        if lc_all:
            clean["LC_ALL"] = lc_all
        for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"):
            if name in os.environ:
                clean[name] = os.environ[name]
        clean.update(env or {})
        log_path = os.path.join(self._tmp, f"app-{len(self._apps)}.log")
        with open(log_path, "wb") as log:
            proc = subprocess.Popen(argv, env=clean, cwd=cwd or home, stdin=subprocess.DEVNULL,
                                    stdout=log, stderr=subprocess.STDOUT, preexec_fn=_die_with_parent)
        app = App(proc, log_path)
        self._apps.append(app)
        return app

    def wait_exit(self, app, timeout=None):
        """Waits for the program to end and returns its exit code (negative: killed by that
        signal)."""
        try:
            return app.proc.wait(timeout=timeout or self.timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"the program did not end within {timeout or self.timeout} s\n"
                               + app.output()) from None

    # ----- windows ----------------------------------------------------------------------------

    def _atom(self, name):
        return self._dpy.intern_atom(name)

    def _title(self, window):
        prop = window.get_full_property(self._atom("_NET_WM_NAME"), self._atom("UTF8_STRING"))
        if prop is not None and prop.value:
            value = prop.value
            return value.decode("utf-8", "replace") if isinstance(value, bytes) else str(value)
        name = window.get_wm_name()
        if isinstance(name, bytes):
            return name.decode("latin-1")
        return name

    def _pid(self, window):
        prop = window.get_full_property(self._atom("_NET_WM_PID"), Xatom.CARDINAL)
        return prop.value[0] if prop is not None and len(prop.value) else None

    def _client_of(self, frame, depth=3):
        """The program's window inside a window manager's frame (the one with WM_STATE)."""
        if frame.get_full_property(self._atom("WM_STATE"), X.AnyPropertyType) is not None:
            return frame
        if depth == 0:
            return None
        for child in frame.query_tree().children:
            found = self._client_of(child, depth - 1)
            if found is not None:
                return found
        return None

    def _top_levels(self):
        """The programs' windows, in stacking order: under a window manager the windows in its
        frames, and the unframed ones (menus) as they are."""
        for window in self._dpy.screen().root.query_tree().children:
            if self.window_manager:
                try:
                    client = self._client_of(window)
                except xerror.XError:  # gone while we looked
                    continue
                if client is not None:
                    window = client
            yield window

    def top_level_windows(self, title=None, app=None, viewable_only=True):
        """Ids of the top-level windows, in stacking order, optionally only those with exactly
        this title, of this program, and shown on the screen."""
        found = []
        for window in self._top_levels():
            try:
                if viewable_only and window.get_attributes().map_state != X.IsViewable:
                    continue
                if title is not None and self._title(window) != title:
                    continue
                if app is not None and self._pid(window) != app.pid:
                    continue
            except xerror.XError:  # gone while we looked
                continue
            found.append(window.id)
        return found

    def window_title(self, window_id):
        return self._title(self._dpy.create_resource_object("window", window_id))

    def wait_window(self, title, app=None, timeout=None):
        """Waits until a window with this title is shown and returns its id."""
        deadline = time.monotonic() + (timeout or self.timeout)
        while True:
            found = self.top_level_windows(title, app)
            if found:
                return found[-1]
            if app is not None and not app.running():
                raise HarnessError(f"the program ended with code {app.proc.returncode} before a window "
                                   f"titled {title!r} appeared\n" + app.output())
            if time.monotonic() > deadline:
                shown = [self.window_title(w) for w in self.top_level_windows()]
                raise HarnessError(f"no window titled {title!r} within {timeout or self.timeout} s; "
                                   f"shown: {shown}")
            time.sleep(0.05)

    def wait_new_window(self, known, app=None, timeout=None):
        """Waits until a window that is not among the known ids is shown and returns its id."""
        deadline = time.monotonic() + (timeout or self.timeout)
        while True:
            found = [w for w in self.top_level_windows(app=app) if w not in known]
            if found:
                return found[-1]
            if time.monotonic() > deadline:
                raise HarnessError(f"no new window within {timeout or self.timeout} s")
            time.sleep(0.05)

    def wait_window_gone(self, window_id, timeout=None):
        deadline = time.monotonic() + (timeout or self.timeout)
        while window_id in self.top_level_windows():
            if time.monotonic() > deadline:
                raise HarnessError(f"window {window_id:#x} is still shown")
            time.sleep(0.05)

    def geometry(self, window_id):
        """(x, y, width, height) of the window on the screen."""
        window = self._dpy.create_resource_object("window", window_id)
        geo = window.get_geometry()
        pos = window.translate_coords(self._dpy.screen().root, 0, 0)
        return -pos.x, -pos.y, geo.width, geo.height

    def window_property(self, window_id, name):
        """The values of a window's property (atoms by their names), or None when it has none."""
        window = self._dpy.create_resource_object("window", window_id)
        prop = window.get_full_property(self._atom(name), X.AnyPropertyType)
        if prop is None:
            return None
        if prop.property_type == Xatom.ATOM:
            return [self._dpy.get_atom_name(atom) for atom in prop.value]
        return list(prop.value)

    def size_hints(self, window_id):
        """The window's WM_NORMAL_HINTS: (minimum (w, h) or None, maximum (w, h) or None)."""
        hints = self._dpy.create_resource_object("window", window_id).get_wm_normal_hints()
        if hints is None:
            return None, None
        minimum = (hints.min_width, hints.min_height) if hints.flags & Xutil.PMinSize else None
        maximum = (hints.max_width, hints.max_height) if hints.flags & Xutil.PMaxSize else None
        return minimum, maximum

    def iconic(self, window_id):
        """Whether the window manager keeps the window minimized (WM_STATE is IconicState)."""
        state = self.window_property(window_id, "WM_STATE")
        return bool(state) and state[0] == Xutil.IconicState

    def minimize(self, window_id):
        """Asks the window manager to minimize the window, as its minimize button does."""
        self._xdotool("windowminimize", window_id)

    def close_window(self, window_id):
        """Asks the window to close as a window manager's close button does: a WM_DELETE_WINDOW
        message of the WM_PROTOCOLS kind."""
        window = self._dpy.create_resource_object("window", window_id)
        protocols = self._atom("WM_PROTOCOLS")
        delete = self._atom("WM_DELETE_WINDOW")
        if delete not in (window.get_wm_protocols() or []):
            raise HarnessError(f"window {window_id:#x} does not take WM_DELETE_WINDOW")
        event = xprotocol.event.ClientMessage(window=window, client_type=protocols,
                                              data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(event, event_mask=X.NoEventMask)
        self._dpy.flush()

    # ----- input ------------------------------------------------------------------------------

    def _xdotool(self, *args):
        env = dict(os.environ, DISPLAY=self.display_name)
        try:
            result = subprocess.run(["xdotool", *map(str, args)], env=env, capture_output=True,
                                    text=True, timeout=self.timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"xdotool {' '.join(map(str, args))} hung") from None
        if result.returncode != 0:
            raise HarnessError(f"xdotool {' '.join(map(str, args))} failed: {result.stderr.strip()}")
        return result.stdout

    def focus(self, window_id):
        # A window manager is asked to activate the window; without one the input focus is
        # set directly. The keys then go through XTEST as real key presses, which toolkits do
        # not filter out as synthetic.
        self._xdotool("windowactivate" if self.window_manager else "windowfocus", "--sync", window_id)

    def _keyboard(self, command, window_id, send_event, delay_ms, *args):
        if send_event:  # straight to the window, focus unchanged
            self._xdotool(command, "--window", window_id, "--delay", delay_ms, "--", *args)
        else:
            self.focus(window_id)
            self._xdotool(command, "--delay", delay_ms, "--", *args)

    def type_text(self, window_id, text, delay_ms=20, send_event=False):
        """Types the text into the window's focused control, character by character. With
        send_event the key events are sent to the window without moving the focus."""
        self._map_characters(text)
        self._keyboard("type", window_id, send_event, delay_ms, text)

    def _map_characters(self, text):
        """Gives each character of text that no key types a key of its own before it is typed.
        xdotool would map such a character to a key only while it types it, and a program that
        reads the changed keyboard map after the key press has arrived loses the character."""
        wanted = sorted({ord(c) if ord(c) <= 0xFF else 0x01000000 + ord(c) for c in text if ord(c) > 0x7F})
        if not wanted:
            return
        first = self._dpy.display.info.min_keycode
        mapping = self._dpy.get_keyboard_mapping(first, self._dpy.display.info.max_keycode - first + 1)
        present = {sym for row in mapping for sym in row}
        missing = [sym for sym in wanted if sym not in present]
        free = [first + i for i, row in enumerate(mapping) if not any(row)]
        if len(free) < len(missing):
            raise HarnessError(f"no free keys left for {len(missing)} characters")
        width = len(mapping[0])
        for keycode, sym in zip(free, missing):
            self._dpy.change_keyboard_mapping(keycode, [[sym, sym] + [0] * (width - 2)])
        self._dpy.sync()
        if missing:
            time.sleep(0.3)  # programs read the new map when its notice reaches them

    def key(self, window_id, *keys, delay_ms=40, send_event=False):
        """Presses keys such as "Return", "Escape", "ctrl+c", "shift+Tab"."""
        self._keyboard("key", window_id, send_event, delay_ms, *keys)

    def press(self, *keys, delay_ms=40):
        """Presses keys on whatever has the keyboard now (an open menu, the active window),
        moving no focus."""
        self._xdotool("key", "--delay", delay_ms, "--", *keys)

    def type_here(self, text, delay_ms=20):
        self._xdotool("type", "--delay", delay_ms, "--", text)

    def click(self, window_id, x, y, button=1):
        """Clicks at the window-relative position."""
        self._xdotool("mousemove", "--window", window_id, "--sync", x, y, "click", button)

    def right_click(self, window_id, x, y):
        self.click(window_id, x, y, button=3)

    def double_click(self, window_id, x, y):
        self._xdotool("mousemove", "--window", window_id, "--sync", x, y,
                      "click", "--repeat", 2, "--delay", 80, 1)

    # ----- screenshots ------------------------------------------------------------------------

    def screenshot(self, path, window_id=None):
        """Saves the screen, or the window's area of it, as a PNG file and returns the path."""
        if window_id is None:
            x, y, w, h = 0, 0, self.width, self.height
        else:
            x, y, w, h = self.geometry(window_id)
            x0, y0 = max(x, 0), max(y, 0)
            w, h = min(x + w, self.width) - x0, min(y + h, self.height) - y0
            x, y = x0, y0
            if w <= 0 or h <= 0:
                raise HarnessError(f"window {window_id:#x} is off the screen")
        root = self._dpy.screen().root
        image = root.get_image(x, y, w, h, X.ZPixmap, 0xFFFFFFFF)
        data = image.data if isinstance(image.data, bytes) else bytes(image.data)
        if len(data) != w * h * 4:
            raise HarnessError(f"unexpected image format: {len(data)} bytes for {w}x{h}")
        rgb = bytearray(w * h * 3)
        if self._dpy.display.info.image_byte_order == X.LSBFirst:  # B G R x
            rgb[0::3], rgb[1::3], rgb[2::3] = data[2::4], data[1::4], data[0::4]
        else:  # x R G B
            rgb[0::3], rgb[1::3], rgb[2::3] = data[1::4], data[2::4], data[3::4]
        os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
        _write_png(path, w, h, bytes(rgb))
        return path


def limit_time(seconds):
    """Fails the test when it has not finished within seconds: a call into another process
    (AT-SPI) that hangs cannot be waited out otherwise."""
    def out_of_time(signum, frame):
        raise HarnessError(f"the test did not finish within {seconds} s")
    signal.signal(signal.SIGALRM, out_of_time)
    signal.alarm(seconds)


def run_test(main):
    """Runs a test's main function and turns its outcome into the exit code CTest reads."""
    try:
        main()
    except Skip as skip:
        print(f"SKIPPED: {skip}")
        sys.exit(SKIP_RETURN_CODE)
    except AssertionError as failure:
        print(f"FAILED: {failure}")
        sys.exit(1)
    print("PASSED")
    sys.exit(0)

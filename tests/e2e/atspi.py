"""Reading a program's windows through AT-SPI on a private accessibility bus: the bus itself,
and what the program's accessible objects say (roles, names, tables, relations, extents)."""

import os
import select
import shutil
import subprocess
import time
import importlib.util
from contextlib import contextmanager

import xsession

BUS_LAUNCHER_PATHS = ("/usr/libexec/at-spi-bus-launcher", "/usr/lib/at-spi2-core/at-spi-bus-launcher")


class SessionBus:
    """A private D-Bus session bus. The accessibility bus launcher and registry that it
    activates run in its process group and end with it."""

    def __init__(self, env, timeout=10.0, config_file=None):
        self.env = env
        self.timeout = timeout
        # A bus of its own configuration starts none of the machine's services on demand.
        self.config = f"--config-file={config_file}" if config_file else "--session"
        self.proc = None
        self.address = None

    def __enter__(self):
        read_fd, write_fd = os.pipe()
        try:
            self.proc = subprocess.Popen(
                ["dbus-daemon", self.config, "--nofork", "--nopidfile", f"--print-address={write_fd}"],
                env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                pass_fds=(write_fd,), preexec_fn=xsession._die_with_parent)
        finally:
            os.close(write_fd)
        try:
            data = b""
            deadline = time.monotonic() + self.timeout
            while not data.endswith(b"\n"):
                left = deadline - time.monotonic()
                if left <= 0 or not select.select([read_fd], [], [], left)[0]:
                    raise xsession.HarnessError("dbus-daemon did not report its address in time")
                chunk = os.read(read_fd, 256)
                if not chunk:
                    raise xsession.HarnessError("dbus-daemon ended before it was ready")
                data += chunk
        except BaseException:
            self.__exit__(None, None, None)
            raise
        finally:
            os.close(read_fd)
        self.address = data.decode().strip()
        return self

    def __exit__(self, *exc):
        if self.proc is not None:
            xsession._end_process(self.proc)
            self.proc = None
        return False


def missing_tools():
    missing = []
    if not shutil.which("dbus-daemon"):
        missing.append("dbus-daemon (Debian package dbus)")
    if not any(os.access(p, os.X_OK) for p in BUS_LAUNCHER_PATHS):
        missing.append("at-spi-bus-launcher (Debian package at-spi2-core)")
    if importlib.util.find_spec("pyatspi") is None:
        missing.append("the Python module pyatspi (Debian package python3-pyatspi)")
    return missing


def wait_for(what, probe, timeout=20.0):
    """Calls probe until it returns something true and returns that."""
    deadline = time.monotonic() + timeout
    last_error = None
    while time.monotonic() < deadline:
        try:
            value = probe()
            if value:
                return value
        except Exception as error:  # the tree changes under us while the program works
            last_error = error
        time.sleep(0.2)
    raise xsession.HarnessError(f"timed out waiting for {what}" + (f" (last error: {last_error})" if last_error else ""))


def read_until(what, read, expected, timeout=20.0):
    """Reads until the value is the expected one; fails with the last value read."""
    seen = []

    def probe():
        seen[:] = [read()]
        return seen[0] == expected
    try:
        wait_for(what, probe, timeout)
    except xsession.HarnessError:
        raise AssertionError(f"{what} read {seen[0] if seen else 'nothing'}, not {expected}") from None
    return seen[0]


class Accessible:
    """Reads the program's accessible objects through pyatspi."""

    def __init__(self, pyatspi, pid):
        self.pyatspi = pyatspi
        self.pid = pid

    def application(self):
        desktop = self.pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.get_process_id() == self.pid:
                return app
        return None

    def windows(self):
        app = self.application()
        return [app.getChildAtIndex(i) for i in range(app.childCount)] if app else []

    def window(self, name):
        for window in self.windows():
            if window is not None and window.name == name:
                return window
        return None

    def descendants(self, root, role_name=None):
        found, stack = [], [root]
        while stack:
            node = stack.pop()
            if node is None:
                continue
            if role_name is None or node.getRoleName() == role_name:
                found.append(node)
            # Item views list their cells as children; the table reading covers them.
            if node.getRoleName() in ("tree", "table", "list"):
                continue
            stack.extend(node.getChildAtIndex(i) for i in reversed(range(node.childCount)))
        return found

    @staticmethod
    def table_rows(view):
        table = view.queryTable()
        return [[table.getAccessibleAt(r, c).name for c in range(table.nColumns)] for r in range(table.nRows)]

    def labelled_by(self, node):
        names = []
        for relation in node.getRelationSet():
            if relation.getRelationType() == self.pyatspi.RELATION_LABELLED_BY:
                names += [relation.getTarget(i).name for i in range(relation.getNTargets())]
        return names

    def press(self, node):
        action = node.queryAction()
        for i in range(action.nActions):
            if action.getName(i) in ("Press", "press", "click"):
                action.doAction(i)
                return
        raise AssertionError(f"{node.getRoleName()} {node.name!r} offers no press action")


@contextmanager
def accessibility_bus(x, folder):
    """A private session bus for the display of x, with pyatspi connected to it; yields pyatspi
    and the variables that put a program on that bus. Skips when a piece is missing."""
    missing = missing_tools()
    if missing:
        raise xsession.Skip(", ".join(missing) + " not installed")
    home = os.path.join(folder, "bus-home")
    os.makedirs(home, exist_ok=True)
    bus_env = {"PATH": "/usr/local/bin:/usr/bin:/bin", "HOME": home, "DISPLAY": x.display_name}
    with SessionBus(bus_env) as bus:
        # pyatspi finds the accessibility bus through the session bus when imported.
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = bus.address
        os.environ["DISPLAY"] = x.display_name
        try:
            import pyatspi
        except ImportError as error:  # found, but its GObject bindings are not usable
            raise xsession.Skip(f"pyatspi cannot be loaded ({error})") from None
        yield pyatspi, {"DBUS_SESSION_BUS_ADDRESS": bus.address, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                        "QT_ACCESSIBILITY": "1"}

#!/usr/bin/env python3
"""Assistive technologies see the program: through AT-SPI, on a private accessibility bus, the
main window is a frame with its title, the file-name field is named and labelled by its label,
the buttons carry their captions, a message dialog is a dialog with its message, icon name and
button, after loading a file the tree lists its sections and the list the section's keys and
values, a GBK file on the UTF-8 desktop reads as Chinese with its encoding named in the status
line, and the About dialog is a dialog whose panel groups its labels."""

import argparse
import importlib.util
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402

TITLE = "Ini文件查看器"
BUS_LAUNCHER_PATHS = ("/usr/libexec/at-spi-bus-launcher", "/usr/lib/at-spi2-core/at-spi-bus-launcher")
WHOLE_TEST_SECONDS = 100


def check(condition, message):
    if not condition:
        raise AssertionError(message)


class SessionBus:
    """A private D-Bus session bus. The accessibility bus launcher and registry that it
    activates run in its process group and end with it."""

    def __init__(self, env, timeout=10.0):
        self.env = env
        self.timeout = timeout
        self.proc = None
        self.address = None

    def __enter__(self):
        read_fd, write_fd = os.pipe()
        try:
            self.proc = subprocess.Popen(
                ["dbus-daemon", "--session", "--nofork", "--nopidfile", f"--print-address={write_fd}"],
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


def check_main_window(acc, frame):
    check(frame.getRoleName() == "frame", f"the main window's role is {frame.getRoleName()!r}, not a frame")
    edits = acc.descendants(frame, "text")
    check(len(edits) == 1, f"{len(edits)} text fields in the main window, not one")
    check(edits[0].name == "文件名", f"the file-name field is called {edits[0].name!r}, not its label's caption")
    check(acc.labelled_by(edits[0]) == ["文件名"],
          f"the file-name field is labelled by {acc.labelled_by(edits[0])}, not by its label")
    buttons = sorted(b.name for b in acc.descendants(frame, "push button"))
    check(buttons == sorted(["浏览", "关于"]), f"the buttons are called {buttons}")
    print(f"main window: frame {frame.name!r}; text field {edits[0].name!r} labelled by "
          f"{acc.labelled_by(edits[0])}; push buttons {buttons}")
    return edits[0]


def check_missing_file_message(x, acc, win, missing_path):
    x.type_text(win, missing_path)
    x.key(win, "Return")
    dialog = wait_for("the message dialog in AT-SPI", lambda: acc.window("Warning"))
    check(dialog.getRoleName() in ("dialog", "alert"), f"the message dialog's role is {dialog.getRoleName()!r}")
    labels = [n.name for n in acc.descendants(dialog, "label")]
    images = [n.name for n in acc.descendants(dialog, "image")]
    button_nodes = acc.descendants(dialog, "push button")
    buttons = [n.name for n in button_nodes]
    print(f"message dialog: {dialog.getRoleName()} {dialog.name!r}; labels {labels}; images {images}; "
          f"push buttons {buttons}")
    check(labels == ["不存在这个文件！"], f"the message dialog's labels are {labels}")
    check(images == ["Warning"], f"the message dialog's icons are called {images}")
    check(buttons == ["OK"], f"the message dialog's buttons are {buttons}")
    acc.press(button_nodes[0])
    wait_for("the message dialog to close", lambda: acc.window("Warning") is None)


def check_loaded_file(x, acc, frame, win, path):
    x.key(win, "ctrl+a")
    x.type_text(win, path)
    x.key(win, "Return")
    views = acc.descendants(frame, "tree")
    check(len(views) == 2, f"{len(views)} item views in the main window, not two (tree and list)")
    by_columns = {v.queryTable().nColumns: v for v in views}
    tree, listing = by_columns.get(1), by_columns.get(2)
    check(tree is not None and listing is not None, "no one-column tree and two-column list")
    sections = read_until("the tree's nodes", lambda: [row[0] for row in acc.table_rows(tree)],
                          ["simple.ini", "General", "Window", "Recent"])
    print(f"tree nodes: {sections}")
    rows = read_until("the list's rows", lambda: acc.table_rows(listing),
                      [["Name", "Sample"], ["Version", "1.4"], ["Enabled", "1"]])
    print(f"list rows: {rows}")
    table = listing.queryTable()
    headers = [table.getColumnHeader(c).name for c in range(table.nColumns)]
    print(f"list column headers: {headers}")
    check(headers == ["关键字", "关键字值"], f"the list's column headers read {headers}")


def check_gbk_file(x, acc, frame, win, path):
    """A GBK file reads back as Chinese, and the status line names its encoding."""
    x.key(win, "ctrl+a")
    x.type_text(win, path)
    x.key(win, "Return")
    by_columns = {v.queryTable().nColumns: v for v in acc.descendants(frame, "tree")}
    tree, listing = by_columns[1], by_columns[2]
    sections = read_until("the GBK file's sections", lambda: [row[0] for row in acc.table_rows(tree)],
                          ["gbk-game.ini", "版本", "账号", "画面", "声音", "按键", "聊天", "网络"])
    print(f"GBK tree nodes: {sections}")
    rows = read_until("the GBK file's first keys", lambda: acc.table_rows(listing)[:3],
                      [["客户端版本", "2.7.13"], ["资源版本", "20231108"],
                       ["更新服务器", "update.xinghai-game.example.com"]])
    print(f"GBK list rows: {rows}")
    boxes = acc.descendants(frame, "combo box")
    check(len(boxes) == 1, f"{len(boxes)} combo boxes in the main window, not one")
    # A combo box speaks its chosen item as its name.
    shown = read_until("the encoding box", lambda: (boxes[0].name, acc.labelled_by(boxes[0])), ("GBK", ["编码"]))
    print(f"status line: combo box {shown[0]!r} labelled by {shown[1]}")


def check_about_dialog(acc, frame):
    about = [b for b in acc.descendants(frame, "push button") if b.name == "关于"][0]
    acc.press(about)
    dialog = wait_for("the About dialog in AT-SPI", lambda: acc.window("我的软件"))
    check(dialog.getRoleName() == "dialog", f"the About dialog's role is {dialog.getRoleName()!r}")
    panels = acc.descendants(dialog, "panel")
    check(len(panels) == 1, f"{len(panels)} panels in the About dialog, not one")
    grouped = [n.name for n in acc.descendants(panels[0], "label")]
    print(f"About dialog: {dialog.getRoleName()} {dialog.name!r}; panel with labels {grouped}")
    check(len(grouped) == 3 and all(grouped), f"the About panel's labels read {grouped}")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--sample", required=True, help="samples/simple.ini, whose contents the test expects")
    parser.add_argument("--gbk-sample", required=True, help="samples/gbk-game.ini, whose contents the test expects")
    parser.add_argument("--lang", default="zh_CN.UTF-8")
    args = parser.parse_args()
    check(os.access(args.binary, os.X_OK), f"no program at {args.binary}")
    check(os.path.isfile(args.sample), f"no sample file at {args.sample}")
    missing = missing_tools()
    if missing:
        raise xsession.Skip(", ".join(missing) + " not installed")

    def out_of_time(signum, frame):
        raise xsession.HarnessError(f"the test did not finish within {WHOLE_TEST_SECONDS} s")
    signal.signal(signal.SIGALRM, out_of_time)
    signal.alarm(WHOLE_TEST_SECONDS)

    folder = tempfile.mkdtemp(prefix="iniv-a11y-")
    try:
        sample = shutil.copy(args.sample, os.path.join(folder, "simple.ini"))
        gbk_sample = shutil.copy(args.gbk_sample, os.path.join(folder, "gbk-game.ini"))
        with xsession.XSession() as x:
            home = tempfile.mkdtemp(prefix="bus-home-", dir=folder)
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

                app = x.start([args.binary], lang=args.lang, lc_all=args.lang, env={
                    "DBUS_SESSION_BUS_ADDRESS": bus.address,
                    "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                    "QT_ACCESSIBILITY": "1",
                })
                win = x.wait_window(TITLE, app=app, timeout=30)
                acc = Accessible(pyatspi, app.pid)
                frame = wait_for("the program on the accessibility bus", lambda: acc.window(TITLE), timeout=30)
                edit = check_main_window(acc, frame)

                # Screen coordinates: the toolkit's window-relative ones are not dependable.
                ex, ey, ew, eh = edit.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                wx, wy, _, _ = x.geometry(win)
                x.click(win, ex - wx + ew // 2, ey - wy + eh // 2)
                check_missing_file_message(x, acc, win, os.path.join(folder, "missing.ini"))
                check_loaded_file(x, acc, frame, win, sample)
                check_gbk_file(x, acc, frame, win, gbk_sample)
                check_about_dialog(acc, frame)
                x.close_window(x.wait_window("我的软件", app=app))
                wait_for("the About dialog to close", lambda: acc.window("我的软件") is None)

                x.close_window(win)
                code = x.wait_exit(app, timeout=20)
                check(code == 0, f"exit code {code} after closing the main window\n{app.output()}")
    finally:
        signal.alarm(0)
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    xsession.run_test(main)

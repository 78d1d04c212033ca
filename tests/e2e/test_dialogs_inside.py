#!/usr/bin/env python3
"""Every dialog of the program under a real window manager (openbox), at the given scale:
the warning with OK and with Yes and No, the information, the error box of a failed write,
the input box, the add-key dialog and the About dialog each hold all of their buttons (and
the About dialog its labels) inside the window, read through AT-SPI and checked against the
window's size on the X server. Each dialog is opened from the keyboard, and a screenshot of
each is kept. The main window itself lies inside the screen.

Each dialog also tells the window manager that it is a dialog of a fixed size that offers
neither minimize nor maximize, and minimizing it anyway (openbox offers it and minimizes the
main window along) leaves neither it nor the main window minimized."""

import argparse
import os
import shutil
import signal
import stat
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from atspi import Accessible, accessibility_bus, wait_for  # noqa: E402
from viewer import check, close_and_check_exit  # noqa: E402

WHOLE_TEST_SECONDS = 150
CONTENT_ROLES = ("push button", "label", "text", "panel")
# _MOTIF_WM_HINTS: flags, functions, decorations
MWM_FLAG_FUNCTIONS, MWM_FLAG_DECORATIONS = 1, 2
MWM_FUNC_ALL, MWM_FUNC_MINIMIZE, MWM_FUNC_MAXIMIZE = 1, 8, 16
MWM_DECOR_ALL, MWM_DECOR_MINIMIZE, MWM_DECOR_MAXIMIZE = 1, 32, 64


class Dialogs:
    def __init__(self, x, acc, pyatspi, app, main_window, scale, screenshots):
        self.x, self.acc, self.pyatspi, self.app = x, acc, pyatspi, app
        self.main_window = main_window
        self.scale = scale
        self.screenshots = screenshots
        self.checked = []

    def inside(self, name, title, expect_buttons):
        """Waits for the dialog, checks that its content lies inside it, keeps a screenshot and
        returns its X window."""
        window = self.x.wait_window(title, app=self.app, timeout=15)
        node = wait_for(f"the dialog {title!r} in AT-SPI", lambda: self.acc.window(title))
        wx, wy, ww, wh = self.x.geometry(window)
        # The toolkit reports logical pixels; the X server has the device's.
        ex, ey, ew, eh = node.queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        check(abs(ew * self.scale - ww) <= self.scale and abs(eh * self.scale - wh) <= self.scale,
              f"{name}: the toolkit sees {ew}x{eh} at scale {self.scale}, the X server {ww}x{wh}")
        buttons = []
        for part in self.acc.descendants(node):
            if part is node or part.getRoleName() not in CONTENT_ROLES:
                continue
            px, py, pw, ph = (v * self.scale for v in part.queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS))
            inside = px >= wx - 1 and py >= wy - 1 and px + pw <= wx + ww + 1 and py + ph <= wy + wh + 1
            check(inside, f"{name}: {part.getRoleName()} {part.name!r} at {px},{py} {pw}x{ph} is not inside "
                          f"the window at {wx},{wy} {ww}x{wh}")
            if part.getRoleName() == "push button":
                buttons.append(part.name)
        check(sorted(buttons) == sorted(expect_buttons), f"{name}: the buttons are {buttons}")
        shot = self.x.screenshot(os.path.join(self.screenshots, f"dialog_{name}_scale{self.scale}.png"))
        print(f"{name}: {ww}x{wh} at scale {self.scale}, buttons {buttons} inside; screenshot {shot}")
        self.fixed_dialog_hints(name, window)
        self.minimize_leaves_nothing_hidden(name, window)
        self.checked.append(name)
        return window

    def fixed_dialog_hints(self, name, window):
        x = self.x
        kinds = x.window_property(window, "_NET_WM_WINDOW_TYPE") or []
        check(kinds[:1] in (["_NET_WM_WINDOW_TYPE_DIALOG"], ["_NET_WM_WINDOW_TYPE_UTILITY"]),
              f"{name}: the window types are {kinds}")
        minimum, maximum = x.size_hints(window)
        check(minimum is not None and minimum == maximum, f"{name}: the size hints allow {minimum} to {maximum}")
        flags, functions, decorations = (x.window_property(window, "_MOTIF_WM_HINTS") or [0, 0, 0])[:3]
        check(flags & MWM_FLAG_FUNCTIONS and not functions & (MWM_FUNC_ALL | MWM_FUNC_MINIMIZE | MWM_FUNC_MAXIMIZE),
              f"{name}: the Motif functions {functions:#x} (flags {flags:#x}) allow minimize or maximize")
        check(flags & MWM_FLAG_DECORATIONS
              and not decorations & (MWM_DECOR_ALL | MWM_DECOR_MINIMIZE | MWM_DECOR_MAXIMIZE),
              f"{name}: the Motif decorations {decorations:#x} (flags {flags:#x}) ask for minimize or maximize")
        allowed = x.window_property(window, "_NET_WM_ALLOWED_ACTIONS") or []
        offered = [a for a in allowed if "MAXIMIZE" in a or a == "_NET_WM_ACTION_RESIZE"]
        check(not offered, f"{name}: the window manager offers {offered}")

    def minimize_leaves_nothing_hidden(self, name, window):
        x = self.x
        x.minimize(window)
        time.sleep(0.7)  # the window manager's turn, and the program's answer to it
        wait_for(f"{name}: the dialog and the main window back after minimizing the dialog",
                 lambda: not x.iconic(window) and not x.iconic(self.main_window)
                 and window in x.top_level_windows() and self.main_window in x.top_level_windows(), timeout=5)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--sample", required=True, help="samples/simple.ini")
    parser.add_argument("--scale", type=int, default=1)
    parser.add_argument("--screenshots", required=True)
    args = parser.parse_args()

    xsession.limit_time(WHOLE_TEST_SECONDS)

    folder = tempfile.mkdtemp(prefix="iniv-dialogs-")
    try:
        path = shutil.copy(args.sample, os.path.join(folder, "simple.ini"))
        with xsession.XSession(window_manager=True) as x, accessibility_bus(x, folder) as (pyatspi, bus_env):
            env = dict(bus_env, QT_SCALE_FACTOR=str(args.scale))
            app = x.start([args.binary, path], lang="C.UTF-8", lc_all="C.UTF-8", env=env)
            main_window = x.wait_window("simple.ini — Ini文件查看器", app=app, timeout=30)

            # The main window whole on the screen (at scale 2 it is larger than half of it).
            def on_screen():
                left, top, width, height = x.geometry(main_window)
                return left >= 0 and top >= 0 and left + width <= x.width and top + height <= x.height
            wait_for("the main window inside the screen", on_screen, timeout=5)
            acc = Accessible(pyatspi, app.pid)
            d = Dialogs(x, acc, pyatspi, app, main_window, args.scale, args.screenshots)

            x.key(main_window, "ctrl+l")
            x.type_here(os.path.join(folder, "missing.ini"))
            x.press("Return")
            box = d.inside("warning_ok", "Warning", ["OK"])
            x.key(box, "Return")
            x.wait_window_gone(box)

            # Into the list, on its first row.
            x.key(main_window, "shift+Tab", "shift+Tab", "Home")
            x.press("Return")
            box = d.inside("input_box", "新值", ["OK", "Cancel"])
            x.key(box, "Escape")
            x.wait_window_gone(box)

            x.key(main_window, "Delete")
            box = d.inside("warning_yes_no", "Warning", ["Yes", "No"])
            x.key(box, "Escape")
            x.wait_window_gone(box)

            x.key(main_window, "shift+F10")
            x.press("a")
            box = d.inside("add_key", "新增关键字", ["添加", "取消"])
            x.key(box, *"Name", "Tab", "v", "Return")
            info = d.inside("information", "Information", ["OK"])
            x.key(info, "Return")
            x.wait_window_gone(info)
            # The refused name's dialog stays open with it.
            x.key(box, "Escape")
            x.wait_window_gone(box)

            # A write that fails: the file has no write bit, which even root respects.
            os.chmod(path, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)
            x.key(main_window, "Return")
            box = x.wait_window("新值", app=app, timeout=15)
            x.key(box, "ctrl+a", *"new", "Return")
            error = d.inside("error_box", "Ini文件查看器", ["OK"])
            x.key(error, "Return")
            x.wait_window_gone(error)
            os.chmod(path, stat.S_IRUSR | stat.S_IWUSR)

            # The About button comes after the field in the tab order.
            x.key(main_window, "ctrl+l", "Tab", "space")
            about = d.inside("about", "我的软件", [])
            x.close_window(about)
            x.wait_window_gone(about)

            close_and_check_exit(x, main_window, app)
            check(len(d.checked) == 7, f"only {d.checked} were checked")
    finally:
        signal.alarm(0)
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    xsession.run_test(main)

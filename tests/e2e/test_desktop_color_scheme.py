#!/usr/bin/env python3
"""The window follows the desktop's light or dark preference, as a stand-in settings portal on
a private session bus gives it: dark from the start when the desktop says so, and switching
while running, read back from the pixels of the window; also from a portal older than
ReadOne. A bus without a portal leaves the window light, and the program says nothing about
it."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import atspi  # noqa: E402
import xsession  # noqa: E402
from viewer import LIST_EMPTY, TITLE, Viewer, check, close_and_check_exit  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
NO_PREFERENCE, DARK, LIGHT = 0, 1, 2
TREE_EMPTY = (60, 300)
# The window's face beside the status line: a colour set on the window itself, not inherited.
FACE = (440, 344)
# Around the first section's name: the tree's pale band of a selection without the focus, a
# colour the view sets on itself.
SECTION_BAND = (62, 57, 90, 68)

# Only what a session bus needs: no service of the machine is started on demand.
BUS_CONFIG = """<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


class Portal:
    """The stand-in portal as a process of its own, told the new value line by line."""

    def __init__(self, address, scheme, old=False):
        argv = [sys.executable, os.path.join(HERE, "settings_portal.py"), address, str(scheme)]
        self.proc = subprocess.Popen(
            argv + (["old"] if old else []),
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, preexec_fn=xsession._die_with_parent)
        self._expect("ready")

    def _expect(self, line):
        got = self.proc.stdout.readline().strip()
        check(got == line, f"the stand-in portal said {got!r}, not {line!r}")

    def set(self, scheme):
        self.proc.stdin.write(f"{scheme}\n")
        self.proc.stdin.flush()
        self._expect(f"changed {scheme}")

    def end(self):
        xsession._end_process(self.proc)


def brightness(x, window, area, scale):
    """The brightness (0-255) that most pixels of the area have; the area is a point or a
    rectangle (left, top, right, bottom) in unscaled client units."""
    from Xlib import X
    left, top, right, bottom = (area * 2)[:4] if len(area) == 2 else area
    wx, wy, _, _ = x.geometry(window)
    width, height = (right - left) * scale + 1, (bottom - top) * scale + 1
    image = x._dpy.screen().root.get_image(wx + left * scale, wy + top * scale, width, height, X.ZPixmap,
                                           0xFFFFFFFF)
    data = image.data if isinstance(image.data, bytes) else bytes(image.data)
    counts = {}
    for i in range(0, len(data), 4):
        value = (data[i] + data[i + 1] + data[i + 2]) // 3
        counts[value] = counts.get(value, 0) + 1
    return max(counts, key=counts.get)


def views_ground(x, window, scale):
    return tuple(brightness(x, window, area, scale) for area in (TREE_EMPTY, LIST_EMPTY, FACE, SECTION_BAND))


def wait_ground(x, window, scale, dark, what, timeout=10.0):
    """Waits until the views' ground, the window's face and the tree's pale band are dark
    (below 80) or light (above 200)."""
    deadline = time.monotonic() + timeout
    while True:
        now = views_ground(x, window, scale)
        if all((v < 80) if dark else (v > 200) for v in now):
            return now
        check(time.monotonic() < deadline, f"{what}: the tree, list, face and band are {now}, not {'dark' if dark else 'light'}")
        time.sleep(0.1)


def start(x, args, bus, path):
    env = {"DBUS_SESSION_BUS_ADDRESS": bus.address, "QT_SCALE_FACTOR": str(args.scale)}
    app = x.start([args.binary, path], lang="zh_CN.UTF-8", lc_all="zh_CN.UTF-8", env=env)
    viewer = Viewer(x, app, f"{os.path.basename(path)} — {TITLE}")
    viewer.measure()
    # Into the list: the tree shows its selection as the pale band.
    x.key(viewer.window, "Tab")
    return app, viewer


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--sample", required=True, help="a GBK file")
    parser.add_argument("--scale", type=int, default=1)
    parser.add_argument("--screenshots", required=True)
    args = parser.parse_args()
    if not shutil.which("dbus-daemon"):
        raise xsession.Skip("dbus-daemon (Debian package dbus-daemon)")
    try:
        import gi  # noqa: F401
    except ImportError:
        raise xsession.Skip("the Python module gi (Debian package python3-gi)")
    scale = args.scale

    with tempfile.TemporaryDirectory() as tmp, xsession.XSession() as x:
        config = os.path.join(tmp, "bus.conf")
        with open(config, "w") as f:
            f.write(BUS_CONFIG)
        path = os.path.join(tmp, "gbk.ini")
        shutil.copyfile(args.sample, path)

        # No portal on the bus: light, and quietly.
        with atspi.SessionBus({"PATH": os.environ["PATH"]}, config_file=config) as bus:
            app, viewer = start(x, args, bus, path)
            wait_ground(x, viewer.window, scale, dark=False, what="no portal")
            close_and_check_exit(x, viewer.window, app)
            check(app.output().strip() == "", f"the program wrote:\n{app.output()}")

        # A portal older than ReadOne: its Read wraps the value once more.
        with atspi.SessionBus({"PATH": os.environ["PATH"]}, config_file=config) as bus:
            portal = Portal(bus.address, DARK, old=True)
            try:
                app, viewer = start(x, args, bus, path)
                wait_ground(x, viewer.window, scale, dark=True, what="started under an older portal")
                close_and_check_exit(x, viewer.window, app)
            finally:
                portal.end()

        with atspi.SessionBus({"PATH": os.environ["PATH"]}, config_file=config) as bus:
            portal = Portal(bus.address, DARK)
            try:
                app, viewer = start(x, args, bus, path)
                dark = wait_ground(x, viewer.window, scale, dark=True, what="started under a dark desktop")
                viewer.screenshot(args.screenshots, f"dark_scale{scale}.png")

                # The find bar and its no-match state, in the dark.
                x.key(viewer.window, "ctrl+f")
                x.type_text(viewer.window, "zzqq")
                time.sleep(1.5)
                viewer.screenshot(args.screenshots, f"dark_find_scale{scale}.png")
                x.key(viewer.window, "Escape")

                portal.set(LIGHT)
                light = wait_ground(x, viewer.window, scale, dark=False, what="switched to light")
                viewer.screenshot(args.screenshots, f"light_scale{scale}.png")
                portal.set(DARK)
                check(wait_ground(x, viewer.window, scale, dark=True, what="switched back to dark") == dark,
                      "the dark ground differs between the start and the switch back")
                portal.set(NO_PREFERENCE)
                check(wait_ground(x, viewer.window, scale, dark=False, what="no preference") == light,
                      "no preference does not give back the light colours")
                close_and_check_exit(x, viewer.window, app)
            finally:
                portal.end()


if __name__ == "__main__":
    xsession.run_test(main)

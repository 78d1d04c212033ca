#!/usr/bin/env python3
"""Under a Wayland compositor the program starts with a file, loads it, changes a value and
deletes a key from the keyboard (the file's bytes show both in the key the list showed
second), closes on Alt+F4 with exit code 0, and starts and closes again with the place it
saved; the dialog and the question it centres and the window place it restores, which Wayland
leaves to the compositor, give no warnings: the program writes nothing.

The compositor is weston with its X11 back end on a private Xvfb display: its headless back
end offers no seat, so no keyboard reaches a client (and Qt 6.4's Wayland text input then
dereferences the missing seat). The program itself talks Wayland alone (no DISPLAY)."""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from viewer import TITLE, check, read_bytes, wait_for_file  # noqa: E402

SOCKET = "iniv-wayland"
X11_BACKEND_DIRS = ("/usr/lib/x86_64-linux-gnu/libweston-10", "/usr/lib/aarch64-linux-gnu/libweston-10")


class Weston:
    """weston on the display of x, with its own runtime folder; ended with the block."""

    def __init__(self, x, folder):
        self.runtime = os.path.join(folder, "runtime")
        os.makedirs(self.runtime, mode=0o700)
        env = {"PATH": "/usr/bin:/bin", "HOME": folder, "XDG_RUNTIME_DIR": self.runtime,
               "DISPLAY": x.display_name}
        self.log_path = os.path.join(folder, "weston.log")
        with open(self.log_path, "wb") as log:
            self.proc = subprocess.Popen(
                ["weston", "--backend=x11-backend.so", f"--socket={SOCKET}", "--idle-time=0", "--no-config",
                 "--width=1024", "--height=700"],
                env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                preexec_fn=xsession._die_with_parent)
        self.window = x.wait_window("Weston Compositor - screen0", timeout=20)
        deadline = time.monotonic() + 20
        while not os.path.exists(os.path.join(self.runtime, SOCKET)):
            check(self.proc.poll() is None and time.monotonic() < deadline, "weston did not start:\n" + self.log())
            time.sleep(0.05)

    def log(self):
        with open(self.log_path, errors="replace") as f:
            return f.read()

    def client_env(self, state):
        return {"WAYLAND_DISPLAY": SOCKET, "XDG_RUNTIME_DIR": self.runtime, "QT_QPA_PLATFORM": "wayland",
                "DISPLAY": "", "XDG_STATE_HOME": state, "WAYLAND_DEBUG": "client"}

    def end(self):
        xsession._end_process(self.proc)


# The client's protocol trace (WAYLAND_DEBUG) tells when a surface of it has the keyboard:
# keys sent before that are lost, however long a pause would have been.
def trace_lines(app):
    return [line for line in app.output().splitlines() if line.startswith("[")]


def own_output(app):
    return "\n".join(line for line in app.output().splitlines() if not line.startswith("["))


def keyboard_focus(app):
    """The surfaces that were given the keyboard, first to last, and the one that has it now
    (None between a leave and the next enter)."""
    entered, focus = [], None
    for line in trace_lines(app):
        if "wl_keyboard@" not in line:
            continue
        if ".enter(" in line:
            focus = re.search(r"wl_surface@\d+", line).group(0)
            entered.append(focus)
        elif ".leave(" in line:
            focus = None
    return entered, focus


def wait_keyboard(app, on_main, timeout=30):
    """Waits until the main window (the first surface given the keyboard) has it, or another
    surface (a dialog) has it, and has kept it a moment: the compositor may take it back and
    give it again as a window settles."""
    deadline = time.monotonic() + timeout
    steady_since = None
    while True:
        entered, focus = keyboard_focus(app)
        wanted = focus is not None and (focus == entered[0]) == on_main
        if not wanted:
            steady_since = None
        elif steady_since is None:
            steady_since = time.monotonic()
        elif time.monotonic() - steady_since > 0.3:
            return
        check(app.running() and time.monotonic() < deadline,
              f"the {'main window' if on_main else 'dialog'} did not get the keyboard\n{own_output(app)}")
        time.sleep(0.05)


def close_quietly(x, weston, app):
    # The compositor hands the keyboard back to the main window after a dialog in its own
    # time: the key is sent again until the program ends.
    for _ in range(5):
        x.key(weston.window, "alt+F4")
        try:
            code = x.wait_exit(app, timeout=3)
            break
        except xsession.HarnessError:
            continue
    else:
        raise AssertionError(f"Alt+F4 did not close the program\n{app.output()}")
    check(code == 0, f"exit code {code} after Alt+F4\n{app.output()}")
    check(own_output(app).strip() == "", f"the program wrote:\n{own_output(app)}")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--sample", required=True)
    args = parser.parse_args()
    if not shutil.which("weston") or not any(os.path.exists(os.path.join(d, "x11-backend.so"))
                                             for d in X11_BACKEND_DIRS):
        raise xsession.Skip("weston (Debian package weston)")

    with tempfile.TemporaryDirectory() as folder, xsession.XSession() as x:
        path = shutil.copy(args.sample, os.path.join(folder, "simple.ini"))
        state = os.path.join(folder, "state")
        data = read_bytes(path)
        check(b"\nVersion=1.4\n" in data, "unexpected sample")
        weston = Weston(x, folder)
        try:
            app = x.start([args.binary, path], lang="C.UTF-8", lc_all="C.UTF-8", env=weston.client_env(state))
            # Keys go to the compositor's window, which hands them to the client that has the
            # keyboard: the main window first, then the value's dialog.
            wait_keyboard(app, on_main=True)
            x.key(weston.window, "Tab", "Home", "Down", "Return")
            wait_keyboard(app, on_main=False)
            x.key(weston.window, "ctrl+a")
            x.type_text(weston.window, "2.0")
            x.key(weston.window, "Return")
            data = wait_for_file(path, data.replace(b"\nVersion=1.4\n", b"\nVersion=2.0\n"))
            # Delete, and the question's box, answered Yes with Enter.
            wait_keyboard(app, on_main=True)
            x.key(weston.window, "Delete")
            wait_keyboard(app, on_main=False)
            x.key(weston.window, "Return")
            wait_for_file(path, data.replace(b"\nVersion=2.0\n", b"\n"))
            close_quietly(x, weston, app)

            again = x.start([args.binary, path], lang="C.UTF-8", lc_all="C.UTF-8", env=weston.client_env(state))
            wait_keyboard(again, on_main=True)
            close_quietly(x, weston, again)
        finally:
            weston.end()
    print(f"{TITLE}: loaded, edited and closed under Wayland")


if __name__ == "__main__":
    xsession.run_test(main)

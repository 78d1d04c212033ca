#!/usr/bin/env python3
"""The program from the keyboard alone, under a window manager (openbox): started with a file
(`iniviewer FILE`) it shows it; then a value is modified with Enter, a key deleted with Delete,
a key added through Shift+F10, a section added through the menu key and deleted with Delete,
another file loaded through Ctrl+L and the open-file dialog opened with Ctrl+O. The file is
checked byte for byte after each command."""

import argparse
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from viewer import TITLE, check, close_and_check_exit, read_bytes, wait_for_file  # noqa: E402



def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--sample", required=True, help="samples/simple.ini")
    parser.add_argument("--screenshots", required=True)
    args = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="iniv-keys-")
    try:
        path = shutil.copy(args.sample, os.path.join(folder, "simple.ini"))
        other = os.path.join(folder, "other.ini")
        with open(other, "wb") as f:
            f.write(b"[Only]\nk=v\n")
        data = read_bytes(path)
        check(data.startswith(b"[General]\nName=Sample\nVersion=1.4\nEnabled=1\n\n[Window]"), "unexpected sample")
        with xsession.XSession(window_manager=True) as x:
            app = x.start([args.binary, path], lang="C.UTF-8", lc_all="C.UTF-8")
            # Loaded as if typed: the title names the file, the tree has the focus.
            win = x.wait_window(f"simple.ini — {TITLE}", app=app, timeout=30)

            def dialog(title):
                return x.wait_window(title, app=app, timeout=15)

            # Into the list, on its second row, and Enter: a new value.
            x.key(win, "Tab", "Home", "Down", "Return")
            box = dialog("新值")
            x.key(box, "ctrl+a")
            x.type_here("2.0")
            x.press("Return")
            data = wait_for_file(path, data.replace(b"Version=1.4\n", b"Version=2.0\n"))

            # Delete, answered Yes with Enter.
            x.key(win, "Delete")
            box = dialog("Warning")
            x.key(box, "Return")
            data = wait_for_file(path, data.replace(b"Version=2.0\n", b""))

            # The key menu from the keyboard, its add command by its access key.
            x.key(win, "shift+F10")
            x.press("a")
            box = dialog("新增关键字")
            x.focus(box)
            x.type_here("NewKey")
            x.press("Tab")
            x.type_here("v1")
            x.press("Return")
            data = wait_for_file(path, data.replace(b"Enabled=1\n", b"Enabled=1\nnewkey=v1\n"))

            # Back to the tree: the menu key there, its add command, a new section at the end.
            x.key(win, "shift+Tab", "Menu")
            x.press("a")
            box = dialog("新小节")
            x.focus(box)
            x.type_here("Sec2")
            x.press("Return")
            with_section = wait_for_file(path, lambda b: b.startswith(data) and b[len(data):] in (
                b"[sec2]\nmain=01\n", b"\n[sec2]\nmain=01\n"))

            # The new section is the last node: Delete it again.
            x.key(win, "End", "Delete")
            box = dialog("Warning")
            x.key(box, "Return")
            wait_for_file(path, lambda b: b"[sec2]" not in b and b.startswith(data))
            print(f"screenshot: {x.screenshot(os.path.join(args.screenshots, 'keyboard_only.png'))}")

            # Ctrl+L and a typed name load another file.
            x.key(win, "ctrl+l")
            x.type_here(other)
            x.press("Return")
            x.wait_window(f"other.ini — {TITLE}", app=app)

            # Ctrl+O opens the open-file dialog; Escape leaves everything as it was.
            before = set(x.top_level_windows(app=app))
            x.key(win, "ctrl+o")
            chooser = x.wait_new_window(before, app=app)
            x.key(chooser, "Escape")
            x.wait_window_gone(chooser)
            check(read_bytes(other) == b"[Only]\nk=v\n", "the other file changed")
            check(with_section.count(b"newkey=v1") == 1, "the added key went missing")

            close_and_check_exit(x, win, app)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    xsession.run_test(main)

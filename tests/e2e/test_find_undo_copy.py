#!/usr/bin/env python3
"""Finding, undo and redo, and copying from the keyboard alone, under openbox, on a GBK file
under a UTF-8 locale: Ctrl+F finds a value and selects its row, Esc gives the focus back,
Ctrl+C copies the row as key=value in UTF-8, a modify and a delete are undone with Ctrl+Z to
the file's exact bytes and done again with Ctrl+Y and Ctrl+Shift+Z."""

import argparse
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from viewer import TITLE, check, close_and_check_exit, wait_for_file  # noqa: E402

from Xlib import X, Xatom, display as xdisplay  # noqa: E402



def clipboard_text(display_name, timeout=5.0):
    """The clipboard's text as UTF-8, asked for as another program would paste it."""
    dpy = xdisplay.Display(display_name)
    try:
        window = dpy.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
        clipboard, utf8, prop = (dpy.intern_atom(n) for n in ("CLIPBOARD", "UTF8_STRING", "INIV_PASTE"))
        window.convert_selection(clipboard, utf8, prop, X.CurrentTime)
        dpy.flush()
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            while dpy.pending_events():
                event = dpy.next_event()
                if event.type == X.SelectionNotify:
                    if event.property == X.NONE:
                        return None
                    return bytes(window.get_full_property(prop, X.AnyPropertyType).value).decode("utf-8")
            time.sleep(0.05)
        return None
    finally:
        dpy.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--screenshots", required=True)
    args = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="iniv-find-")
    try:
        path = os.path.join(folder, "game.ini")
        original = ("[设置]\r\n; 玩家的名字\r\n名称=张三\r\n等级=12\r\n"
                    "[网络]\r\n服务器=example.org\r\n端口=8080\r\n超时=30\r\n").encode("gbk")
        with open(path, "wb") as f:
            f.write(original)
        with xsession.XSession(window_manager=True) as x:
            app = x.start([args.binary, path], lang="zh_CN.UTF-8", lc_all="zh_CN.UTF-8")
            win = x.wait_window(f"game.ini — {TITLE}", app=app, timeout=30)

            # Ctrl+F, the text, Enter: the second section and its row are selected.
            x.key(win, "ctrl+f")
            x.type_here("8080")
            x.press("Return")
            time.sleep(0.5)
            print(f"screenshot: {x.screenshot(os.path.join(args.screenshots, 'find_bar.png'), win)}")
            # Esc gives the focus back to the tree; Tab goes to the list, on the found row.
            x.press("Escape")
            x.press("Tab")
            x.press("ctrl+c")
            time.sleep(0.3)
            copied = clipboard_text(x.display_name)
            check(copied == "端口=8080", f"copied {copied!r}")

            # Enter modifies the found row.
            x.press("Return")
            box = x.wait_window("新值", app=app, timeout=15)
            x.key(box, "ctrl+a")
            x.type_here("9090")
            x.press("Return")
            modified = wait_for_file(path, original.replace(b"=8080", b"=9090"))
            x.key(win, "Delete")
            box = x.wait_window("Warning", app=app, timeout=15)
            x.key(box, "Return")
            deleted = wait_for_file(path, original.replace(b"\xb6\xcb\xbf\xda=8080\r\n", b""))

            x.key(win, "ctrl+z")
            wait_for_file(path, modified)
            x.key(win, "ctrl+z")
            wait_for_file(path, original)
            x.key(win, "ctrl+y")
            wait_for_file(path, modified)
            x.key(win, "ctrl+shift+z")
            wait_for_file(path, deleted)

            close_and_check_exit(x, win, app)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    xsession.run_test(main)

#!/usr/bin/env python3
"""The compare view from the keyboard alone, under a window manager (openbox): Ctrl+D asks for
the other file, F7 goes to the first difference, the key menu copies it into the right file;
F7 again and the next one is copied into the left file; Esc gives the ordinary view back, where
Ctrl+Z takes the copy into the loaded file back. Both files are checked byte for byte after
each step. The right file is GBK with CRLF line ends, the left UTF-8 with LF: neither its
encoding nor its line ends nor its order nor the case of its names are differences."""

import argparse
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from viewer import TITLE, check, close_and_check_exit, read_bytes, wait_for_file  # noqa: E402

LEFT = (b"; settings\n[General]\nName=Sample\nVersion=1.4\nEnabled=1\n\n"
        b"[Window]\nWidth=640\nHeight=480\n\n[OnlyLeft]\na=1\n")
RIGHT = ("; 游戏的默认设置，请勿修改\r\n[general]\r\nname = Sample\r\nVersion=2.0\r\nEnabled=1\r\nExtra=是否启用\r\n\r\n"
         "[Window]\r\nHeight=480\r\nWidth=640\r\n").encode("gbk")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--scale", type=int, default=1)
    parser.add_argument("--screenshots", required=True)
    args = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="iniv-compare-")
    try:
        left = os.path.join(folder, "left.ini")
        right = os.path.join(folder, "right.ini")
        with open(left, "wb") as f:
            f.write(LEFT)
        with open(right, "wb") as f:
            f.write(RIGHT)
        with xsession.XSession(window_manager=True) as x:
            env = {"QT_SCALE_FACTOR": str(args.scale)}
            app = x.start([args.binary, left], lang="C.UTF-8", lc_all="C.UTF-8", env=env)
            win = x.wait_window(f"left.ini — {TITLE}", app=app, timeout=30)

            # Ctrl+D: the chooser, the other file's path typed into it.
            x.key(win, "ctrl+d")
            chooser = x.wait_window("选择要比较的文件", app=app, timeout=15)
            x.focus(chooser)
            x.type_here(right)
            x.press("Return")
            x.wait_window_gone(chooser)

            # F7: the first difference is Version in [General]; copied to the right, that line
            # alone changes there, in the right file's line ends.
            time.sleep(0.5)
            x.key(win, "F7")
            time.sleep(0.5)
            shot = x.screenshot(os.path.join(args.screenshots, f"compare_scale{args.scale}.png"), win)
            print(f"screenshot: {shot}")
            x.key(win, "shift+F10")
            time.sleep(0.3)
            x.press("r")
            right_now = wait_for_file(right, RIGHT.replace(b"Version=2.0\r\n", b"Version=1.4\r\n"))
            check(read_bytes(left) == LEFT, "the left file changed on a copy to the right")

            # The next difference: Extra, which only the right file has; copied to the left, it
            # comes after its section's last key line, in UTF-8.
            time.sleep(0.5)
            x.key(win, "F7")
            time.sleep(0.3)
            x.key(win, "shift+F10")
            time.sleep(0.3)
            x.press("l")
            wait_for_file(left, LEFT.replace(b"Enabled=1\n", "Enabled=1\nExtra=是否启用\n".encode()))
            check(read_bytes(right) == right_now, "the right file changed on a copy to the left")
            time.sleep(0.5)
            x.screenshot(os.path.join(args.screenshots, f"compare_after_copies_scale{args.scale}.png"), win)

            # Esc: the ordinary view of the left file, where one undo takes the copy back.
            x.key(win, "Escape")
            time.sleep(0.5)
            x.key(win, "ctrl+z")
            wait_for_file(left, LEFT)
            check(read_bytes(right) == right_now, "the undo in the left file changed the right one")

            close_and_check_exit(x, win, app)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    xsession.run_test(main)

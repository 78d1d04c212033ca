#!/usr/bin/env python3
"""Recently loaded files under a window manager (openbox), at the given scale: every file the
program loads goes into the desktop's list (recently-used.xbel in a private XDG_DATA_HOME),
named there by its bytes, a GBK name escaped in its URI, with the program as the one that used
it; in the next run Down in the file-name field drops the files down, newest first, and the
keyboard alone picks the GBK-named one, which loads by its own bytes."""

import argparse
import os
import shutil
import sys
import tempfile
import time
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from viewer import TITLE, check, close_and_check_exit, read_bytes  # noqa: E402

GBK_NAME = "测试.ini".encode("gbk")  # not UTF-8
LANG = "zh_CN.GBK"


def file_uri(path):
    return "file://" + urllib.parse.quote(path, safe="/")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--scale", type=int, default=1)
    parser.add_argument("--screenshots", required=True)
    args = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="iniv-recent-")
    try:
        gbk_path = os.path.join(os.fsencode(folder), GBK_NAME)
        with open(gbk_path, "wb") as f:
            f.write(b"[GBK]\nk=v\n")
        plain_path = os.path.join(folder, "plain.ini")
        with open(plain_path, "wb") as f:
            f.write(b"[Plain]\nk=v\n")
        data_home = os.path.join(folder, "data")
        env = {"XDG_DATA_HOME": data_home, "QT_SCALE_FACTOR": str(args.scale)}
        with xsession.XSession(window_manager=True) as x:
            # The GBK-named file from the command line, then the other one typed into the field.
            app = x.start([args.binary, gbk_path], lang=LANG, lc_all=LANG, env=env)
            win = x.wait_window(f"测试.ini — {TITLE}", app=app, timeout=30)
            x.key(win, "ctrl+l")
            x.type_text(win, plain_path)
            x.key(win, "Return")
            win = x.wait_window(f"plain.ini — {TITLE}", app=app, timeout=15)
            close_and_check_exit(x, win, app)

            xbel = read_bytes(os.path.join(data_home, "recently-used.xbel")).decode("utf-8")
            for wanted in (file_uri(gbk_path), file_uri(plain_path), 'name="iniviewer"',
                           'exec="&apos;iniviewer %f&apos;"', 'type="text/x-ini"'):
                check(wanted in xbel, f"{wanted!r} is not in the desktop's list:\n{xbel}")
            print(f"recently-used.xbel names {file_uri(gbk_path)} and {file_uri(plain_path)} for iniviewer")

            # The next run: the list drops from the field; the second entry is the older one.
            app = x.start([args.binary], lang=LANG, lc_all=LANG, env=env)
            win = x.wait_window(TITLE, app=app, timeout=30)
            x.key(win, "ctrl+l", "Down")
            time.sleep(0.5)
            x.key(win, "Down", "Down")
            time.sleep(0.3)
            shot = x.screenshot(os.path.join(args.screenshots, f"recent_scale{args.scale}.png"))
            print(f"the list dropped from the field, its second entry marked: {shot}")
            x.key(win, "Return")
            win = x.wait_window(f"测试.ini — {TITLE}", app=app, timeout=15)
            print("the GBK-named file, picked with the keyboard, loaded by its own bytes")
            close_and_check_exit(x, win, app)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    xsession.run_test(main)

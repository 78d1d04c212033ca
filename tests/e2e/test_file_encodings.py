#!/usr/bin/env python3
"""A GBK file on a UTF-8 desktop: it loads with its sections and keys, a value typed in Chinese
is written as GBK with every other byte as it was, and another encoding chosen in the status
line from the keyboard reads the file again without writing it and is remembered for the
next run (the screenshot is kept for a look)."""

import argparse
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from viewer import Viewer, check, read_bytes, wait_for_file  # noqa: E402

MODIFY = 1
# The encoding box in the status line, in client coordinates of the main window.
ENCODING_BOX = (100, 340)
GB18030 = 54936


def remembered(state_home, path):
    """The code page remembered for path, or None."""
    store = os.path.join(state_home, "iniviewer", "encodings")
    if not os.path.exists(store):
        return None
    for line in read_bytes(store).split(b"\n")[1:]:
        fields = line.split(b" ", 3)
        if len(fields) == 4 and fields[3] == os.path.realpath(path).encode():
            return int(fields[0])
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--sample", required=True, help="samples/gbk-game.ini")
    parser.add_argument("--lang", default="zh_CN.UTF-8")
    parser.add_argument("--screenshots", required=True)
    args = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="iniv-e2e-")
    try:
        path = os.path.join(folder, "game.ini")
        shutil.copyfile(args.sample, path)
        original = read_bytes(path)
        old_line = "更新服务器=update.xinghai-game.example.com\r\n".encode("gbk")
        check(old_line in original, "unexpected sample")
        state = os.path.join(folder, "state")
        env = {"XDG_STATE_HOME": state}
        tag = args.lang.replace(".", "_")
        with xsession.XSession() as x:
            viewer = Viewer(x, x.start([args.binary], lang=args.lang, lc_all=args.lang, env=env))
            viewer.load(path)
            nodes, rows = viewer.measure()
            check((nodes, rows) == (8, 4), f"{nodes} tree rows and {rows} list rows after loading")
            print(f"screenshot: {viewer.screenshot(args.screenshots, f'gbk_game_{tag}.png')}")

            viewer.menu_on_row(2, MODIFY)
            viewer.answer_input("新值", "备用服务器")
            new_line = "更新服务器=备用服务器\r\n".encode("gbk")
            wait_for_file(path, original.replace(old_line, new_line))
            edited = read_bytes(path)
            modified = os.stat(path).st_mtime_ns

            # The keyboard moves the box from GBK to GB18030: the same bytes read again.
            x.click(viewer.window, *ENCODING_BOX)
            x.key(viewer.window, "Escape")
            x.key(viewer.window, "Down")
            deadline = time.monotonic() + 10
            while remembered(state, path) != GB18030:
                check(time.monotonic() < deadline, "the chosen encoding was not remembered")
                time.sleep(0.1)
            check(read_bytes(path) == edited and os.stat(path).st_mtime_ns == modified,
                  "choosing an encoding wrote the file")
            viewer.close()

            # The next run reads the file as chosen and still writes it in that code page.
            viewer = Viewer(x, x.start([args.binary], lang=args.lang, lc_all=args.lang, env=env))
            viewer.load(path)
            viewer.measure()
            viewer.menu_on_row(2, MODIFY)
            viewer.answer_input("新值", "三区")
            wait_for_file(path, original.replace(old_line, "更新服务器=三区\r\n".encode("gb18030")))
            viewer.close()
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    xsession.run_test(main)

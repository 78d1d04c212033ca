#!/usr/bin/env python3
"""The view is the file, on the real program: the section a right press lands on is the one
deleted (the selection staying visible while the list has the focus), an in-place edit renames
the key in the file and Escape cancels one, a section with blanks inside its brackets and a
repeated key are acted on line by line, and a section appended by another program appears.
Under a GBK locale, a GBK section whose second byte is "]" is shown and deleted, and a key
after an empty-named one is seen by the add command's duplicate test."""

import argparse
import os
import sys
import tempfile
import shutil
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from viewer import Viewer, check, read_bytes, wait_for_file  # noqa: E402

# Menu items reached by Down presses.
DELETE_SECTION, DELETE_KEY, ADD_KEY_ONLY_ENABLED = 2, 2, 1


def write_bytes(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--screenshots", required=True)
    args = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="iniv-e2e-")
    try:
        path = os.path.join(folder, "view.ini")
        write_bytes(path, "[常规]\nName=Sample\nKeep=1\n[最近文件]\nFile1=a.ini\n[ b ]\ndup=1\ndup=2\n".encode())
        with xsession.XSession(window_manager=True) as x:
            viewer = Viewer(x, x.start([args.binary], lang="zh_CN.UTF-8", lc_all="zh_CN.UTF-8"))
            viewer.load(path)
            nodes, rows = viewer.measure()
            check((nodes, rows) == (4, 2), f"{nodes} nodes and {rows} rows after loading")

            # 常规 selected by the load, the list focused: the tree's selection still shows. (A
            # click on the selected node would start an edit of its name.)
            x.click(viewer.window, 200, viewer.list_row_y(0))
            time.sleep(0.3)
            print(f"screenshot: {viewer.screenshot(args.screenshots, 'inactive_selection.png')}")

            # Renamed in place from the list, then an edit cancelled.
            x.key(viewer.window, "F2")
            time.sleep(0.3)
            x.key(viewer.window, "ctrl+a")
            x.type_text(viewer.window, "Title")
            x.key(viewer.window, "Return")
            renamed = "[常规]\nTitle=Sample\nKeep=1\n[最近文件]\nFile1=a.ini\n[ b ]\ndup=1\ndup=2\n".encode()
            wait_for_file(path, renamed)
            x.click(viewer.window, 200, viewer.list_row_y(1))
            x.key(viewer.window, "F2")
            time.sleep(0.3)
            x.type_text(viewer.window, "Gone")
            x.key(viewer.window, "Escape")
            time.sleep(0.5)
            check(read_bytes(path) == renamed, "a cancelled edit reached the file")

            # 常规 selected, 最近文件 right-pressed and deleted.
            viewer.menu_on_node(2, DELETE_SECTION)
            viewer.answer_yes()
            wait_for_file(path, "[常规]\nTitle=Sample\nKeep=1\n[ b ]\ndup=1\ndup=2\n".encode())

            # The second of two dup rows under [ b ] (now the second node): that line alone.
            viewer.click_node(2)
            time.sleep(0.3)
            viewer.menu_on_row(1, DELETE_KEY)
            viewer.answer_yes()
            wait_for_file(path, "[常规]\nTitle=Sample\nKeep=1\n[ b ]\ndup=1\n".encode())

            # Another program appends a section: a third node comes.
            with open(path, "ab") as f:
                f.write(b"[outside]\nnew=1\n")
            deadline = time.monotonic() + 5
            while True:
                time.sleep(0.3)
                if len(viewer._dark_rows((60, 140), (33, 320))) >= 4:
                    break
                check(time.monotonic() < deadline, "the appended section never showed")
            print(f"screenshot: {viewer.screenshot(args.screenshots, 'view_follows_file.png')}")
            viewer.close()

        gbk = os.path.join(folder, "gbk.ini")
        tail = b"[]\r\n=x\r\nafter=2\r\n[last]\r\nz=1\r\n"
        write_bytes(gbk, b"[\x93\x5d\x91\x5d]\r\n\x91\x5d=v\r\n" + tail)  # [揮慮], 慮=v
        with xsession.XSession() as x:
            viewer = Viewer(x, x.start([args.binary], lang="zh_CN.GBK", lc_all="zh_CN.GBK"))
            viewer.load(gbk)
            nodes, rows = viewer.measure()
            print(f"screenshot: {viewer.screenshot(args.screenshots, 'gbk_trail_bracket.png')}")
            # The empty-named node shows no text: three text rows over four nodes.
            check((nodes, rows) == (3, 1), f"{nodes} text rows in the tree and {rows} rows for the GBK file")
            first, last = viewer.tree_rows[0], viewer.tree_rows[-1]
            viewer.tree_rows = [first + (last - first) * i // 3 for i in range(4)]

            viewer.click_node(2)
            viewer.menu_on_row(None, ADD_KEY_ONLY_ENABLED)
            add = viewer.answer_add_key("after", "over", refused=True)
            box = viewer.dialog("Information")
            x.key(box, "Return")
            x.wait_window_gone(box)
            x.key(add, "Escape")
            x.wait_window_gone(add)
            check(read_bytes(gbk).endswith(tail), "a key hidden behind an empty name was written over")

            viewer.menu_on_node(1, DELETE_SECTION)
            viewer.answer_yes()
            wait_for_file(gbk, tail)
            viewer.close()
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    xsession.run_test(main)

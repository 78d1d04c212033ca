#!/usr/bin/env python3
"""Assistive technologies see the program: through AT-SPI, on a private accessibility bus, the
main window is a frame with its title, the file-name field is named and labelled by its label,
the buttons carry their captions, a message dialog is a dialog with its message, icon name and
button, after loading a file the tree lists its sections and the list the section's keys and
values, a GBK file on the UTF-8 desktop reads as Chinese with its encoding named in the status
line, the tree and the list are found by their names, and the About dialog is a dialog whose
panel groups its labels."""

import argparse
import os
import shutil
import signal
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from atspi import Accessible, accessibility_bus, read_until, wait_for  # noqa: E402
from viewer import TITLE, check, close_and_check_exit  # noqa: E402

WHOLE_TEST_SECONDS = 100


def check_main_window(acc, frame):
    check(frame.getRoleName() == "frame", f"the main window's role is {frame.getRoleName()!r}, not a frame")
    edits = acc.descendants(frame, "text")
    check(len(edits) == 1, f"{len(edits)} text fields in the main window, not one")
    check(edits[0].name == "文件名", f"the file-name field is called {edits[0].name!r}, not its label's caption")
    check(acc.labelled_by(edits[0]) == ["文件名"],
          f"the file-name field is labelled by {acc.labelled_by(edits[0])}, not by its label")
    buttons = sorted(b.name for b in acc.descendants(frame, "push button"))
    check(buttons == sorted(["浏览", "比较…", "关于"]), f"the buttons are called {buttons}")
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


def named_views(acc, frame):
    """The section tree and the key list, found by the names a screen reader says."""
    views = {v.name: v for v in acc.descendants(frame, "tree")}
    check(sorted(views) == sorted(["小节", "关键字列表"]), f"the item views are called {sorted(views)}")
    tree, listing = views["小节"], views["关键字列表"]
    columns = (tree.queryTable().nColumns, listing.queryTable().nColumns)
    check(columns == (1, 2), f"the tree and the list have {columns} columns, not one and two")
    return tree, listing


def check_loaded_file(x, acc, frame, win, path):
    x.key(win, "ctrl+a")
    x.type_text(win, path)
    x.key(win, "Return")
    tree, listing = named_views(acc, frame)
    print(f"item views: {tree.getRoleName()} {tree.name!r}, {listing.getRoleName()} {listing.name!r}")
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
    tree, listing = named_views(acc, frame)
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

    xsession.limit_time(WHOLE_TEST_SECONDS)

    folder = tempfile.mkdtemp(prefix="iniv-a11y-")
    try:
        sample = shutil.copy(args.sample, os.path.join(folder, "simple.ini"))
        gbk_sample = shutil.copy(args.gbk_sample, os.path.join(folder, "gbk-game.ini"))
        with xsession.XSession() as x, accessibility_bus(x, folder) as (pyatspi, bus_env):
            app = x.start([args.binary], lang=args.lang, lc_all=args.lang, env=bus_env)
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

            close_and_check_exit(x, win, app)
    finally:
        signal.alarm(0)
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    xsession.run_test(main)

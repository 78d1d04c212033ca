#!/usr/bin/env python3
"""Nothing is written that the user did not mean, on the real program under openbox:

- A click on the selected section, then Ctrl+F (or a letter that jumps to another section)
  at once, then typing a moment later: the keys go where the user sent them, not into a
  caption editor that opened meanwhile; the file stays as it was. A click with nothing after
  it still edits the name.
- A file without a write bit is marked read-only in the status line from its load on, the
  mark following its permission; a modify still tries and says why it failed.

The status line, the find field and the error box are read through AT-SPI."""

import argparse
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from atspi import Accessible, accessibility_bus, wait_for  # noqa: E402
from viewer import TITLE, Viewer, check, read_bytes, wait_for_file  # noqa: E402

# Longer than a double click's interval: a caption editor armed by the click would be open.
AFTER_THE_EDITOR_WOULD_OPEN = 0.8


def texts(acc, root, role):
    found = []
    for node in acc.descendants(root, role):
        if role == "text":
            text = node.queryText()
            found.append(text.getText(0, text.characterCount))
        else:
            found.append(node.name)
    return found


def click_then(x, win, px, py, *then):
    """A click and what follows it in one go. No --sync: it would wait for a move to where the
    pointer already is."""
    x._xdotool("mousemove", "--window", win, px, py, "click", 1, *then)


def status_line(acc, frame):
    return " ".join(name for name in texts(acc, frame, "label") if name and "换行符" in name)


def check_keys_after_a_click_go_where_sent(x, viewer, acc, frame, path):
    original = b"[Right]\nk=1\n[Other]\nj=2\n"
    with open(path, "wb") as f:
        f.write(original)
    viewer.load(path)
    nodes, rows = viewer.measure()
    check((nodes, rows) == (3, 1), f"{nodes} nodes and {rows} rows after loading")
    win = viewer.window

    # The loaded file's first section is selected: click it, Ctrl+F at once, type later.
    click_then(x, win, 90, viewer.tree_row_y(1), "key", "ctrl+f")
    time.sleep(AFTER_THE_EDITOR_WOULD_OPEN)
    x.type_here("Left")
    x.press("Return")
    time.sleep(0.5)
    check(read_bytes(path) == original, f"the file changed: {read_bytes(path)!r}")
    fields = wait_for("the typed text in the find field", lambda: "Left" in texts(acc, frame, "text") and
                      texts(acc, frame, "text"), timeout=5)
    print(f"after click, Ctrl+F and typing: file unchanged, text fields {fields}")
    # Esc gives the focus back to the tree, the section still selected.
    x.press("Escape")

    # Click the selected section and jump to another by its letter; type again later.
    click_then(x, win, 90, viewer.tree_row_y(1), "type", "o")
    time.sleep(AFTER_THE_EDITOR_WOULD_OPEN)
    x.type_here("x")
    x.press("Return")
    time.sleep(0.5)
    check(read_bytes(path) == original, f"the file changed after a jump by letter: {read_bytes(path)!r}")
    print("after click and a letter: file unchanged")

    # Nothing after the click: its editor opens and renames.
    click_then(x, win, 90, viewer.tree_row_y(2))
    time.sleep(AFTER_THE_EDITOR_WOULD_OPEN)
    click_then(x, win, 90, viewer.tree_row_y(2))
    time.sleep(AFTER_THE_EDITOR_WOULD_OPEN)
    x.press("ctrl+a")
    x.type_here("Renamed")
    x.press("Return")
    wait_for_file(path, b"[Right]\nk=1\n[Renamed]\nj=2\n")
    print("a click alone still renames")


def check_read_only_mark(x, viewer, acc, frame, path):
    with open(path, "wb") as f:
        f.write(b"[s]\nk=1\n")
    os.chmod(path, 0o444)
    viewer.load(path)
    mark = "只读：文件没有可写属性" if os.geteuid() == 0 else "只读：没有写入权限"
    shown = wait_for("the read-only mark after the load", lambda: mark in status_line(acc, frame) and
                     status_line(acc, frame))
    print(f"loaded without a write bit: status line {shown!r}")
    os.chmod(path, 0o644)
    shown = wait_for("the mark to go", lambda: "只读" not in status_line(acc, frame) and status_line(acc, frame))
    print(f"write bit given: status line {shown!r}")
    os.chmod(path, 0o444)
    shown = wait_for("the mark to come back", lambda: mark in status_line(acc, frame) and status_line(acc, frame))
    print(f"write bit taken: status line {shown!r}")

    # A modify still asks and tries; the failure says why.
    viewer.measure()
    x.click(viewer.window, 200, viewer.list_row_y(0))
    x.press("Return")
    box = x.wait_window("新值", app=viewer.app, timeout=15)
    x.key(box, "ctrl+a")
    x.type_here("2")
    x.press("Return")
    # The message is the library layer's English; the reason after it follows the Chinese locale.
    failed = f"Unable to write to {path}. 文件是只读的." if os.geteuid() == 0 else \
        f"Unable to write to {path}. 权限不够."
    message = wait_for("the error box", lambda: [w for w in acc.windows()
                                                 if w is not None and failed in texts(acc, w, "label")])
    print(f"modify: error box {message[0].name!r} says {failed!r}")
    check(read_bytes(path) == b"[s]\nk=1\n", "the read-only file changed")
    x.press("Return")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--screenshots", required=True)
    args = parser.parse_args()
    xsession.limit_time(100)

    folder = tempfile.mkdtemp(prefix="iniv-surprises-")
    try:
        with xsession.XSession(window_manager=True) as x, accessibility_bus(x, folder) as (pyatspi, bus_env):
            app = x.start([args.binary], lang="zh_CN.UTF-8", lc_all="zh_CN.UTF-8", env=bus_env)
            viewer = Viewer(x, app)
            acc = Accessible(pyatspi, app.pid)
            frame = wait_for("the program on the accessibility bus", lambda: acc.window(TITLE), timeout=30)
            check_keys_after_a_click_go_where_sent(x, viewer, acc, frame, os.path.join(folder, "click.ini"))
            check_read_only_mark(x, viewer, acc, frame, os.path.join(folder, "locked.ini"))
            print(f"screenshot: {viewer.screenshot(args.screenshots, 'no_surprises.png')}")
            viewer.close()
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    xsession.run_test(main)

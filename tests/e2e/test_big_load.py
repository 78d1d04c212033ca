#!/usr/bin/env python3
"""A big file (one section of millions of keys) loads while the window keeps answering: a whole
load ends with the file shown; a click lists the huge section, and a click on another section
replaces that listing; a load replaced by another file's never shows; the program ends
cleanly with a load under way. Screenshots are taken while the file loads, for a look at the
status line's progress (shown once a load takes more than a second)."""

import argparse
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from viewer import FIELD, TITLE, Viewer, check  # noqa: E402


def write_big(path, keys, before=""):
    with open(path, "w", encoding="ascii", newline="") as out:
        out.write(before + "[big]\n")
        step = 100_000
        for start in range(0, keys, step):
            out.write("".join(f"key{k:07d}=value {k} of the generated file\n" for k in range(start, min(keys, start + step))))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--keys", type=int, default=2_000_000, help="keys of the big file's section")
    parser.add_argument("--screenshots", required=True)
    args = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="iniv-big-")
    try:
        write_big(os.path.join(folder, "big.ini"), args.keys)
        write_big(os.path.join(folder, "two.ini"), args.keys, before="[small]\nonly=1\n")
        with open(os.path.join(folder, "s.ini"), "wb") as f:
            f.write(b"[one]\na=1\n[two]\nb=2\n")
        with xsession.XSession(window_manager=True) as x:
            # Started in the folder: short names are typed quickly, while a load still runs.
            app = x.start([args.binary], lang="C.UTF-8", lc_all="C.UTF-8", cwd=folder)
            viewer = Viewer(x, app)
            win = viewer.window

            def load_typed(name):
                x.click(win, *FIELD)
                x.key(win, "ctrl+a", "BackSpace")
                x.type_text(win, name, delay_ms=5)
                x.key(win, "Return")

            # A whole load: shots while it runs, then the file shown.
            started = time.monotonic()
            load_typed("big.ini")
            shots = 0
            while x.window_title(win) != f"big.ini — {TITLE}":
                check(time.monotonic() - started < 90, "the big file was never shown")
                time.sleep(0.3)
                shots += 1
                viewer.screenshot(args.screenshots, f"big_load_{shots:02d}.png")
            print(f"whole load: about {time.monotonic() - started:.1f} s, {shots} screenshots while loading")
            # Two million rows take the window a moment to lay out (longer in checked builds).
            deadline = time.monotonic() + 60
            nodes, rows = viewer.measure(timeout=30)
            while rows == 0 and time.monotonic() < deadline:
                time.sleep(0.5)
                nodes, rows = viewer.measure(timeout=30)
            check(nodes == 2, f"the tree shows {nodes} rows, not the root and one section")
            check(rows > 5, f"the list shows {rows} rows of the big section")

            def rows_when(wanted, what):
                deadline = time.monotonic() + 60
                while True:
                    _, rows = viewer.measure(timeout=30)
                    if wanted(rows) or time.monotonic() > deadline:
                        break
                    time.sleep(0.3)
                check(wanted(rows), f"the list shows {rows} rows: {what}")

            # A click on the huge section lists it; a click on the small one right after it wins.
            load_typed("two.ini")
            x.wait_window(f"two.ini — {TITLE}", app=app, timeout=90)
            rows_when(lambda rows: rows == 1, "not the small section's one key")
            # Measured before a click: the focused tree's highlighted node does not count as a row.
            check(len(viewer.tree_rows) == 3, f"the tree shows {len(viewer.tree_rows)} rows, not the root and two sections")
            node_y = [viewer.tree_row_y(i) for i in range(3)]

            def click_node(index):
                x.click(win, 90, node_y[index])

            click_node(2)
            viewer.screenshot(args.screenshots, "big_section_clicked.png")
            rows_when(lambda rows: rows > 5, "not the huge section's keys")
            viewer.screenshot(args.screenshots, "big_section_listed.png")
            click_node(1)
            rows_when(lambda rows: rows == 1, "not the small section's one key after its click")
            click_node(2)
            click_node(1)
            time.sleep(3)
            rows_when(lambda rows: rows == 1, "the replaced listing of the huge section was shown")

            # Another file typed while the big one loads again replaces it.
            load_typed("big.ini")
            load_typed("s.ini")
            x.wait_window(f"s.ini — {TITLE}", app=app, timeout=60)
            time.sleep(3)
            check(x.window_title(win) == f"s.ini — {TITLE}", "the replaced load was shown after all")
            nodes, rows = viewer.measure(timeout=30)
            check((nodes, rows) == (3, 1), f"the small file shows {nodes} tree rows and {rows} list rows")

            # Closed while a load runs: the program waits for it and ends cleanly.
            load_typed("big.ini")
            time.sleep(0.2)
            viewer.close()
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    xsession.run_test(main)

#!/usr/bin/env python3
"""Where the keyboard and the mouse find themselves after each step, under openbox: Shift+Tab
into the list and Enter modify its first row at once; after a key deleted through the right press's menu
Delete goes on with the next row; the find bar searches as the text is typed, its buttons step
to the next match and close it, the focus coming back to the list; an undo selects the row it
brought back, so that Delete acts on it again. Each step is checked on the file's bytes, and
the window photographed with the find bar open and with the encoding box reached by Tab."""

import argparse
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from viewer import Viewer, check, read_bytes, wait_for_file  # noqa: E402

DELETE = 2  # Down presses to the key menu's delete item: modify, (separator), delete
FIND_BAR_FROM_BOTTOM = 39  # the find bar's middle above the client area's bottom, under the views
NEXT_BUTTON_X = 242


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--screenshots", required=True)
    args = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="iniv-place-")
    try:
        path = os.path.join(folder, "place.ini")
        with open(path, "wb") as f:
            f.write(b"[alpha]\nk1=1\nk2=2\nk3=3\nk4=4\n[beta]\nfind=needle one\n[gamma]\nfind2=needle two\nrest=x\n")
        data = read_bytes(path)
        with xsession.XSession(window_manager=True) as x:
            viewer = Viewer(x, x.start([args.binary], lang="C.UTF-8", lc_all="C.UTF-8"))
            win = viewer.window
            viewer.load(path)
            nodes, rows = viewer.measure()
            check((nodes, rows) == (4, 4), f"{nodes} tree rows and {rows} list rows after loading")

            def delete_with_key():
                x.key(win, "Delete")
                viewer.answer_yes()

            # From the field back past the browse button into the list: Enter modifies its first row.
            x.key(win, "shift+Tab", "shift+Tab", "Return")
            viewer.answer_input("新值", "10")
            data = wait_for_file(path, data.replace(b"k1=1\n", b"k1=10\n"))

            # A right press's delete, then Delete alone: the next row was selected meanwhile.
            viewer.menu_on_row(1, DELETE)
            viewer.answer_yes()
            data = wait_for_file(path, data.replace(b"k2=2\n", b""))
            delete_with_key()
            data = wait_for_file(path, data.replace(b"k3=3\n", b""))

            # The text typed is searched for with no Enter; the next button goes on to the second
            # match; the close button gives the focus back to the list, on that match's row.
            x.key(win, "ctrl+f")
            x.type_here("needle")
            time.sleep(1.0)
            _, _, width, height = x.geometry(win)
            bar_y = height - FIND_BAR_FROM_BOTTOM
            x.click(win, NEXT_BUTTON_X, bar_y)
            time.sleep(0.3)
            print(f"screenshot: {viewer.screenshot(args.screenshots, 'find_bar_buttons.png')}")
            x.click(win, width - 25, bar_y)
            time.sleep(0.3)
            delete_with_key()
            data = wait_for_file(path, data.replace(b"find2=needle two\n", b""))

            # Elsewhere in the file, an undo brings the key back and selects it: Delete takes it again.
            viewer.click_node(1)
            x.key(win, "ctrl+z")
            wait_for_file(path, data.replace(b"[gamma]\n", b"[gamma]\nfind2=needle two\n"))
            x.key(win, "Tab")
            delete_with_key()
            wait_for_file(path, data)

            # Tab to the encoding box (list, browse, field, about, box): its focus shows.
            x.key(win, "Tab", "Tab", "Tab", "Tab")
            time.sleep(0.3)
            print(f"screenshot: {viewer.screenshot(args.screenshots, 'encoding_box_focus.png')}")
            viewer.close()
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    xsession.run_test(main)

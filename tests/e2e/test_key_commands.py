#!/usr/bin/env python3
"""The key commands on the real program: a right click on the list opens its menu; modify a
value, add a key and delete a key, each written to the file at once."""

import argparse
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from viewer import Viewer, check, read_bytes, wait_for_file  # noqa: E402

# Menu items reached by Down presses: modify, (separator), delete, add; a disabled item is passed.
MODIFY, DELETE, ADD_ONLY_ENABLED = 1, 2, 1


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--sample", required=True, help="samples/simple.ini")
    parser.add_argument("--lang", default="C.UTF-8")
    parser.add_argument("--screenshots", required=True)
    args = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="iniv-e2e-")
    try:
        path = os.path.join(folder, "simple.ini")
        shutil.copyfile(args.sample, path)
        original = read_bytes(path)
        check(b"[General]\nName=Sample\nVersion=1.4\nEnabled=1\n" in original, "unexpected sample")
        with xsession.XSession() as x:
            viewer = Viewer(x, x.start([args.binary], lang=args.lang, lc_all=args.lang))
            viewer.load(path)
            nodes, rows = viewer.measure()
            check((nodes, rows) == (4, 3), f"{nodes} tree rows and {rows} list rows after loading")

            viewer.menu_on_row(1, MODIFY)
            viewer.answer_input("新值", "2.0 final")
            modified = original.replace(b"Version=1.4\n", b"Version=2.0 final\n")
            wait_for_file(path, modified)

            viewer.menu_on_row(None, ADD_ONLY_ENABLED)
            viewer.answer_add_key("NewKey", "Added Value")
            added_line = b"newkey=Added Value\n"

            def has_new_key(data):
                at = data.find(added_line)
                return (at > data.find(b"[General]") and at < data.find(b"[Window]")
                        and data.replace(added_line, b"", 1) == modified)
            added = wait_for_file(path, has_new_key)

            viewer.menu_on_row(0, DELETE)
            viewer.answer_yes()
            wait_for_file(path, added.replace(b"Name=Sample\n", b"", 1))
            print(f"screenshot: {viewer.screenshot(args.screenshots, 'key_commands.png')}")
            viewer.close()
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    xsession.run_test(main)

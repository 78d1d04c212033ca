#!/usr/bin/env python3
"""The section commands on the real program: a right click on the tree opens its menu; add a
section (it enters the file with main=01), add a key in it through the list's menu, then
delete the section with everything in it."""

import argparse
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from viewer import Viewer, check, read_bytes, wait_for_file  # noqa: E402

# Menu items reached by Down presses.
ADD_SECTION, DELETE_SECTION, ADD_KEY_ONLY_ENABLED = 1, 2, 1


def lines(data):
    return [line for line in data.split(b"\n") if line.strip()]


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
        with xsession.XSession() as x:
            viewer = Viewer(x, x.start([args.binary], lang=args.lang, lc_all=args.lang))
            viewer.load(path)
            nodes, _ = viewer.measure()
            check(nodes == 4, f"{nodes} tree rows after loading, not the root and 3 sections")

            viewer.menu_on_node(1, ADD_SECTION)
            viewer.answer_input("新小节", "NewSec")
            with_section = wait_for_file(
                path, lambda data: data.startswith(original)
                and lines(data[len(original):]) == [b"[newsec]", b"main=01"])

            viewer.click_node(4)  # the new node, last under the root
            viewer.menu_on_row(None, ADD_KEY_ONLY_ENABLED)
            viewer.answer_add_key("Key2", "v2")
            with_key = wait_for_file(
                path, lambda data: data.startswith(original)
                and lines(data[len(original):]) == [b"[newsec]", b"main=01", b"key2=v2"])
            check(with_key.startswith(with_section.rstrip(b"\n")), "the rest of the file changed")
            print(f"screenshot: {viewer.screenshot(args.screenshots, 'section_added.png')}")

            viewer.menu_on_node(4, DELETE_SECTION)
            viewer.answer_yes()
            wait_for_file(path, lambda data: data.startswith(original) and not lines(data[len(original):]))
            print(f"screenshot: {viewer.screenshot(args.screenshots, 'section_commands.png')}")
            viewer.close()
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    xsession.run_test(main)

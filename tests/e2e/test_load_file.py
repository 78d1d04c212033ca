#!/usr/bin/env python3
"""A file typed into the field and loaded with Enter shows its sections in the tree and the
first section's keys and values in the list; under a GBK locale a GBK file reads as Chinese
(the screenshot is kept for a look)."""

import argparse
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from viewer import Viewer, check  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--sample", required=True, help="the file to load (copied first)")
    parser.add_argument("--sections", type=int, required=True, help="sections the sample holds")
    parser.add_argument("--keys", type=int, required=True, help="keys of its first section")
    parser.add_argument("--lang", default="C.UTF-8")
    parser.add_argument("--screenshots", required=True)
    args = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="iniv-e2e-")
    try:
        path = os.path.join(folder, os.path.basename(args.sample))
        shutil.copyfile(args.sample, path)
        with xsession.XSession() as x:
            viewer = Viewer(x, x.start([args.binary], lang=args.lang, lc_all=args.lang))
            viewer.load(path)
            nodes, rows = viewer.measure()
            tag = args.lang.replace(".", "_")
            shot = viewer.screenshot(args.screenshots, f"load_{os.path.basename(path)}_{tag}.png")
            print(f"screenshot: {shot}")
            check(nodes == 1 + args.sections, f"the tree shows {nodes} rows, not the root and {args.sections}")
            check(rows == args.keys, f"the list shows {rows} rows, not {args.keys}")
            viewer.close()
            with open(args.sample, "rb") as original, open(path, "rb") as loaded:
                check(original.read() == loaded.read(), "loading changed the file")
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    xsession.run_test(main)

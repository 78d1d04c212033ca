#!/usr/bin/env python3
"""The program starts showing its main window, and only that, and ends with exit code 0 when
the window is closed from its title bar."""

import argparse
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from viewer import TITLE, check, close_and_check_exit  # noqa: E402



def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--lang", default="C.UTF-8")
    parser.add_argument("--screenshots", required=True, help="folder for the screenshot")
    args = parser.parse_args()
    check(os.access(args.binary, os.X_OK), f"no program at {args.binary}")

    with xsession.XSession() as x:
        app = x.start([args.binary], lang=args.lang, lc_all=args.lang)
        main_window = x.wait_window(TITLE, app=app, timeout=30)
        time.sleep(0.5)  # a stray second window would show up by now
        titled = x.top_level_windows(TITLE)
        check(titled == [main_window], f"{len(titled)} windows titled {TITLE!r} are shown, not one")
        shown = x.top_level_windows(app=app)
        check(shown == [main_window],
              f"the program shows other windows as well: {[x.window_title(w) for w in shown]}")

        tag = args.lang.replace(".", "_").replace("@", "_")
        shot = x.screenshot(os.path.join(args.screenshots, f"start_and_close_{tag}.png"))
        print(f"screenshot: {shot}")

        close_and_check_exit(x, main_window, app)


if __name__ == "__main__":
    xsession.run_test(main)

#!/usr/bin/python3
"""How much of a large file the window reads from disk for a load: starts the viewer on a
generated file (100 MB by default) under strace, waits until it shows the file, and prints the
count of read, openat and pread64 calls, in all and those that went to the file itself with the
bytes they read.
  bench/load_reads.py --binary build/test/app/iniviewer [--megabytes 100]"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import xsession  # noqa: E402
from viewer import TITLE  # noqa: E402

def write_file(path, megabytes):
    line = "key{:07d}=value {:07d} of the generated file\n"
    with open(path, "w", encoding="ascii", newline="") as out:
        written, section = 0, 0
        while written < megabytes * 1_000_000:
            block = f"[section{section:05d}]\n" + "".join(line.format(k, k) for k in range(2000))
            out.write(block)
            written += len(block)
            section += 1


def run(binary, path, strace_options, log, shot=None):
    with xsession.XSession(window_manager=True) as x:
        app = x.start(["strace", "-f", "-o", log, *strace_options, binary, path])
        # Its window is the traced program's, not strace's.
        win = x.wait_window(f"{os.path.basename(path)} — {TITLE}", timeout=120)
        time.sleep(5.0)
        if shot:
            print(f"screenshot: {x.screenshot(shot, win)}")
        # strace also follows the helpers the program starts, which outlive it: its log is
        # whole once the file is shown, and the program ends with it.
        app.proc.kill()
        x.wait_exit(app, timeout=60)


def count_calls(log, path):
    """Calls of each kind in all, and the calls and bytes that went to the file. A call another
    thread interrupted is logged in two lines: its start, and its end with the result."""
    calls = {}
    opens = reads = read_bytes = 0
    pending = set()  # threads in a read of the file
    quoted = re.escape(path)
    for line in open(log, encoding="utf-8", errors="replace"):
        thread = line.split(" ", 1)[0]
        result = re.search(r"\) += (-?\d+)", line)
        if "resumed>" in line:
            if thread in pending and result:
                read_bytes += max(0, int(result.group(1)))
            pending.discard(thread)
            continue
        call = re.match(r"\d+ +(\w+)\(", line)
        if not call:
            continue
        calls[call.group(1)] = calls.get(call.group(1), 0) + 1
        if re.search(r"openat\([^,]*, \"" + quoted + "\"", line):
            opens += 1
        elif re.search(r"\b(read|pread64)\(\d+<" + quoted + r">", line):
            reads += 1
            if "<unfinished" in line:
                pending.add(thread)
            elif result:
                read_bytes += max(0, int(result.group(1)))
    return calls, opens, reads, read_bytes


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--binary", required=True)
    parser.add_argument("--megabytes", type=int, default=100)
    parser.add_argument("--screenshot", help="a PNG of the window once the file is shown")
    args = parser.parse_args()
    folder = tempfile.mkdtemp(prefix="iniv-reads-")
    try:
        path = os.path.join(folder, "big.ini")
        write_file(path, args.megabytes)
        print(f"file: {os.path.getsize(path):,} bytes")
        log = os.path.join(folder, "calls.txt")
        run(args.binary, path, ["-y", "-s", "0", "-e", "trace=read,openat,pread64"], log, args.screenshot)
        calls, opens, reads, read_bytes = count_calls(log, path)
        print("calls in all: " + ", ".join(f"{name} {count:,}" for name, count in sorted(calls.items())))
        print(f"the file itself: {opens} openat, {reads} read/pread64, {read_bytes:,} bytes read")
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()

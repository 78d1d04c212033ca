#!/usr/bin/env python3
"""Counts the updates `iniv set` loses for a program that saves the same file without a lock,
by writing a new file and renaming it over the old one (as most editors and `sed -i` do).

Each writer changes a key of its own: `iniv set` in a loop, one process a call, sets
[a] iniv; beside it this script rewrites [a] renamer again and again. A rewrite of ours is
lost when the next read no longer finds the value it wrote: a save by iniv that read the
file before our rename and renamed its own file over ours afterwards.

usage: bench/rename_race.py PATH_TO_INIV [SETS]      (SETS: 2000 unless told)
"""
import os
import re
import subprocess
import sys
import tempfile

KEY = re.compile(rb"^renamer=(\d+)$", re.M)


def rewrite(path, value):
    with open(path, "rb") as f:
        old = f.read()
    found = KEY.search(old)
    new = KEY.sub(b"renamer=%d" % value, old) if found else old + b"renamer=%d\n" % value
    fd, temporary = tempfile.mkstemp(dir=os.path.dirname(path), prefix=".renamer-")
    with os.fdopen(fd, "wb") as f:
        f.write(new)
        f.flush()
        os.fsync(f.fileno())
    os.rename(temporary, path)
    return int(found.group(1)) if found else None


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    iniv = os.path.abspath(sys.argv[1])
    sets = int(sys.argv[2]) if len(sys.argv) > 2 else 2000
    with tempfile.TemporaryDirectory(prefix="rename-race-") as folder:
        path = os.path.join(folder, "f.ini")
        with open(path, "wb") as f:
            f.write(b"[a]\nrenamer=0\niniv=0\n")
        loop = subprocess.Popen(
            ["sh", "-c", 'i=0; failed=0; while [ $i -lt "$2" ]; do i=$((i+1)); '
                         '"$0" set "$1" a iniv $i 2>>"$1.errors" || failed=$((failed+1)); done; echo $failed',
             iniv, path, str(sets)], stdout=subprocess.PIPE)
        rewrites = lost = 0
        written = 0
        while loop.poll() is None:
            rewrites += 1
            found = rewrite(path, rewrites)
            if found != written:
                lost += 1
            written = rewrites
        failed = int(loop.stdout.read() or 0)
        # The last rewrite is checked by one more read.
        with open(path, "rb") as f:
            last = KEY.search(f.read())
        if not last or int(last.group(1)) != written:
            lost += 1
        errors = open(path + ".errors", "rb").read().decode(errors="replace") if failed else ""
    print(f"iniv set: {sets} calls, {failed} failed")
    print(f"renamer: {rewrites} rewrites, {lost} lost")
    if errors:
        print("first iniv errors:\n" + "".join(errors.splitlines(True)[:5]), end="")


if __name__ == "__main__":
    main()

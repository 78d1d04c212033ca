#!/usr/bin/env python3
"""Installs the build into a temporary prefix and checks the launcher entry, the AppStream
metadata and the icons, then runs the desktop's validators on the installed files.

Exit codes: 0 passed, 1 failed, 77 skipped (a validator is missing)."""

import argparse
import configparser
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

SKIP = 77
ICON_SIZES = (16, 32, 48, 64, 128, 256)


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    check(head[:8] == b"\x89PNG\r\n\x1a\n" and head[12:16] == b"IHDR", f"{path} is not a PNG file")
    return struct.unpack(">II", head[16:24])


def read_desktop_entry(path):
    parser = configparser.ConfigParser(interpolation=None, strict=True)
    parser.optionxform = str  # keys such as Name[zh_CN] are case-sensitive
    with open(path, encoding="utf-8") as f:
        parser.read_file(f)
    check(parser.has_section("Desktop Entry"), f"{path} has no [Desktop Entry] group")
    return parser["Desktop Entry"]


def check_layout(prefix, app_id, binary):
    share = os.path.join(prefix, "share")
    desktop = os.path.join(share, "applications", app_id + ".desktop")
    metainfo = os.path.join(share, "metainfo", app_id + ".metainfo.xml")
    svg = os.path.join(share, "icons", "hicolor", "scalable", "apps", app_id + ".svg")
    for path in (desktop, metainfo, svg):
        check(os.path.isfile(path), f"not installed: {os.path.relpath(path, prefix)}")

    for size in ICON_SIZES:
        png = os.path.join(share, "icons", "hicolor", f"{size}x{size}", "apps", app_id + ".png")
        check(os.path.isfile(png), f"not installed: {os.path.relpath(png, prefix)}")
        check(png_size(png) == (size, size), f"{png} is {png_size(png)}, not {size}x{size}")
    with open(svg, encoding="utf-8") as f:
        check("<svg" in f.read(), f"{svg} is not an SVG image")

    entry = read_desktop_entry(desktop)
    check(entry.get("Icon") == app_id, f"the launcher names the icon {entry.get('Icon')!r}")
    check(entry.get("Name[zh_CN]") == "Ini文件查看器", "the Chinese name of the launcher is wrong")
    exec_line = entry.get("Exec", "")
    check(exec_line.split() == ["iniviewer"], f"Exec={exec_line!r} must start the program without arguments")

    component = ET.parse(metainfo).getroot()
    check(component.findtext("id") == app_id, "the metadata names another component id")
    check(component.findtext("launchable") == app_id + ".desktop",
          "the metadata's launchable is not the installed launcher")

    if binary:
        program = os.path.join(prefix, "bin", binary)
        check(os.path.isfile(program) and os.access(program, os.X_OK), f"not installed: bin/{binary}")
    return desktop, metainfo


def run_validators(desktop, metainfo):
    """Returns the name of a missing validator, or None when both ran and passed."""
    validators = (
        ("desktop-file-validate", [desktop], "desktop-file-utils"),
        ("appstreamcli", ["validate", "--no-net", metainfo], "appstream"),
    )
    for tool, args, package in validators:
        path = shutil.which(tool)
        if not path:
            return f"{tool} (Debian package {package})"
        result = subprocess.run([path, *args], capture_output=True, text=True, timeout=60)
        output = (result.stdout + result.stderr).strip()
        print(f"{tool}: exit {result.returncode}" + (f"\n{output}" if output else ""))
        # desktop-file-validate exits 0 on warnings, so its printed lines count too.
        problems = [line for line in output.splitlines() if "error" in line.lower() or "warning" in line.lower()]
        check(result.returncode == 0 and not problems, f"{tool} rejects the installed file")
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--cmake", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--app-id", required=True)
    parser.add_argument("--binary", help="program expected in bin/")
    args = parser.parse_args()

    prefix = tempfile.mkdtemp(prefix="iniv-install-")
    try:
        env = {k: v for k, v in os.environ.items() if k != "DESTDIR"}
        result = subprocess.run([args.cmake, "--install", args.build, "--prefix", prefix],
                                capture_output=True, text=True, env=env, timeout=90)
        check(result.returncode == 0, f"cmake --install failed:\n{result.stdout}{result.stderr}")
        desktop, metainfo = check_layout(prefix, args.app_id, args.binary)
        print("installed files: ok")
        missing = run_validators(desktop, metainfo)
        if missing:
            print(f"SKIPPED: validator not found: {missing}")
            return SKIP
        return 0
    except Failure as failure:
        print(f"FAILED: {failure}")
        return 1
    finally:
        shutil.rmtree(prefix, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())

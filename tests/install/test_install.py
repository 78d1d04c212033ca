#!/usr/bin/env python3
"""Installs the build into a temporary prefix and checks the launcher entry, the AppStream
metadata, the file types and the icons, then runs the desktop's validators on the installed
files, builds the MIME database of the prefix and asks the desktop what type an INI file has.

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
# The types the launcher offers to open: ours, and those some desktops already give these files.
OPENED_TYPES = ("text/x-ini", "text/x-inf", "application/x-wine-extension-ini", "application/x-wine-extension-inf")


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


def check_layout(prefix, app_id, binary, command):
    share = os.path.join(prefix, "share")
    desktop = os.path.join(share, "applications", app_id + ".desktop")
    metainfo = os.path.join(share, "metainfo", app_id + ".metainfo.xml")
    svg = os.path.join(share, "icons", "hicolor", "scalable", "apps", app_id + ".svg")
    mime = os.path.join(share, "mime", "packages", app_id + ".xml")
    for path in (desktop, metainfo, svg, mime):
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
    check(exec_line.split() == ["iniviewer", "%f"], f"Exec={exec_line!r} must hand the program one file")
    # The toolkit names the window's class after the program file (xprop WM_CLASS shows it):
    # a launcher matches the running window to itself by it.
    check(entry.get("StartupWMClass") == "iniviewer", f"StartupWMClass={entry.get('StartupWMClass')!r}")
    offered = [t for t in entry.get("MimeType", "").split(";") if t]
    check(all(t in offered for t in OPENED_TYPES), f"the launcher offers to open {offered}, not {OPENED_TYPES}")
    ns = {"m": "http://www.freedesktop.org/standards/shared-mime-info"}
    globs = {t.get("type"): [g.get("pattern") for g in t.findall("m:glob", ns)]
             for t in ET.parse(mime).getroot().findall("m:mime-type", ns)}
    check(globs == {"text/x-ini": ["*.ini"], "text/x-inf": ["*.inf"]}, f"the file types read {globs}")

    component = ET.parse(metainfo).getroot()
    check(component.findtext("id") == app_id, "the metadata names another component id")
    check(component.findtext("launchable") == app_id + ".desktop",
          "the metadata's launchable is not the installed launcher")
    provided = [b.text for b in component.findall("provides/binary")]
    wanted = [name for name in (binary, command) if name]
    check(all(name in provided for name in wanted), f"the metadata provides the programs {provided}, not {wanted}")
    releases = component.findall("releases/release")
    check(releases and all(r.find("description/p") is not None for r in releases),
          "a release in the metadata says nothing of what it brings")

    if binary:
        program = os.path.join(prefix, "bin", binary)
        check(os.path.isfile(program) and os.access(program, os.X_OK), f"not installed: bin/{binary}")
        check_manual_page(prefix, binary)
    return desktop, metainfo


def check_manual_page(prefix, program):
    """The program's page in section 1 of the manual, its version filled in."""
    page = os.path.join(prefix, "share", "man", "man1", program + ".1")
    check(os.path.isfile(page), f"not installed: share/man/man1/{program}.1")
    with open(page, encoding="utf-8") as f:
        text = f.read()
    check(text.startswith(".TH " + program.upper() + " 1"), f"{page} is not a manual page of section 1")
    check("@" not in text.splitlines()[0], f"{page} names no version: {text.splitlines()[0]!r}")


def check_command(prefix, command):
    """The command-line companion, its manual page, and a help that stands on its own."""
    program = os.path.join(prefix, "bin", command)
    check(os.path.isfile(program) and os.access(program, os.X_OK), f"not installed: bin/{command}")
    check_manual_page(prefix, command)
    env = {"PATH": "/usr/bin:/bin", "LANG": "C.UTF-8"}
    result = subprocess.run([program, "--help"], capture_output=True, text=True, env=env, timeout=60)
    check(result.returncode == 0 and result.stdout.startswith(f"Usage: {command} "), f"{command} --help failed")
    for word in ("get", "set", "del", "rename", "sections", "keys", "batch", "--encoding", "--null", "--dry-run",
                 "Exit status"):
        check(word in result.stdout, f"{command} --help does not mention {word}")


def check_file_types(prefix):
    """Builds the prefix's MIME database and asks the desktop for the type of INI and INF
    files; returns the name of a missing tool, or None."""
    for tool, package in (("update-mime-database", "shared-mime-info"), ("xdg-mime", "xdg-utils"),
                          ("mimetype", "libfile-mimeinfo-perl")):
        if not shutil.which(tool):
            return f"{tool} (Debian package {package})"
    mime_dir = os.path.join(prefix, "share", "mime")
    result = subprocess.run(["update-mime-database", "-V", mime_dir], capture_output=True, text=True, timeout=60)
    output = (result.stdout + result.stderr).strip()
    check(result.returncode == 0 and "warning" not in output.lower() and "error" not in output.lower(),
          f"update-mime-database rejects the installed types:\n{output}")
    with open(os.path.join(mime_dir, "globs2"), encoding="utf-8") as f:
        check("text/x-ini:*.ini" in f.read(), "the built database has no glob for *.ini")
    samples = os.path.join(prefix, "samples")
    os.makedirs(samples)
    # Only the prefix's database and the system's: not the user's own.
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": samples,
           "XDG_DATA_HOME": os.path.join(samples, "data"),
           "XDG_DATA_DIRS": os.path.join(prefix, "share") + ":/usr/share"}
    for name, wanted in (("a.ini", "text/x-ini"), ("setup.inf", "text/x-inf")):
        path = os.path.join(samples, name)
        with open(path, "w", encoding="ascii") as f:
            f.write("[General]\nName=Sample\n")
        result = subprocess.run(["xdg-mime", "query", "filetype", path], capture_output=True, text=True,
                                env=env, timeout=60)
        found = result.stdout.strip()
        print(f"xdg-mime query filetype {name}: {found}")
        check(result.returncode == 0 and found == wanted, f"{name} has the type {found!r}, not {wanted}")
    return None


def run_validators(desktop, metainfo):
    """Returns the name of a missing validator, or None when both ran and passed."""
    validators = (
        ("desktop-file-validate", [desktop], "desktop-file-utils"),
        ("appstreamcli", ["validate", "--pedantic", "--no-net", metainfo], "appstream"),
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
    parser.add_argument("--command", help="command-line program expected in bin/, with its manual page")
    args = parser.parse_args()

    prefix = tempfile.mkdtemp(prefix="iniv-install-")
    try:
        env = {k: v for k, v in os.environ.items() if k != "DESTDIR"}
        result = subprocess.run([args.cmake, "--install", args.build, "--prefix", prefix],
                                capture_output=True, text=True, env=env, timeout=90)
        check(result.returncode == 0, f"cmake --install failed:\n{result.stdout}{result.stderr}")
        desktop, metainfo = check_layout(prefix, args.app_id, args.binary, args.command)
        if args.command:
            check_command(prefix, args.command)
        print("installed files: ok")
        missing = run_validators(desktop, metainfo) or check_file_types(prefix)
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

#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The pictures of docs/images: the real program at twice the scale on an
X screen of 1280 x 800 pixels (Xvfb). The strip is expanded, the statistics
window and the tariff editor are opened through the menus, and each is
photographed into --out with its place on the screen printed.

    scripts/screenshots-small-screen.py --program build/bin/tarifuhr \
        --sim build/bin/tarifuhr-sim --out /tmp/shots [--scale 1.5]"""

import argparse
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from program import Program, free_display, start_xvfb, stop_processes
import struct

from records import HEADER_SIZE, TARIFF_FIELDS, TOTALS_SIZE
from run_statistics_screenshot import prepared_files, xdotool

SCREEN = (1280, 800)


def with_volume(data):
    """The first tariff with a data volume of 5 GB, 1,5 GB of it used: the
    statistics window shows its third chart."""
    data = bytearray(data)
    first = HEADER_SIZE + TOTALS_SIZE
    for field, value in (("VolumeLimit", 5 << 30), ("PeriodBytes", 3 << 29)):
        offset, fmt = TARIFF_FIELDS[field]
        struct.pack_into(fmt, data, first + offset, value)
    return bytes(data)


def at(x, y, scale):
    """A point of the strip in the screen's pixels."""
    return str(round(x * scale)), str(round(y * scale))


def wait_for_window(env, title):
    for _ in range(50):
        found = xdotool(env, "search", "--onlyvisible", "--name", f"^{title}$")
        if found:
            return found[0]
        time.sleep(0.1)
    raise AssertionError(f"the window '{title}' did not open")


def geometry(env, window):
    values = dict(line.split("=") for line in
                  subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], env=env,
                                 capture_output=True, text=True).stdout.split())
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def tell_place(env, window, what):
    x, y, w, h = geometry(env, window)
    fits = x >= 0 and y >= 0 and x + w <= SCREEN[0] and y + h <= SCREEN[1]
    print(f"{what}: {x},{y} {w}x{h}" + ("" if fits else f", beyond the screen {SCREEN}"))


def photograph(env, out, name):
    """The whole screen: what lies beyond its edges is not on it."""
    shot = os.path.join(out, name)
    subprocess.run(["import", "-window", "root", shot], env=env, check=True, capture_output=True)
    print(f"screenshot: {shot}")


def close(env, window, title):
    xdotool(env, "windowfocus", "--sync", window)
    xdotool(env, "key", "Escape")
    for _ in range(50):
        if not xdotool(env, "search", "--onlyvisible", "--name", f"^{title}$"):
            return
        time.sleep(0.1)
    raise AssertionError(f"Escape did not close '{title}'")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--sim", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--scale", type=float, default=2)
    args = ap.parse_args()
    for tool in ("Xvfb", "xdotool", "import"):
        if not shutil.which(tool):
            sys.exit(f"{tool} is not installed")
    os.makedirs(args.out, exist_ok=True)
    data, log = prepared_files()
    p = Program(args.program, args.sim, "Erika", with_volume(data))
    with open(p.path("dialup.otl"), "wb") as f:
        f.write(log)
    display = free_display(first=600)
    env = dict(p.env, DISPLAY=f":{display}")
    xvfb = start_xvfb(display, screen=f"{SCREEN[0]}x{SCREEN[1]}x24")
    try:
        p.start(display=f":{display}", env={"QT_SCALE_FACTOR": str(args.scale)})
        # Expanded by its chevron: the overview and the log.
        xdotool(env, "mousemove", *at(500, 8, args.scale), "click", "1")
        time.sleep(1)
        shot = os.path.join(args.out, f"strip-expanded-scale{args.scale:g}.png")
        subprocess.run(["import", "-window", "root", "-crop", f"{round(513 * args.scale)}x{round(261 * args.scale)}+0+0", shot],
                       env=env, check=True, capture_output=True)
        print(f"screenshot: {shot}")

        # The strip's menu: past the two dial items and the user settings
        # to "Statistik".
        xdotool(env, "mousemove", *at(60, 8, args.scale), "click", "3")
        time.sleep(1)
        xdotool(env, "key", "--delay", "150", *["Down"] * 4, "Return")
        window = wait_for_window(env, "Statistik")
        time.sleep(1.5)
        photograph(env, args.out, f"statistics-scale{args.scale:g}-800px.png")
        tell_place(env, window, "Statistik")
        # Scrolled down to the volume chart and the projections.
        x, y, w, h = geometry(env, window)
        xdotool(env, "mousemove", str(x + w // 2), str(y + h // 2), "click", "--repeat", "30", "--delay", "30", "5")
        time.sleep(1)
        photograph(env, args.out, f"statistics-volume-scale{args.scale:g}-800px.png")
        close(env, window, "Statistik")

        # The overview's first row, then its menu's "Tarif-Einstellungen".
        xdotool(env, "mousemove", *at(100, 50, args.scale), "click", "1")
        time.sleep(0.5)
        xdotool(env, "click", "3")
        time.sleep(1)
        xdotool(env, "key", "--delay", "150", *["Down"] * 2, "Return")
        window = wait_for_window(env, "Tarif Einstellungen")
        time.sleep(1)
        photograph(env, args.out, f"tariff-editor-scale{args.scale:g}-800px.png")
        tell_place(env, window, "Tarif Einstellungen")
        close(env, window, "Tarif Einstellungen")

        p.stop()
    finally:
        p.remove()
        stop_processes([xvfb])
    return 0


if __name__ == "__main__":
    sys.exit(main())

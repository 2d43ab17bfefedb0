#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The tray icon as a StatusNotifierItem: with a watcher of the test's own on
a private session bus, the real program under Xvfb registers its item, whose
tooltip names the program and whose menu, read over dbusmenu, holds the
strip's items down to "Beende"; the strip's own context menu still opens."""

import argparse
import json
import os
import select
import shutil
import subprocess
import sys
import time

from program import Program, free_display, start_session_bus, start_xvfb, stop_processes

HERE = os.path.dirname(os.path.abspath(__file__))



def python_with_dbus():
    """An interpreter that has Debian's python3-dbus and python3-gi."""
    for python in (sys.executable, "/usr/bin/python3"):
        if shutil.which(python) and subprocess.run([python, "-c", "import dbus, gi.repository.GLib"],
                                                   capture_output=True).returncode == 0:
            return python
    return None


def read_line(proc, seconds):
    ready, _, _ = select.select([proc.stdout], [], [], seconds)
    if not ready:
        raise RuntimeError("the watcher said nothing")
    return json.loads(proc.stdout.readline())


def visible_windows(env):
    return set(subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "tarifuhr"], env=env,
                              capture_output=True, text=True).stdout.split())


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--sim", required=True)
    args = ap.parse_args()
    for tool in ("Xvfb", "dbus-daemon", "xdotool"):
        if not shutil.which(tool):
            print(f"SKIPPED: {tool} is not installed")
            return 77
    python = python_with_dbus()
    if not python:
        print("SKIPPED: no python3 with dbus and gi (Debian packages python3-dbus, python3-gi)")
        return 77

    p = Program(args.program, args.sim)
    display = free_display(first=340)
    procs = []
    try:
        bus, address = start_session_bus(p.home)
        procs.append(bus)
        watcher = subprocess.Popen([python, os.path.join(HERE, "status_notifier_watcher.py"), address],
                                   stdout=subprocess.PIPE, text=True)
        procs.append(watcher)
        assert read_line(watcher, 10) == {"ready": True}
        procs.append(start_xvfb(display, "1024x768x24"))
        p.env.update(DBUS_SESSION_BUS_ADDRESS=address)
        p.start(display=f":{display}")

        item = read_line(watcher, 15)
        print(f"item: {item}")
        assert item.get("title", "").startswith("Tarifuhr"), item
        # The strip's menu, in its order (separators have no label).
        assert item["menu"] == ["Verbindung trennen", "Benutzer-Einstelllungen", "Statistik",
                                "Fehlerbericht erstellen", "Hilfe", "Verbergen", "Autostart", "Warnungen",
                                "About", "Beende"], item

        # The strip's right click opens the same menu in a window of its own.
        env = dict(p.env, DISPLAY=f":{display}")
        before = visible_windows(env)
        subprocess.run(["xdotool", "mousemove", "20", "8", "click", "3"], env=env, check=True)
        time.sleep(1)
        assert len(visible_windows(env) - before) == 1, (before, visible_windows(env))
        subprocess.run(["xdotool", "key", "Escape"], env=env, check=True)

        assert p.stop() == 0, p.output
        print("status notifier e2e: passed")
        return 0
    finally:
        p.kill()
        stop_processes(procs)
        p.remove()


if __name__ == "__main__":
    sys.exit(main())

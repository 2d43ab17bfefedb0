#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The real program in a Wayland session, under weston's headless backend.
xwayland: with Xwayland there, the program runs through it, and its strip is
an X11 window that asks for its stored place and to stay above the others
(weston's own window manager may place it as it likes; the window's own
requests are what is checked). native: without Xwayland it runs as a Wayland
client, counts a simulated connection and, on SIGTERM, logs it and ends."""

import argparse
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from program import Program, stop_processes, wait_for
from records import days, one_record, tariff, user_file

LEFT, TOP = 200, 150



def start_weston(runtime, xwayland):
    """weston on a socket of its own; its X display (":N") with Xwayland."""
    socket = f"tarifuhr-{os.getpid()}"
    log = os.path.join(runtime, "weston.log")
    cmd = ["weston", "--backend=headless-backend.so", f"--socket={socket}", "--width=1024", "--height=768",
           "--idle-time=0", f"--log={log}"]
    if xwayland:
        # Xwayland's socket goes there; an X server makes it, weston does not.
        os.makedirs("/tmp/.X11-unix", mode=0o1777, exist_ok=True)
        # Its X window manager's log shows what a window asked for before
        # the manager rewrote it: it keeps no "above" state of its own.
        cmd += ["--xwayland", "--logger-scopes=log,xwm-wm-x11"]
    weston = subprocess.Popen(cmd, env=dict(os.environ, XDG_RUNTIME_DIR=runtime), stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)

    def display():
        if weston.poll() is not None:
            raise RuntimeError("weston ended at start:\n" + open(log).read())
        if not os.path.exists(os.path.join(runtime, socket)):
            return None
        if not xwayland:
            return "-"
        found = re.search(r"xserver listening on display (:\d+)", open(log).read())
        return found.group(1) if found else None

    shown = wait_for(display, "weston", 15)
    return weston, socket, (shown if xwayland else None), log


def loaded_plugin(pid, name):
    with open(f"/proc/{pid}/maps") as f:
        return name in f.read()


def write_place(p):
    with open(os.path.join(p.config, "tarifuhr", "registry.reg"), "wb") as f:
        f.write(b"REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Tarifuhr]\r\n\"first\"=dword:00000001\r\n"
                + f"\"left\"=dword:{LEFT:08x}\r\n\"top\"=dword:{TOP:08x}\r\n\r\n".encode())


def xwayland_case(p, runtime):
    weston, socket, display, log = start_weston(runtime, True)
    try:
        write_place(p)
        # The session as a desktop sets it; the platform is left to the program.
        p.start(display=display, env={"WAYLAND_DISPLAY": socket, "XDG_RUNTIME_DIR": runtime,
                                      "XDG_SESSION_TYPE": "wayland"}, wait=3)
        env = dict(os.environ, DISPLAY=display)
        windows = wait_for(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "tarifuhr"],
                                                  env=env, capture_output=True, text=True).stdout.split(),
                           "the strip on Xwayland", 15)
        assert len(windows) == 1, windows
        hints = subprocess.run(["xprop", "-id", windows[0], "WM_NORMAL_HINTS"], env=env, check=True,
                               capture_output=True, text=True).stdout
        print(hints)
        assert re.search(rf"(user|program) specified location: {LEFT}, {TOP}", hints), hints
        with open(log) as f:
            asked = re.findall(rf"XCB_PROPERTY_NOTIFY: window {windows[0]}, _NET_WM_STATE: .*", f.read())
        print("asked:", asked)
        assert any("_NET_WM_STATE_ABOVE" in line for line in asked), asked
        assert loaded_plugin(p.proc.pid, "libqxcb.so"), "not on the xcb platform"
        assert p.stop() == 0, p.output
        return 0
    finally:
        p.kill()
        stop_processes([weston])


def native_case(p, runtime):
    weston, socket, _, _ = start_weston(runtime, False)
    try:
        p.write_user("Erika", user_file("Erika", [tariff("Handy", "Mobil", StartDate=days(2026, 12, 1),
                                                         PricePerMinute=10.0, InTotals=1)]))
        p.sim_tool("add", "Mobil", "--rate", "0/0")
        # No X display at all, and no platform chosen.
        p.env.pop("QT_QPA_PLATFORM", None)
        p.env.pop("DISPLAY", None)
        p.start(env={"WAYLAND_DISPLAY": socket, "XDG_RUNTIME_DIR": runtime})
        assert loaded_plugin(p.proc.pid, "libqwayland"), "not on the wayland platform"
        p.sim_tool("dial", "Mobil")
        time.sleep(3.5)
        assert p.stop() == 0, p.output
        r, _ = one_record(p.read("dialup.otl"))
        assert r["entry"] == "Mobil" and r["seconds"] >= 2, r
        return 0
    finally:
        p.kill()
        stop_processes([weston])


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--sim", required=True)
    ap.add_argument("--case", choices=["xwayland", "native"], required=True)
    args = ap.parse_args()
    tools = ["weston"] + (["Xwayland", "xdotool", "xprop"] if args.case == "xwayland" else [])
    for tool in tools:
        if not shutil.which(tool):
            print(f"SKIPPED: {tool} is not installed")
            return 77
    if not glob.glob("/usr/lib/*/libweston-*/headless-backend.so"):
        print("SKIPPED: weston's headless backend is not installed")
        return 77
    runtime = tempfile.mkdtemp(prefix="tarifuhr-runtime-")   # 0700, as XDG_RUNTIME_DIR must be
    p = Program(args.program, args.sim)
    try:
        rc = (xwayland_case if args.case == "xwayland" else native_case)(p, runtime)
        if rc == 0:
            print(f"wayland e2e ({args.case}): passed")
        return rc
    finally:
        p.remove()
        shutil.rmtree(runtime, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())

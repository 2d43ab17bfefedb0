#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""A budget warning through the real program on the simulated network, shown
by a real notification server (dunst) on a private session bus under Xvfb:
a connection that crosses 80 % of a cost budget gives exactly one
notification, with the tariff's name and figures, and its button
"Verbindung trennen" (pressed through dunst's context menu) hangs up the
connection, which is then logged."""

import argparse
import json
import os
import shutil
import subprocess
import sys
import time

from program import Program, free_display, start_session_bus, start_xvfb, stop_processes, wait_for
from records import days, one_record, tariff, user_file

PRICE, LIMIT, USED = 10.0, 10000.0, 7995.0   # cents: the first minute's charge crosses 80 %


# dunst's context menu lists the notifications' buttons through a dmenu;
# this one records them and picks "Verbindung trennen".
PICK = """#!/bin/sh
tee "{dir}/menu.txt" | grep -m1 "Verbindung trennen"
"""



def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--sim", required=True)
    args = ap.parse_args()
    for tool in ("Xvfb", "dunst", "dunstctl", "dbus-daemon"):
        if not shutil.which(tool):
            print(f"SKIPPED: {tool} is not installed")
            return 77

    handy = tariff("Handy", "Mobil", StartDate=days(2026, 12, 1), PricePerMinute=PRICE, CostLimit=LIMIT,
                   PeriodCosts=USED, InTotals=1)
    p = Program(args.program, args.sim, "Erika", user_file("Erika", [handy]))
    display = free_display(first=300)
    procs = []
    try:
        bus, address = start_session_bus(p.home)
        procs.append(bus)
        pick = os.path.join(p.home, "pick.sh")
        with open(pick, "w") as f:
            f.write(PICK.format(dir=p.home))
        os.chmod(pick, 0o755)
        os.makedirs(os.path.join(p.home, "xdg", "dunst"))
        with open(os.path.join(p.home, "xdg", "dunst", "dunstrc"), "w") as f:
            f.write(f"[global]\ndmenu = {pick}\n")
        env = dict(p.env, DBUS_SESSION_BUS_ADDRESS=address, DISPLAY=f":{display}",
                   XDG_CONFIG_HOME=os.path.join(p.home, "xdg"))
        procs.append(start_xvfb(display, "800x600x24"))
        procs.append(subprocess.Popen(["dunst"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        wait_for(lambda: subprocess.run(["dunstctl", "is-paused"], env=env, capture_output=True).returncode == 0,
                 "dunst")

        p.env.update(DBUS_SESSION_BUS_ADDRESS=address)   # the program itself stays offscreen
        p.sim_tool("add", "Mobil", "--rate", "0/0")
        p.start()
        p.sim_tool("dial", "Mobil")
        wait_for(lambda: subprocess.run(["dunstctl", "count", "displayed"], env=env, capture_output=True,
                                        text=True).stdout.strip() == "1", "the warning")
        subprocess.run(["dunstctl", "context"], env=env, check=True)
        wait_for(lambda: p.sim_tool("status").strip() == "", "the hang-up")
        with open(os.path.join(p.home, "menu.txt"), encoding="utf-8") as f:
            assert "Verbindung trennen" in f.read()
        time.sleep(1.5)
        assert p.stop() == 0, p.output
        r, _ = one_record(p.read("dialup.otl"))
        assert r["entry"] == "Mobil" and r["seconds"] >= 1, r

        subprocess.run(["dunstctl", "close-all"], env=env, check=True)
        time.sleep(0.5)
        history = json.loads(subprocess.run(["dunstctl", "history"], env=env, check=True, capture_output=True,
                                            text=True).stdout)
        shown = [(n["summary"]["data"], n["body"]["data"], n["appname"]["data"]) for n in history["data"][0]]
        print(f"notifications: {shown}")
        assert shown == [("Tarifuhr: Handy", "80 % des Kostenlimits erreicht: 80,05 von 100,00.", "Tarifuhr")], shown
        with open(p.path("warnungen.txt"), encoding="utf-8") as f:
            assert "Erika (Erika.tfd)\tHandy\tkosten80\t" in f.read()
        print("warnings e2e: passed")
        return 0
    finally:
        p.kill()
        stop_processes(procs)
        p.remove()


if __name__ == "__main__":
    sys.exit(main())

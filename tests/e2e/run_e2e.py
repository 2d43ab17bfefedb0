#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end: the real program on an X server with a tray host and the
simulated dial-up network. It counts one dialled connection across a minute
charge; afterwards the connection log and the user's data file are checked
byte by byte."""

import argparse
import os
import shutil
import subprocess
import sys
import time

from program import Program, free_display, start_xvfb, stop_processes
from records import days, one_record, read_user_file, tariff, user_file

PRICE = 2.0      # cents a minute
FEE = 5.0        # cents a connection
ENTRY = "E2E-Net"
RX, TX = 123456, 7890
START_SECONDS, START_COSTS, START_BYTES = 600.0, 40.0, 1000


def user_data():
    import datetime
    today = datetime.date.today()
    return user_file("Erika (Erika.tfd)", [tariff(
        "E2E-Tarif", ENTRY, StartDate=days(today.year, today.month, 1), PricePerMinute=PRICE, TimeLimit=3000.0,
        PeriodSeconds=START_SECONDS, PeriodCosts=START_COSTS, PeriodBytes=START_BYTES, InTotals=1,
        DialInFee=FEE)])


def run(cmd, env, **kw):
    return subprocess.run(cmd, env=env, check=True, capture_output=True, text=True, **kw)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--sim", required=True)
    ap.add_argument("--out", required=True)
    args = ap.parse_args()
    for tool in ("Xvfb", "trayer", "xdotool", "import"):
        if not shutil.which(tool):
            print(f"SKIPPED: {tool} is not installed")
            return 77
    os.makedirs(args.out, exist_ok=True)
    p = Program(args.program, args.sim, "Erika", user_data())
    display = free_display()
    env = dict(p.env, DISPLAY=f":{display}")
    procs = []
    try:
        procs.append(start_xvfb(display))
        procs.append(subprocess.Popen(["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel",
                                       "--width", "120", "--height", "24"], env=env,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        time.sleep(1)
        p.sim_tool("add", ENTRY, "--rate", "0/0")
        p.start(display=f":{display}")
        time.sleep(1)

        p.sim_tool("dial", ENTRY)
        time.sleep(30)
        p.sim_tool("traffic", ENTRY, str(RX), str(TX))
        time.sleep(33)   # across the minute charge at second 60

        # Expand the strip (the button at its right end) and take a picture.
        run(["xdotool", "mousemove", "500", "8", "click", "1"], env)
        time.sleep(1.5)
        shot = os.path.join(args.out, "tarifuhr-expanded.png")
        run(["import", "-window", "root", "-crop", "540x300+0+0", shot], env)
        print(f"screenshot: {shot}")

        p.sim_tool("hangup", ENTRY)
        time.sleep(2.5)
        rc = p.stop()
        if rc != 0:
            raise RuntimeError(f"the program ended with {rc}:\n{p.output}")
        check_files(p)
    finally:
        p.kill()
        stop_processes(procs)
        p.remove()
    print("e2e: passed")
    return 0


def check_files(p):
    r, charges = one_record(p.read("dialup.otl"))
    print(f"log: {r['entry']} {r['seconds']} s, {r['cost']} ct, {r['received']}/{r['sent']} B, "
          f"{charges} minute charges")
    assert r["entry"] == ENTRY, r["entry"]
    assert 60 < r["seconds"] < 90, r["seconds"]
    assert charges >= 2
    assert r["cost"] == FEE + charges * PRICE, r["cost"]
    assert (r["received"], r["sent"]) == (RX, TX)
    assert r["end"] > r["start"]

    online_seconds, (t,) = read_user_file(p.read("Erika.tfd"))
    print(f"tariff: {t['PeriodSeconds']} s, {t['PeriodCosts']} ct, {t['PeriodBytes']} B")
    assert t["PeriodSeconds"] == START_SECONDS + r["seconds"], t["PeriodSeconds"]
    assert t["PeriodCosts"] == START_COSTS + r["cost"], t["PeriodCosts"]
    assert t["PeriodBytes"] == START_BYTES + RX + TX, t["PeriodBytes"]
    assert t["ConnectionBytes"] == 0
    assert online_seconds == r["seconds"], online_seconds


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end: the statistics window of the real program on an X server,
opened through the strip's context menu on a log of this and last month,
photographed into --out and closed again. The log is the same byte for byte
afterwards: the window only reads it."""

import argparse
import datetime
import os
import random
import shutil
import subprocess
import sys
import time

from program import Program, free_display, start_xvfb, stop_processes
from records import days, log_record, tariff, user_file

ENTRY = "Mobilfunk"
OTHER_ENTRY = "DSL-Reserve"
PRICE = 1.5  # cents a minute


def connections(today):
    """Every day from the first of last month to today: one to three
    connections, now and then of the other entry; the same each run."""
    rng = random.Random(7)
    first = (today.replace(day=1) - datetime.timedelta(days=1)).replace(day=1)
    day = first
    while day <= today:
        for _ in range(rng.randint(1, 3)):
            start = days(day.year, day.month, day.day) + rng.uniform(0.3, 0.9)
            seconds = rng.randint(120, 5400)
            entry = OTHER_ENTRY if rng.random() < 0.3 else ENTRY
            yield entry, start, seconds, rng.randint(10_000, 40_000_000)
        day += datetime.timedelta(days=1)


def prepared_files():
    today = datetime.date.today()
    month_start = days(today.year, today.month, 1)
    log = b""
    period_costs = 0.0
    for entry, start, seconds, received in connections(today):
        cost = 5 + (seconds // 60 + 1) * PRICE
        log += log_record(entry, start, start + seconds / 86400, seconds, received, received // 10, cost)
        if entry == ENTRY and start >= month_start:
            period_costs += cost
    data = user_file("Erika", [
        tariff("Handy-Tarif", ENTRY, StartDate=month_start, PricePerMinute=PRICE, DialInFee=5.0, CostLimit=3000.0,
               PeriodCosts=period_costs, InTotals=1),
        tariff("Reserve", OTHER_ENTRY, StartDate=month_start, PricePerMinute=1.0)])
    return data, log


def xdotool(env, *args):
    return subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True).stdout.split()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--sim", required=True)
    ap.add_argument("--out", required=True)
    args = ap.parse_args()
    for tool in ("Xvfb", "xdotool", "import"):
        if not shutil.which(tool):
            print(f"SKIPPED: {tool} is not installed")
            return 77
    os.makedirs(args.out, exist_ok=True)
    data, log = prepared_files()
    p = Program(args.program, args.sim, "Erika", data)
    with open(p.path("dialup.otl"), "wb") as f:
        f.write(log)
    display = free_display(first=500)
    env = dict(p.env, DISPLAY=f":{display}")
    xvfb = start_xvfb(display)
    try:
        p.start(display=f":{display}")

        # The strip lies at the top left; its menu opens where it is
        # clicked. Down goes past the dial items (one a tariff) and the
        # user settings to "Statistik".
        xdotool(env, "mousemove", "60", "8", "click", "3")
        time.sleep(1)
        xdotool(env, "key", "--delay", "150", *["Down"] * 4, "Return")
        window = None
        for _ in range(50):
            found = xdotool(env, "search", "--onlyvisible", "--name", "^Statistik$")
            if found:
                window = found[0]
                break
            time.sleep(0.1)
        assert window, "the statistics window did not open"
        time.sleep(1.5)
        shot = os.path.join(args.out, "tarifuhr-statistik.png")
        subprocess.run(["import", "-window", window, shot], env=env, check=True, capture_output=True)
        print(f"screenshot: {shot}")

        xdotool(env, "windowfocus", "--sync", window)
        xdotool(env, "key", "Escape")
        for _ in range(50):
            if not xdotool(env, "search", "--onlyvisible", "--name", "^Statistik$"):
                break
            time.sleep(0.1)
        else:
            raise AssertionError("Escape did not close the statistics window")

        rc = p.stop()
        assert rc == 0, f"the program ended with {rc}:\n{p.output}"
        assert p.read("dialup.otl") == log, "the log changed"
    finally:
        p.remove()
        stop_processes([xvfb])
    print("statistics e2e: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())

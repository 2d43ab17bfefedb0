#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The real program on a moved clock: a period of 28 days over 60 days, and
free evening hours over 18:00. One case per run (--case); the user file and
the log are read back afterwards."""

import argparse
import datetime
import math
import sys
import time

from program import needs_faketime, run_case
from records import days, read_log, read_user_file, tariff, user_file

HOUR, SECOND = 1 / 24, 1 / 86400


def run(p, clock, seconds_real, **fields):
    """One connection of `seconds_real` seconds on `clock`; the tariff after it."""
    if fields:
        fields = dict(PricePerMinute=2.0, DialInFee=5.0, InTotals=1) | fields
        p.write_user("Erika", user_file("Erika", [tariff("T", "Netz", **fields)]))
        p.sim_tool("add", "Netz", "--rate", "0/0")
    p.start(faketime=clock)
    p.sim_tool("dial", "Netz")
    time.sleep(seconds_real)
    p.sim_tool("hangup", "Netz")
    time.sleep(0.5)
    assert p.stop() == 0, p.output
    return read_user_file(p.read("Erika.tfd"))[1][0]


@needs_faketime
def days_28(p):
    """From 1 January: new periods on 29 January and 26 February, none on
    1 February; the counters are the log's sums since the period's start."""
    fields = dict(StartDate=days(2027, 1, 1), PeriodType=1, PeriodDays=28, TimeLimit=6000.0)
    for day, period_day in {0: 0, 27: 0, 28: 28, 31: 28, 56: 56, 59: 56}.items():
        when = datetime.date(2027, 1, 1) + datetime.timedelta(days=day)
        t = run(p, f"@{when} 12:00:00 x20", 1.5, **fields)
        fields = {}
        start = days(2027, 1, 1) + period_day
        in_period = [r for r in read_log(p.read("dialup.otl")) if r["start"] >= start]
        print(f"day {day}: start {t['StartDate']}, {t['PeriodSeconds']} s, {t['PeriodCosts']} ct")
        assert t["StartDate"] == start, (day, t)
        assert t["PeriodSeconds"] == sum(r["seconds"] for r in in_period), (t, in_period)
        assert math.isclose(t["PeriodCosts"], sum(r["cost"] for r in in_period)), (t, in_period)
    return 0


@needs_faketime
def free_hours(p):
    """Free from 18:00 to 08:00: about 17:58 to 18:03 costs the fee and the
    two minutes begun before 18:00."""
    t = run(p, "@2026-12-07 17:57:40 x10", 30, StartDate=days(2026, 12, 1), PricePerMinute=3.0,
            OffPeakFrom=18 * HOUR, OffPeakTo=8 * HOUR)
    (record,) = read_log(p.read("dialup.otl"))
    begun = [record["start"] + 60 * k * SECOND for k in range((record["seconds"] + 59) // 60)]
    day_minutes = sum(1 for b in begun if b < days(2026, 12, 7) + 18 * HOUR)
    print(f"{record['seconds']} s from {record['start']}: {day_minutes} of {len(begun)} minutes by day")
    assert day_minutes == 2 and len(begun) >= 4, begun
    assert record["cost"] == t["PeriodCosts"] == 5.0 + day_minutes * 3.0, (record, t)
    return 0


CASES = {"days-28": days_28, "free-hours": free_hours}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--sim", required=True)
    ap.add_argument("--case", required=True, choices=sorted(CASES))
    args = ap.parse_args()
    return run_case(CASES, args, lambda p: p.env.update(TZ="UTC"))


if __name__ == "__main__":
    sys.exit(main())

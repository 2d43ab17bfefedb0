#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The real program on a moved clock with the tariffs sold today: a period
of 28 days over 60 days, which rolls over on its own days and not on the
month's, and free evening hours, where a connection over 18:00 pays only
the minutes begun before. One case per run (--case); the user file and the
log are read back afterwards."""

import argparse
import datetime
import math
import sys
import time

from program import needs_faketime, run_case
from records import days, read_log, read_user_file, tariff, user_file

PRICE, FEE = 2.0, 5.0
HOUR = 1 / 24
SECOND = 1 / 86400


def write_tariff(p, **fields):
    fields = dict(PricePerMinute=PRICE, DialInFee=FEE, InTotals=1) | fields
    p.write_user("Erika", user_file("Erika", [tariff("T", "Netz", **fields)]))


def connect_once(p, day, seconds_real=1.5):
    """A short connection at noon of `day` on a clock 20 times as fast."""
    p.start(faketime=f"@{day:%Y-%m-%d} 12:00:00 x20")
    p.sim_tool("dial", "Netz")
    time.sleep(seconds_real)
    p.sim_tool("hangup", "Netz")
    time.sleep(0.5)
    assert p.stop() == 0, p.output
    _, (t,) = read_user_file(p.read("Erika.tfd"))
    return t


@needs_faketime
def days_28(p):
    """Every 28 days from 1 January: new periods on 29 January and 26
    February, none on 1 February; the period's counters are what the log
    says of its connections."""
    start = datetime.date(2027, 1, 1)
    write_tariff(p, StartDate=days(2027, 1, 1), PeriodType=1, PeriodDays=28, TimeLimit=6000.0)
    p.sim_tool("add", "Netz", "--rate", "0/0")
    expected_start = {0: 0, 27: 0, 28: 28, 31: 28, 56: 56, 59: 56}
    for day, period_day in expected_start.items():
        t = connect_once(p, start + datetime.timedelta(days=day))
        want = days(2027, 1, 1) + period_day
        print(f"day {day}: start {t['StartDate']} (want {want}), {t['PeriodSeconds']} s, {t['PeriodCosts']} ct")
        assert t["StartDate"] == want, (day, t["StartDate"], want)
        in_period = [r for r in read_log(p.read("dialup.otl")) if r["start"] >= want]
        assert t["PeriodSeconds"] == sum(r["seconds"] for r in in_period), (t, in_period)
        assert math.isclose(t["PeriodCosts"], sum(r["cost"] for r in in_period)), (t, in_period)
        assert t["DailyAllowance"] > 0, t
    assert len(read_log(p.read("dialup.otl"))) == len(expected_start)
    return 0


@needs_faketime
def free_hours(p):
    """Free from 18:00 to 08:00: a connection from about 17:58 to 18:03
    costs the fee and the two minutes begun before 18:00, not a cent more."""
    write_tariff(p, StartDate=days(2026, 12, 1), PricePerMinute=3.0, OffPeakFrom=18 * HOUR, OffPeakTo=8 * HOUR)
    p.sim_tool("add", "Netz", "--rate", "0/0")
    p.start(faketime="@2026-12-07 17:57:40 x10")    # 17:58 when started
    p.sim_tool("dial", "Netz")
    time.sleep(30)                                   # five minutes on its clock
    p.sim_tool("hangup", "Netz")
    time.sleep(0.5)
    assert p.stop() == 0, p.output
    (record,) = read_log(p.read("dialup.otl"))
    _, (t,) = read_user_file(p.read("Erika.tfd"))
    begun = [record["start"] + 60 * k * SECOND for k in range((record["seconds"] + 59) // 60)]
    evening = days(2026, 12, 7) + 18 * HOUR
    day_minutes = sum(1 for b in begun if b < evening)
    print(f"connected {record['seconds']} s from {record['start']}: {day_minutes} of {len(begun)} minutes by day, "
          f"{record['cost']} ct")
    assert day_minutes == 2 and len(begun) >= 4, (day_minutes, begun)
    assert record["cost"] == FEE + day_minutes * 3.0, record
    assert t["PeriodCosts"] == record["cost"], t
    return 0


CASES = {"days-28": days_28, "free-hours": free_hours}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--sim", required=True)
    ap.add_argument("--case", required=True, choices=sorted(CASES))
    args = ap.parse_args()

    def prepare(p):
        p.env["TZ"] = "UTC"
    return run_case(CASES, args, prepare)


if __name__ == "__main__":
    sys.exit(main())

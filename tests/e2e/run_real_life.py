#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The real program where real life moves its clock: a clock behind the
period, a laptop that sleeps, a program that is stopped, and a program that
ends and starts again while the connection stays up. One case per run (--case); afterwards the log and the user file
are read back byte by byte, and what the log says of every connection is
what the tariff counted."""

import argparse
import calendar
import datetime
import json
import math
import os
import signal
import subprocess
import sys
import time

from program import FAKETIME_LIBRARY, needs_faketime, run_case
from records import days, read_log, read_user_file, tariff, user_file

PRICE, FEE = 2.0, 5.0
SECOND = 1 / 86400


def erika(**fields):
    fields = dict(StartDate=days(2026, 12, 1), PricePerMinute=PRICE, DialInFee=FEE, InTotals=1) | fields
    return user_file("Erika", [tariff("T", "Netz", **fields)])


def counted(p, before):
    """The log's records, checked against what the user file counted since
    `before` (the tariff's fields as written at the start)."""
    log = read_log(p.read("dialup.otl"))
    online_seconds, (t,) = read_user_file(p.read("Erika.tfd"))
    seconds, cost = sum(r["seconds"] for r in log), sum(r["cost"] for r in log)
    print("log:", [(r["seconds"], r["cost"], r["received"] + r["sent"]) for r in log])
    print(f"tariff: {t['PeriodSeconds']} s, {t['PeriodCosts']} ct, {t['PeriodBytes']} B, totals {online_seconds} s")
    assert t["PeriodSeconds"] - before.get("PeriodSeconds", 0.0) == seconds, (t, log)
    assert online_seconds == seconds, online_seconds
    assert math.isclose(t["PeriodCosts"] - before.get("PeriodCosts", 0.0), cost), (t, log)
    assert t["PeriodBytes"] == sum(r["received"] + r["sent"] for r in log), (t, log)
    return log, t


def minutes(seconds):
    """Minutes begun by a connection of `seconds` counted seconds."""
    return (seconds + 59) // 60


@needs_faketime
def clock_behind(p):
    """The clock stands before the period (NTP, a dead clock battery): the
    period keeps what it counted, and no roll-over follows when the clock
    is right again."""
    before = dict(PeriodSeconds=9 * 3600.0, PeriodCosts=600.0, LastDay=days(2026, 12, 7), SecondsToday=120)
    p.write_user("Erika", erika(**before))
    p.sim_tool("add", "Netz", "--rate", "0/0")
    for clock in ("@2026-11-30 12:00:00 x20", "@2026-12-07 12:00:00 x20"):
        p.start(faketime=clock)
        p.sim_tool("dial", "Netz")
        time.sleep(2)
        p.sim_tool("hangup", "Netz")
        time.sleep(0.5)
        assert p.stop() == 0, p.output
        _, (t,) = read_user_file(p.read("Erika.tfd"))
        print(f"{clock}: start {t['StartDate']}, {t['PeriodSeconds']} s, {t['SecondsToday']} s today")
        assert t["StartDate"] == days(2026, 12, 1), "the period was moved"
    log, t = counted(p, before)
    assert len(log) == 2
    assert t["SecondsToday"] == 120 + sum(r["seconds"] for r in log), "today's seconds were reset"
    return 0


def write_offset(path, seconds):
    with open(path, "w") as f:
        f.write(f"{seconds:+d}\n")


@needs_faketime
def asleep(p):
    """A connection ends while the laptop sleeps three hours over midnight:
    its record ends with its last second online, so the days share nothing
    of the sleep. The wall clock jumps; the monotonic one stands still."""
    offset_file = os.path.join(p.home, "faketime-offset")
    target = calendar.timegm(datetime.datetime(2026, 12, 7, 23, 59, 30).timetuple())
    offset = int(target - time.time())
    write_offset(offset_file, offset)
    p.write_user("Erika", erika())
    p.sim_tool("add", "Netz", "--rate", "0/0")
    p.start(env=dict(LD_PRELOAD=FAKETIME_LIBRARY, FAKETIME_TIMESTAMP_FILE=offset_file, FAKETIME_NO_CACHE="1",
                     DONT_FAKE_MONOTONIC="1"))
    p.sim_tool("dial", "Netz")
    time.sleep(6)
    p.proc.send_signal(signal.SIGSTOP)   # asleep: nothing runs
    p.sim_tool("hangup", "Netz")
    write_offset(offset_file, offset + 3 * 3600)
    time.sleep(1)
    p.proc.send_signal(signal.SIGCONT)   # awake three hours later
    time.sleep(2)
    p.sim_tool("dial", "Netz")
    time.sleep(4)
    p.sim_tool("hangup", "Netz")
    time.sleep(1.5)
    assert p.stop() == 0, p.output
    log, _ = counted(p, {})
    assert len(log) == 2, log
    first = log[0]
    assert abs((first["end"] - first["start"]) / SECOND - first["seconds"]) <= 1, \
        f"the record ends {(first['end'] - first['start']) / SECOND:.0f} s after its start for {first['seconds']} s"
    report = subprocess.run([p.report, "days", "--from", "2026-12-07", "--to", "2026-12-08", "--format", "json"],
                            env=p.env, check=True, capture_output=True, text=True).stdout
    by_day = {d["date"]: d["seconds"] for d in json.loads(report)}
    print("days:", by_day)
    assert by_day == {"2026-12-07": first["seconds"], "2026-12-08": log[1]["seconds"]}, by_day
    return 0


@needs_faketime
def stopped(p):
    """The program stopped for a minute (SIGSTOP; a blocked window is the
    same) while the connection stays up: every second is counted, each
    minute charged."""
    p.write_user("Erika", erika())
    p.sim_tool("add", "Netz", "--rate", "0/0")
    p.start(faketime="@2026-12-07 12:00:00 x20")
    p.sim_tool("dial", "Netz")
    dialled = time.monotonic()
    time.sleep(1)
    p.proc.send_signal(signal.SIGSTOP)
    time.sleep(3)                        # a minute on the program's clock
    p.proc.send_signal(signal.SIGCONT)
    time.sleep(1)
    p.sim_tool("hangup", "Netz")
    up = (time.monotonic() - dialled) * 20
    time.sleep(0.5)
    assert p.stop() == 0, p.output
    log, _ = counted(p, {})
    (record,) = log
    print(f"connection up for about {up:.0f} s, counted {record['seconds']} s")
    assert record["seconds"] >= 0.85 * up, "seconds of the stop were not counted"
    assert record["cost"] == FEE + minutes(record["seconds"]) * PRICE, record
    return 0


@needs_faketime
def restarted(p):
    """The program ends and starts again while NetworkManager (here: the
    simulator) keeps the connection up: one dial-in fee, the minutes on the
    connection's own time, and the seconds and traffic of the time between
    counted at the start."""
    p.write_user("Erika", erika())
    p.sim_tool("add", "Netz", "--rate", "0/0")
    p.start(faketime="@2026-12-07 12:00:00 x20")
    p.sim_tool("dial", "Netz")
    time.sleep(2)
    assert p.stop() == 0, p.output
    remembered = dict(line.split("=", 1) for line in p.read("verbindung.txt").decode().splitlines()
                      if "=" in line)
    print("remembered:", remembered)
    p.sim_tool("traffic", "Netz", "30000", "3000")   # while no program runs
    # Half a minute later on the same clock (the monotonic one included,
    # which libfaketime keeps beside the wall clock).
    last = float(remembered["lastsecond"])
    later = datetime.datetime(1899, 12, 30) + datetime.timedelta(days=last, seconds=30)
    p.start(faketime="@" + later.strftime("%Y-%m-%d %H:%M:%S") + " x20")
    time.sleep(2)
    p.sim_tool("hangup", "Netz")
    time.sleep(0.5)
    assert p.stop() == 0, p.output
    log, _ = counted(p, {})
    assert len(log) == 2, log
    first, second = log
    total = first["seconds"] + second["seconds"]
    # Within the second: where in it the new process's tick falls depends on
    # when the process started (at 20 times speed, 50 ms late is a second).
    assert abs((second["start"] - first["end"]) / SECOND) < 1, \
        f"the second record does not go on from the first: {first['end']} / {second['start']}"
    assert second["seconds"] >= 30, "the half minute between was not counted"
    assert first["cost"] + second["cost"] == FEE + minutes(total) * PRICE, (first["cost"], second["cost"], total)
    assert second["received"] + second["sent"] >= 33000, "the traffic between was not counted"
    assert not os.path.exists(p.path("verbindung.txt")), "the ended connection is still remembered"
    return 0


CASES = {"clock-behind": clock_behind, "asleep": asleep, "stopped": stopped, "restarted": restarted}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--sim", required=True)
    ap.add_argument("--report", required=True)
    ap.add_argument("--case", required=True, choices=sorted(CASES))
    args = ap.parse_args()

    def prepare(p):
        p.report = args.report
        p.env["TZ"] = "UTC"
    return run_case(CASES, args, prepare)


if __name__ == "__main__":
    sys.exit(main())

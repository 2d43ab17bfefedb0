#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The real program with a user file of the old program, on a clock twenty
times as fast: a tariff whose period start is months behind, bytes the old
program left in its records, a LAN beside the dial-up network and a tariff
without an entry. One dialled connection; afterwards the log and the user
file are read back byte by byte."""

import argparse
import sys
import time

from program import Program, faketime_available
from records import days, read_log, read_user_file, tariff, user_file

PRICE, FEE = 2.0, 5.0
RX, TX = 5000, 500


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--sim", required=True)
    args = ap.parse_args()
    if not faketime_available():
        print("SKIPPED: libfaketime is not installed (Debian package libfaketime)")
        return 77

    behind = tariff("Alt-Tarif", "Netz-A", StartDate=days(2026, 9, 30), LastDay=days(2026, 9, 30),
                    PricePerMinute=PRICE, DialInFee=FEE, TimeLimit=600.0, PeriodSeconds=5000.0,
                    PeriodCosts=400.0, PeriodBytes=1000, ConnectionBytes=700, InTotals=1)
    unused = tariff("Unbenutzt", "Netz-B", StartDate=days(2026, 12, 1), PeriodSeconds=100.0, PeriodBytes=2000,
                    ConnectionBytes=300, InTotals=1)
    no_entry = tariff("Ohne Eintrag", "", StartDate=days(2026, 12, 1), PricePerMinute=3.0, DialInFee=9.0,
                      InTotals=1)
    p = Program(args.program, args.sim, "Erika", user_file("Erika", [behind, unused, no_entry], 1000.0))
    try:
        for entry in ("Netz-A", "Netz-B"):
            p.sim_tool("add", entry, "--rate", "0/0")
        p.sim_tool("lan", "on")
        p.start(faketime="@2026-12-07 12:00:00 x20")
        time.sleep(2)            # online through the LAN only
        p.sim_tool("dial", "Netz-A")
        time.sleep(2)
        p.sim_tool("traffic", "Netz-A", str(RX), str(TX))
        time.sleep(3)
        p.sim_tool("hangup", "Netz-A")
        time.sleep(1.5)          # the LAN stays
        assert p.stop() == 0, p.output

        log = read_log(p.read("dialup.otl"))
        assert [r["entry"] for r in log] == ["Netz-A"], f"one record of the dialled connection: {log}"
        seconds, cost = log[0]["seconds"], log[0]["cost"]
        charges = (seconds - 1) // 60 + 1
        print(f"log: {seconds} s, {cost} ct, {log[0]['received']}/{log[0]['sent']} B")
        assert seconds > 60, f"the faster clock did not run: {seconds} s"
        assert cost == FEE + charges * PRICE, cost
        assert (log[0]["received"], log[0]["sent"]) == (RX, TX)

        online_seconds, (a, b, c) = read_user_file(p.read("Erika.tfd"))
        print(f"Alt-Tarif: start {a['StartDate']}, {a['PeriodSeconds']} s, {a['PeriodCosts']} ct, "
              f"{a['PeriodBytes']} B, allowance {a['DailyAllowance']:.1f}/day")
        # Two anniversaries were missed: a new period began on the latest.
        assert a["StartDate"] == days(2026, 11, 30), a["StartDate"]
        assert a["PeriodSeconds"] == seconds, a["PeriodSeconds"]
        assert a["PeriodCosts"] == cost, a["PeriodCosts"]
        assert a["PeriodBytes"] == RX + TX, a["PeriodBytes"]
        assert a["ConnectionBytes"] == 0
        assert a["DailyAllowance"] > 0 and a["TodayAllowance"] > 0
        assert online_seconds == 1000 - 400 + seconds, online_seconds
        # The old program's leftover bytes were already counted.
        assert (b["PeriodBytes"], b["PeriodSeconds"]) == (2000, 100.0), b
        # LAN time is no connection: the tariff without an entry is not charged.
        assert (c["PeriodSeconds"], c["PeriodCosts"]) == (0.0, 0.0), c
        print("figures: passed")
        return 0
    finally:
        p.remove()


if __name__ == "__main__":
    sys.exit(main())

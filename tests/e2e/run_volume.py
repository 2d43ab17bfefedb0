#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""A data volume tariff through the real program on the simulated network:
1 MB a month billed per started 100 KB, a connection of 250 KB. The log
record and the user file are read back to the cent and the byte, and the
tariff record keeps the old program's layout around its volume fields."""

import argparse
import sys
import time

from program import Program
from records import TARIFF_SIZE, days, one_record, read_user_file, tariff, user_file

KB = 1024
UNIT_PRICE = 9.5
RX, TX = 200 * KB, 50 * KB


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--sim", required=True)
    args = ap.parse_args()

    handy = tariff("Handy", "Mobil", StartDate=days(2026, 12, 1), VolumeLimit=1024 * KB, VolumeUnit=100 * KB,
                   VolumeUnitPrice=UNIT_PRICE, PeriodBytes=300 * KB, InTotals=1)
    p = Program(args.program, args.sim, "Erika", user_file("Erika", [handy]))
    try:
        p.sim_tool("add", "Mobil", "--rate", "0/0")
        p.start()
        p.sim_tool("dial", "Mobil")
        time.sleep(2)
        p.sim_tool("traffic", "Mobil", str(RX), str(TX))
        time.sleep(2)
        p.sim_tool("hangup", "Mobil")
        time.sleep(1.5)
        assert p.stop() == 0, p.output

        r, _ = one_record(p.read("dialup.otl"))
        print(f"log: {r['seconds']} s, {r['cost']} ct, {r['received']}/{r['sent']} B")
        assert (r["received"], r["sent"]) == (RX, TX), r
        assert r["cost"] == 3 * UNIT_PRICE, r   # 250 KB are three begun units

        data = p.read("Erika.tfd")
        _, (t,) = read_user_file(data)
        assert t["PeriodBytes"] == 300 * KB + RX + TX, t
        assert t["PeriodCosts"] == 3 * UNIT_PRICE, t
        assert t["BytesToday"] == RX + TX, t
        assert (t["VolumeLimit"], t["VolumeUnit"], t["VolumeUnitPrice"]) == (1024 * KB, 100 * KB, UNIT_PRICE), t
        record = data[-TARIFF_SIZE:]
        assert record[253:256] == bytes(3) and record[297:] == bytes(TARIFF_SIZE - 297), record[253:].hex()
        print("volume e2e: passed")
        return 0
    finally:
        p.remove()


if __name__ == "__main__":
    sys.exit(main())

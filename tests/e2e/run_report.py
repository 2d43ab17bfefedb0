#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""tarifuhr-report on files written byte by byte: every tariff field through
JSON, the log as CSV, days and months of a connection over midnight, amounts
to the cent however a sum rounded, the errors, --version, and a program
directory left exactly as it was."""

import argparse
import csv
import datetime
import io
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

from records import HEADER_SIZE, TARIFF_SIZE, days, log_record, short_string, tariff, user_file

HOUR = 1 / 24
ENTRY = 'Netz "A", B'


def full_tariff():
    """A tariff with every field set, each to a value of its own."""
    rec = bytearray(tariff(
        "Grüner Tarif", "Mobil", StartDate=days(2026, 11, 15), LastDay=days(2026, 12, 7), SecondsToday=1234,
        ConnectionBytes=17, PricePerMinute=1.5, CostLimit=2000.25, TimeLimit=36000.5, PeriodSeconds=7200.75,
        PeriodCosts=345.5, DailyAllowance=66.125, TodayAllowance=12.375, PeriodBytes=99, InTotals=1,
        DialInFee=9.75, VolumeLimit=10**10, VolumeUnit=102400, VolumeUnitPrice=9.5, BytesToday=123456789,
        VolumeDailyAllowance=33333.5, HangUpWhenVolumeUsed=1, HangUpWhenBudgetUsed=1, PeriodType=1,
        PeriodDays=28, OffPeakFrom=18 * HOUR, OffPeakTo=8 * HOUR, OffPeakPricePerMinute=0.25, OffPeakUnitPrice=2.5))
    struct.pack_into("<ii", rec, 104, 3, 5)  # high words of PeriodBytes and ConnectionBytes
    struct.pack_into("<dd", rec, 120, 18 * HOUR, 6 * HOUR)
    struct.pack_into("<d", rec, 144, 4.5)
    rec[181:232] = short_string("jürgen@isp", 50)
    rec[232:253] = short_string("geheim", 20)
    return bytes(rec)


EXPECTED_TARIFF = {
    "Name": "Grüner Tarif", "StartDate": "2026-11-15", "LastDay": "2026-12-07", "SecondsToday": 1234,
    "ConnectionBytes": 5 << 32 | 17, "PricePerMinute": 1.5, "CostLimit": 2000.25, "TimeLimit": 36000.5,
    "PeriodSeconds": 7200.75, "PeriodCosts": 345.5, "DailyAllowance": 66.125, "TodayAllowance": 12.375,
    "PeriodBytes": 3 << 32 | 99, "WindowFrom": "18:00:00", "WindowTo": "06:00:00", "InTotals": True,
    "Reserved144": 4.5, "DialInFee": 9.75, "EntryName": "Mobil", "UserName": "jürgen@isp", "Password": "geheim",
    "VolumeLimit": 10**10, "VolumeUnit": 102400, "VolumeUnitPrice": 9.5, "BytesToday": 123456789,
    "VolumeDailyAllowance": 33333.5, "HangUpWhenVolumeUsed": True, "HangUpWhenBudgetUsed": True,
    "PeriodType": 1, "PeriodDays": 28, "OffPeakFrom": "18:00:00", "OffPeakTo": "08:00:00",
    "OffPeakPricePerMinute": 0.25, "OffPeakUnitPrice": 2.5,
}
EXPECTED_TOTALS = {"OnlineSeconds": 99999.5, "AllowanceSum": 11.25, "RemainingSum": 22.5,
                   "LastOnlineDay": "2026-12-07"}


def user_data():
    data = bytearray(user_file("Jürgen", [full_tariff()]))
    struct.pack_into("<d", data, HEADER_SIZE, 99999.5)
    struct.pack_into("<ddd", data, HEADER_SIZE + 16, 11.25, 22.5, days(2026, 12, 7))
    return bytes(data)


def write_directory(d):
    with open(os.path.join(d, "Jürgen.tfd"), "wb") as f:
        f.write(user_data())
    with open(os.path.join(d, "Kaputt.tfd"), "wb") as f:
        f.write(user_file("Kaputt", [tariff("Alt", "Mobil")])[:-TARIFF_SIZE // 2])
    with open(os.path.join(d, "userlist.ini"), "wb") as f:
        f.write("[Jürgen (Jürgen.tfd)]\r\nfile={0}/Jürgen.tfd\r\n[Kaputt (Kaputt.tfd)]\r\nfile={0}/Kaputt.tfd\r\n"
                .format(d).encode("cp1252"))
    with open(os.path.join(d, "dialup.otl"), "wb") as f:
        f.write(log_record(ENTRY, days(2026, 11, 30) + 23.5 * HOUR, days(2026, 12, 1) + 0.5 * HOUR, 3600,
                           (1 << 32) + 1001, 2001, 12.0))
        f.write(log_record("Mobil", days(2026, 12, 1) + 10 * HOUR, days(2026, 12, 1) + 10 * HOUR + 600 / 86400,
                           600, 300, 100, 2.5))


def snapshot(d):
    """Names, sizes and change times of a directory and its files."""
    return {name: (st.st_size, st.st_mtime_ns)
            for name in [".", *os.listdir(d)] for st in [os.stat(os.path.join(d, name))]}


class Report:
    def __init__(self, tool, home):
        self.tool, self.env = tool, dict(os.environ, TARIFUHR_HOME=home, LC_ALL="C")

    def run(self, *args, ok=True):
        p = subprocess.run([self.tool, *args], env=self.env, capture_output=True, timeout=30)
        stderr = p.stderr.decode()
        assert (p.returncode == 0) == ok, f"{args}: exit {p.returncode}, {stderr}"
        return p.stdout, stderr

    def json(self, *args):
        return json.loads(self.run(*args)[0].decode("utf-8"))

    def csv(self, *args):
        out = self.run(*args)[0]
        assert out.endswith(b"\r\n") and out.count(b"\n") == out.count(b"\r\n"), out
        return list(csv.reader(io.StringIO(out.decode("utf-8"), newline="")))


def check_tariffs(r):
    got = r.json("tariffs", "Jürgen", "--mit-zugangsdaten")
    assert got == {"user": "Jürgen", "totals": EXPECTED_TOTALS, "tariffs": [EXPECTED_TARIFF]}, got
    header, row = r.csv("tariffs", "Jürgen (Jürgen.tfd)", "--format", "csv")
    assert dict(zip(header, row))["Name"] == "Grüner Tarif", (header, row)
    # Shared for help, an export keeps the dial-in log-in to itself.
    assert "Password" not in header and "UserName" not in header, header
    without = r.json("tariffs", "Jürgen")["tariffs"][0]
    assert without == {k: v for k, v in EXPECTED_TARIFF.items() if k not in ("UserName", "Password")}, without


def check_log(r):
    rows = r.csv("log")
    assert rows == [["entry", "start", "end", "seconds", "received", "sent", "cost"],
                    [ENTRY, "2026-11-30T23:30:00", "2026-12-01T00:30:00", "3600", str((1 << 32) + 1001), "2001",
                     "12.00"],
                    ["Mobil", "2026-12-01T10:00:00", "2026-12-01T10:10:00", "600", "300", "100", "2.50"]], rows
    # Connections are chosen by the day they began.
    assert [row[0] for row in r.csv("log", "--from", "2026-12-01")[1:]] == ["Mobil"]


def check_days_and_months(r):
    # The connection over midnight counts half on each day, bytes to the byte.
    rx_first, tx_first = ((1 << 32) + 1001) // 2, 2001 // 2
    rx_second, tx_second = (1 << 32) + 1001 - rx_first, 2001 - tx_first
    got = r.json("days", "--format", "json")
    assert got == [
        {"date": "2026-11-30", "seconds": 1800, "received": rx_first, "sent": tx_first, "cost": 6},
        {"date": "2026-12-01", "seconds": 1800 + 600, "received": rx_second + 300, "sent": tx_second + 100,
         "cost": 6 + 2.5}], got
    got = r.json("days", "--from", "2026-12-01", "--entry", ENTRY, "--format", "json")
    assert got == [{"date": "2026-12-01", "seconds": 1800, "received": rx_second, "sent": tx_second,
                    "cost": 6}], got
    got = r.json("months", "--format", "json")
    assert [(m["month"], m["received"], m["cost"]) for m in got] == [
        ("2026-11", rx_first, 6), ("2026-12", rx_second + 300, 8.5)], got


def check_errors(r):
    _, err = r.run("tariffs", "Niemand", ok=False)
    assert "Der Benutzer „Niemand“ steht nicht in der Benutzerliste." in err, err
    _, err = r.run("days", "--to", "2026-13-01", ok=False)
    assert "„2026-13-01“ ist kein Datum (JJJJ-MM-TT)." in err, err
    out, err = r.run("tariffs", "Kaputt", ok=False)
    assert not out and "Kaputt.tfd“ ist beschädigt" in err, (out, err)


def check_exact_amounts(tool, home):
    """Sums of cents carry binary dust (0.1 * 107 is 10.700000000000001);
    an export writes the amount, not the dust, and keeps a price's own
    decimals."""
    dusty, small = 0.1 * 107, 0.1 * 3
    assert repr(dusty) == "10.700000000000001" and repr(dusty + small) == "11.000000000000002"
    with open(os.path.join(home, "Erika.tfd"), "wb") as f:
        f.write(user_file("Erika", [tariff("Genau", "Genau", PricePerMinute=1.234, DialInFee=small,
                                           PeriodCosts=dusty)]))
    with open(os.path.join(home, "userlist.ini"), "wb") as f:
        f.write("[Erika (Erika.tfd)]\r\nfile={0}/Erika.tfd\r\n".format(home).encode("cp1252"))
    with open(os.path.join(home, "dialup.otl"), "wb") as f:
        f.write(log_record("Genau", days(2026, 12, 2) + 10 * HOUR, days(2026, 12, 2) + 10.5 * HOUR, 1800, 1, 1,
                           dusty))
        f.write(log_record("Genau", days(2026, 12, 2) + 11 * HOUR, days(2026, 12, 2) + 11.5 * HOUR, 1800, 1, 1,
                           small))
    r = Report(tool, home)
    assert [row[6] for row in r.csv("log")] == ["cost", "10.70", "0.30"]
    assert [row[4] for row in r.csv("days")] == ["cost", "11.00"]
    header, row = r.csv("tariffs", "Erika", "--format", "csv")
    got = dict(zip(header, row))
    assert (got["PricePerMinute"], got["DialInFee"], got["PeriodCosts"]) == ("1.234", "0.30", "10.70"), got
    for args in (("log", "--format", "json"), ("days", "--format", "json"), ("months", "--format", "json"),
                 ("tariffs", "Erika")):
        text = r.run(*args)[0].decode()
        assert "0000000" not in text and "9999999" not in text, (args, text)
    assert [row["cost"] for row in r.json("log", "--format", "json")] == [10.7, 0.3]
    assert r.json("tariffs", "Erika")["tariffs"][0]["PricePerMinute"] == 1.234


def check_periods(tool, home):
    """A 28-day tariff's own periods: since ten days ago, and the 28 before."""
    day = lambda offset: datetime.date.today() + datetime.timedelta(days=offset)
    stored = lambda offset: days(day(offset).year, day(offset).month, day(offset).day)
    with open(os.path.join(home, "Erika.tfd"), "wb") as f:
        f.write(user_file("Erika", [tariff("T", "Netz", StartDate=stored(-10), PeriodType=1, PeriodDays=28)]))
    with open(os.path.join(home, "userlist.ini"), "wb") as f:
        f.write("[Erika (Erika.tfd)]\r\nfile={0}/Erika.tfd\r\n".format(home).encode("cp1252"))
    with open(os.path.join(home, "dialup.otl"), "wb") as f:
        for offset, entry, cost in ((-5, "Netz", 3.0), (-5, "Andere", 50.0), (-20, "Netz", 7.0), (-40, "Netz", 9.0)):
            f.write(log_record(entry, stored(offset) + 0.5, stored(offset) + 0.5 + 60 / 86400, 60, 10, 1, cost))
    rows = Report(tool, home).json("periods", "Erika", "--format", "json")
    assert [(r["period"], r["first"], r["last"], r["cost"]) for r in rows] == [
        ("aktuell", str(day(-10)), str(day(17)), 3.0), ("vorher", str(day(-38)), str(day(-11)), 7.0)], rows


def check_version(tool):
    p = subprocess.run([tool, "--version"], capture_output=True, text=True, timeout=30)
    assert p.returncode == 0 and re.fullmatch(r"tarifuhr-report \(Tarifuhr\) [0-9]+\.[0-9]+(\.[0-9]+)*\n",
                                              p.stdout), (p.returncode, p.stdout, p.stderr)


def check_without_log(tool, home):
    r = Report(tool, home)
    assert r.csv("log") == [["entry", "start", "end", "seconds", "received", "sent", "cost"]]
    assert r.json("days", "--format", "json") == []
    assert os.listdir(home) == [], os.listdir(home)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--report", required=True)
    args = ap.parse_args()
    home = tempfile.mkdtemp(prefix="tarifuhr-report-")
    empty = tempfile.mkdtemp(prefix="tarifuhr-report-empty-")
    exact = tempfile.mkdtemp(prefix="tarifuhr-report-exact-")
    periods = tempfile.mkdtemp(prefix="tarifuhr-report-periods-")
    try:
        write_directory(home)
        # Times long past: a write, however soon after, shows.
        for name in [*os.listdir(home), "."]:
            os.utime(os.path.join(home, name), ns=(10**18, 10**18))
        before = snapshot(home)
        r = Report(args.report, home)
        check_tariffs(r)
        check_log(r)
        check_days_and_months(r)
        check_errors(r)
        assert snapshot(home) == before, (before, snapshot(home))
        check_without_log(args.report, empty)
        check_exact_amounts(args.report, exact)
        check_periods(args.report, periods)
        check_version(args.report)
        print("report e2e: passed")
        return 0
    finally:
        shutil.rmtree(home, ignore_errors=True)
        shutil.rmtree(empty, ignore_errors=True)
        shutil.rmtree(exact, ignore_errors=True)
        shutil.rmtree(periods, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())

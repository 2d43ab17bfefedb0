#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The real program on files a hostile or clumsy user left it: a user list
that points outside the program directory, FIFOs and links to /dev/zero in
place of its files, settings of the wrong type. It says what is wrong on
stderr (no display), writes nothing outside, keeps counting and ends on
SIGTERM. One case per run (--case)."""

import argparse
import os
import stat
import sys
import time

from program import run_case
from records import days, read_log, read_user_file, tariff, user_file


def erika():
    return user_file("Erika", [tariff("T", "Netz", StartDate=days(2026, 12, 1), PricePerMinute=2.0, DialInFee=5.0,
                                      InTotals=1)])


def registry(p, values):
    with open(os.path.join(p.config, "tarifuhr", "registry.reg"), "wb") as f:
        f.write(b"REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Tarifuhr]\r\n\"first\"=dword:00000001\r\n" +
                values + b"\r\n")


def user_list(p, key):
    with open(p.path("userlist.ini"), "wb") as f:
        f.write(b"[Erika (Erika.tfd)]\r\nfile=" + key.encode("cp1252") + b"\r\n")


def run_once(p, dial=True):
    """Starts, dials and hangs up once, and ends with SIGTERM, within ten
    seconds; what it said."""
    p.start()
    if dial:
        p.sim_tool("dial", "Netz")
        time.sleep(2.5)
        p.sim_tool("hangup", "Netz")
        time.sleep(1.5)
    began = time.monotonic()
    rc = p.stop(timeout=10)
    assert time.monotonic() - began < 10, "SIGTERM took too long"
    assert rc in (0, 1), (rc, p.output)
    return p.output


def outside_user_file(p):
    """A user list whose file= points outside: the user's file is the one of
    that name in the program directory; the outside one stays as it was. A
    name that is no file's is refused with the entry named."""
    outside = os.path.join(p.home, "elsewhere")
    os.mkdir(outside)
    victim = os.path.join(outside, "passwd")
    with open(victim, "wb") as f:
        f.write(b"root:x:0:0:root:/root:/bin/bash\n")
    p.write_user("Erika", erika())
    p.sim_tool("add", "Netz", "--rate", "0/0")
    for key in (victim, "../elsewhere/passwd"):
        user_list(p, key)
        said = run_once(p)
        print(said)
        with open(victim, "rb") as f:
            assert f.read() == b"root:x:0:0:root:/root:/bin/bash\n", "the outside file was written"
        assert not os.path.exists(victim + ".defekt")
        read_user_file(p.read("passwd"))  # the user's file is the program directory's "passwd"
    user_list(p, "..")
    before = sorted(os.listdir(p.dir))
    said = run_once(p, dial=False)
    print(said)
    assert "„Erika (Erika.tfd)“ hat in der Benutzerliste keinen brauchbaren Dateinamen (file=..)" in said, said
    assert sorted(os.listdir(p.dir)) == before, "something was written for the refused user"
    return 0


def special_files(p):
    """FIFOs in place of the settings, the user list, the user's file and
    the warnings; links to /dev/zero: never waited for, never read, left as
    they are; the program says so and goes on counting."""
    p.sim_tool("add", "Netz", "--rate", "0/0")
    reg = os.path.join(p.config, "tarifuhr", "registry.reg")
    runs = [
        ([reg], "registry.reg“ kann nicht gelesen werden: Keine gewöhnliche Datei"),
        ([p.path("userlist.ini")], "userlist.ini“ kann nicht gelesen werden"),
        ([p.path("Erika.tfd"), p.path("warnungen.txt"), p.path("verbindung.txt")],
         "warnungen.txt“ kann nicht gelesen werden: Keine gewöhnliche Datei"),
    ]
    for fifos, message in runs:
        p.write_user("Erika", erika())
        for path in fifos:
            os.remove(path) if os.path.exists(path) else None
            os.mkfifo(path)
        logged = len(read_log(p.read("dialup.otl"))) if os.path.exists(p.path("dialup.otl")) else 0
        said = run_once(p)
        print(said)
        assert message in said, said
        for path in fifos:
            assert stat.S_ISFIFO(os.lstat(path).st_mode), f"{path} was replaced"
            os.remove(path)
        assert len(read_log(p.read("dialup.otl"))) == logged + 1, "the connection was not logged"

    # Links to /dev/zero: a file of endless zeros is never read.
    p.write_user("Erika", erika())
    for name in ("warnungen.txt", "dialup-sim.txt"):
        os.remove(p.path(name)) if os.path.exists(p.path(name)) else None
        os.symlink("/dev/zero", p.path(name))
    p.start()
    time.sleep(3)
    with open(f"/proc/{p.proc.pid}/status") as f:
        rss = next(int(line.split()[1]) for line in f if line.startswith("VmRSS:"))
    print(f"resident: {rss} KB")
    assert rss < 300_000, f"{rss} KB resident"
    assert p.stop(timeout=10) in (0, 1)
    print(p.output)
    assert "dialup-sim.txt“ kann nicht gelesen werden" in p.output, p.output
    assert "warnungen.txt“ kann nicht gelesen werden" in p.output, p.output
    return 0


def wrong_types(p):
    """"currentuser" as a number, "top" as a string: both said, both taken as
    missing; "left" keeps its place; nothing is written over them."""
    p.write_user("Erika", erika())
    registry(p, b"\"currentuser\"=dword:00000001\r\n\"left\"=dword:000000c8\r\n\"top\"=\"x\"")
    p.sim_tool("add", "Netz", "--rate", "0/0")
    said = run_once(p)
    print(said)
    assert "Der Wert „currentuser“" in said and "erwartet wird eine Zeichenfolge" in said, said
    assert "Der Wert „top“" in said and "erwartet wird eine Zahl (dword)" in said, said
    with open(os.path.join(p.config, "tarifuhr", "registry.reg"), "rb") as f:
        text = f.read()
    assert b"\"left\"=dword:000000c8" in text and b"\"currentuser\"=dword:00000001" in text, text
    return 0


CASES = {"outside-user-file": outside_user_file, "special-files": special_files, "wrong-types": wrong_types}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--sim", required=True)
    ap.add_argument("--case", required=True, choices=sorted(CASES))
    return run_case(CASES, ap.parse_args())


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The real program treated as a user's machine treats it: killed, its log
linked elsewhere, its files damaged, its disk full. One case per run
(--case); each reads the files back byte by byte."""

import argparse
import os
import subprocess
import sys
import time

from program import faketime_available, run_case
from records import days, read_log, read_user_file, tariff, user_file

FAST = "@2026-12-07 12:00:00 x20"   # twenty seconds a second
SKIPPED = 77


def mount_program_dir(p, options):
    """A small file system of its own for the program directory; False (and
    why, as a skip) where this machine can't mount one."""
    if os.geteuid() != 0:
        print("SKIPPED: mounting a file system needs root")
        return False
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", options, "tarifuhr-test", p.dir],
                             capture_output=True, text=True)
    if mounted.returncode != 0:
        print(f"SKIPPED: no tmpfs can be mounted here: {mounted.stderr.strip()}")
        return False
    return True


def user(**fields):
    return user_file("Erika", [tariff("T", "Netz", StartDate=days(2026, 12, 1), PricePerMinute=2.0, DialInFee=5.0,
                                      InTotals=1, **fields)])


def crash(p):
    """kill -9 after a connection ended, and again in the middle of a long
    one: what was counted is in the user file all the same."""
    if not faketime_available():
        print("SKIPPED: libfaketime is not installed (Debian package libfaketime)")
        return SKIPPED
    p.write_user("Erika", user())
    p.sim_tool("add", "Netz", "--rate", "0/0")
    p.start(faketime=FAST)
    p.sim_tool("dial", "Netz")
    time.sleep(2)
    p.sim_tool("hangup", "Netz")
    time.sleep(1)
    p.kill()
    (first,) = read_log(p.read("dialup.otl"))
    _, (t,) = read_user_file(p.read("Erika.tfd"))
    print(f"after the first connection: log {first['seconds']} s, file {t['PeriodSeconds']} s")
    assert t["PeriodSeconds"] == first["seconds"] and t["PeriodCosts"] == first["cost"], (t, first)

    p.start(faketime=FAST)
    p.sim_tool("dial", "Netz")
    time.sleep(20)              # more than five minutes on the fast clock
    p.kill()
    _, (t,) = read_user_file(p.read("Erika.tfd"))
    second = t["PeriodSeconds"] - first["seconds"]
    print(f"killed during the second connection: {second} s of it in the file")
    # About 400 s were counted; the checkpoint five minutes in holds most of
    # them (a loaded machine may miss a tick now and then).
    assert second >= 240, f"at most five minutes may be lost, the file has {second} s of about 400"
    assert len(read_log(p.read("dialup.otl"))) == 1
    return 0


def linked_log(p):
    """dialup.otl is a link to a file outside: that file is never written,
    the user is told, and the record is logged once the link is gone."""
    outside = os.path.join(p.home, "outside.bin")
    with open(outside, "wb") as f:
        f.write(b"not the program's")
    os.symlink(outside, p.path("dialup.otl"))
    p.write_user("Erika", user())
    p.sim_tool("add", "Netz", "--rate", "0/0")
    p.start()
    p.sim_tool("dial", "Netz")
    time.sleep(2)
    p.sim_tool("hangup", "Netz")
    time.sleep(2)
    with open(outside, "rb") as f:
        assert f.read() == b"not the program's", "written through the link"
    os.unlink(p.path("dialup.otl"))
    time.sleep(2)
    assert p.stop() == 0, p.output
    assert "symbolische Verknüpfung" in p.output, p.output
    (record,) = read_log(p.read("dialup.otl"))
    assert record["entry"] == "Netz" and record["seconds"] >= 1, record
    return 0


def directory_for_state(p):
    """A directory where the simulator's state file belongs: the program
    says so and runs on."""
    os.mkdir(p.path("dialup-sim.txt"))
    p.start()
    rc = p.stop()
    print(p.output)
    assert rc == 0, rc
    assert "Beispiel-Einträge" in p.output and "kann nicht gelesen werden" in p.output, p.output
    return 0


def damaged_user_file(p):
    """A user file whose header promises more than is there: the original
    is kept beside it before the exit writes over it."""
    data = bytearray(user())
    data[44:48] = (4).to_bytes(4, "little")       # five records promised, one there
    data += b"\x01" * 100                         # and a piece of another
    p.write_user("Erika", bytes(data))
    p.start()
    assert p.stop() == 0, p.output
    with open(p.path("Erika.tfd.defekt"), "rb") as f:
        assert f.read() == bytes(data), "the original is not kept"
    assert "Erika.tfd.defekt" in p.output, p.output
    _, tariffs = read_user_file(p.read("Erika.tfd"))
    assert tariffs[0]["Name"] == "T", tariffs
    return 0


def full_disk(p):
    """SIGTERM while online, with the disk full: the program says what it
    could not write and ends, with 1."""
    if not mount_program_dir(p, "size=256k"):
        return SKIPPED
    try:
        p.write_user("Erika", user())
        p.sim_tool("add", "Netz", "--rate", "0/0")
        p.sim_tool("dial", "Netz")
        p.start()
        fd = os.open(p.path("filler"), os.O_WRONLY | os.O_CREAT)
        try:
            while os.write(fd, b"\0" * 4096):
                pass
        except OSError:
            pass            # full
        os.close(fd)
        time.sleep(1)
        started = time.monotonic()
        rc = p.stop(timeout=20)
        print(p.output)
        assert rc == 1, rc
        assert time.monotonic() - started < 10
        assert "Kein Speicherplatz" in p.output, p.output
        _, (t,) = read_user_file(p.read("Erika.tfd"))
        assert t["PeriodSeconds"] == 0, "the old file stays whole"
        return 0
    finally:
        p.kill()
        subprocess.run(["umount", p.dir], check=False)


def read_only(p):
    """A program directory that can't be written: the program and the
    control tool say so, instead of "läuft bereits"."""
    if not mount_program_dir(p, "ro,size=64k"):
        return SKIPPED
    try:
        run = subprocess.run([p.program], env=p.env, capture_output=True, text=True, timeout=20)
        print(run.stdout + run.stderr)
        assert run.returncode == 1, run.returncode
        assert "kann nicht geschrieben werden" in run.stderr and "läuft bereits" not in run.stderr, run.stderr
        tool = subprocess.run([p.sim, "list"], env=p.env, capture_output=True, text=True)
        assert tool.returncode == 1 and "konnte nicht geöffnet werden" in tool.stderr, tool.stderr
        return 0
    finally:
        subprocess.run(["umount", p.dir], check=False)


CASES = {"read-only": read_only, "crash": crash, "linked-log": linked_log, "state-directory": directory_for_state,
         "damaged-user-file": damaged_user_file, "full-disk": full_disk}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--sim", required=True)
    ap.add_argument("--case", required=True, choices=sorted(CASES))
    args = ap.parse_args()
    return run_case(CASES, args)


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""End-to-end: the real program on an X server with a tray host and the
simulated dial-up network. It counts one dialled connection across a minute
charge; afterwards the connection log and the user's data file are checked
byte by byte."""

import argparse
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

PRICE = 2.0      # cents a minute
FEE = 5.0        # cents a connection
ENTRY = "E2E-Net"
RX, TX = 123456, 7890
START_SECONDS, START_COSTS, START_BYTES = 600.0, 40.0, 1000


def short_string(text, width):
    raw = text.encode("cp1252")[:width]
    return bytes([len(raw)]) + raw + b"\0" * (width - len(raw))


def days(y, m, d):
    import datetime
    return float((datetime.date(y, m, d) - datetime.date(1899, 12, 30)).days)


def tariff_record():
    import datetime
    today = datetime.date.today()
    rec = bytearray(344)
    rec[0:21] = short_string("E2E-Tarif", 20)
    struct.pack_into("<d", rec, 24, days(today.year, today.month, 1))   # StartDate
    struct.pack_into("<d", rec, 32, 0.0)                                # LastDay
    struct.pack_into("<d", rec, 48, PRICE)
    struct.pack_into("<d", rec, 64, 3000.0)                             # TimeLimit
    struct.pack_into("<d", rec, 72, START_SECONDS)
    struct.pack_into("<d", rec, 80, START_COSTS)
    struct.pack_into("<i", rec, 112, START_BYTES)
    rec[136] = 1                                                        # InTotals
    struct.pack_into("<d", rec, 152, FEE)
    rec[160:181] = short_string(ENTRY, 20)
    return bytes(rec)


def user_file():
    header = bytearray(52)
    header[0:21] = short_string("Erika (Erika.tfd)", 20)
    struct.pack_into("<ii", header, 44, 0, 3)
    totals = bytearray(48)
    return bytes(header) + bytes(totals) + tariff_record()


def free_display():
    for n in range(90, 200):
        if not os.path.exists(f"/tmp/.X{n}-lock") and not os.path.exists(f"/tmp/.X11-unix/X{n}"):
            return n
    raise RuntimeError("no free X display")


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
    home = tempfile.mkdtemp(prefix="tarifuhr-e2e-")
    config = os.path.join(home, "config")
    progdir = os.path.join(home, "program")
    os.makedirs(os.path.join(config, "tarifuhr"))
    os.makedirs(progdir)
    with open(os.path.join(progdir, "Erika.tfd"), "wb") as f:
        f.write(user_file())
    with open(os.path.join(progdir, "userlist.ini"), "wb") as f:
        f.write(f"[Erika (Erika.tfd)]\r\nfile={progdir}/Erika.tfd\r\n".encode("cp1252"))
    with open(os.path.join(config, "tarifuhr", "registry.reg"), "wb") as f:
        f.write(b"REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Tarifuhr]\r\n"
                b"\"first\"=dword:00000001\r\n\"currentuser\"=\"Erika (Erika.tfd)\"\r\n"
                b"\"left\"=dword:00000000\r\n\"top\"=dword:00000000\r\n\r\n")

    display = free_display()
    env = dict(os.environ, DISPLAY=f":{display}", TARIFUHR_HOME=progdir, XDG_CONFIG_HOME=config,
               TARIFUHR_BACKEND="sim", LC_ALL="C", HOME=home)
    env.pop("QT_QPA_PLATFORM", None)
    procs = []
    try:
        procs.append(subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                      env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        for _ in range(100):
            if os.path.exists(f"/tmp/.X11-unix/X{display}"):
                break
            time.sleep(0.05)
        procs.append(subprocess.Popen(["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel",
                                       "--width", "120", "--height", "24"], env=env,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        time.sleep(1)
        run([args.sim, "add", ENTRY, "--rate", "0/0"], env)

        prog = subprocess.Popen([args.program], env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        procs.append(prog)
        time.sleep(3)
        if prog.poll() is not None:
            print(prog.stdout.read())
            raise RuntimeError("the program ended at start")

        run([args.sim, "dial", ENTRY], env)
        time.sleep(30)
        run([args.sim, "traffic", ENTRY, str(RX), str(TX)], env)
        time.sleep(33)   # across the minute charge at second 60

        # Expand the strip (the button at its right end) and take a picture.
        run(["xdotool", "mousemove", "500", "8", "click", "1"], env)
        time.sleep(1.5)
        shot = os.path.join(args.out, "tarifuhr-expanded.png")
        run(["import", "-window", "root", "-crop", "540x300+0+0", shot], env)
        print(f"screenshot: {shot}")

        run([args.sim, "hangup", ENTRY], env)
        time.sleep(2.5)
        prog.send_signal(signal.SIGTERM)
        out, _ = prog.communicate(timeout=20)
        if prog.returncode != 0:
            print(out)
            raise RuntimeError(f"the program ended with {prog.returncode}")
    finally:
        for p in reversed(procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    p.kill()

    log = open(os.path.join(progdir, "dialup.otl"), "rb").read()
    assert len(log) == 64, f"one log record expected, the log has {len(log)} bytes"
    entry = log[1:1 + log[0]].decode("cp1252")
    start, end = struct.unpack_from("<dd", log, 24)
    seconds, = struct.unpack_from("<i", log, 40)
    cost, = struct.unpack_from("<d", log, 48)
    rx_lo, tx_lo = struct.unpack_from("<II", log, 56)
    rx_hi, tx_hi = struct.unpack_from("<HH", log, 44)
    received, sent = rx_lo | rx_hi << 32, tx_lo | tx_hi << 32
    charges = (seconds - 1) // 60 + 1
    print(f"log: {entry} {seconds} s, {cost} ct, {received}/{sent} B, {charges} minute charges")
    assert entry == ENTRY, entry
    assert 60 < seconds < 90, seconds
    assert charges >= 2
    assert cost == FEE + charges * PRICE, cost
    assert (received, sent) == (RX, TX), (received, sent)
    assert end > start

    data = open(os.path.join(progdir, "Erika.tfd"), "rb").read()
    assert len(data) == 52 + 48 + 344, len(data)
    rec = data[100:]
    period_seconds, period_costs = struct.unpack_from("<dd", rec, 72)
    period_bytes = struct.unpack_from("<I", rec, 112)[0] | struct.unpack_from("<i", rec, 104)[0] << 32
    connection_bytes = struct.unpack_from("<I", rec, 44)[0]
    print(f"tariff: {period_seconds} s, {period_costs} ct, {period_bytes} B")
    assert period_seconds == START_SECONDS + seconds, period_seconds
    assert period_costs == START_COSTS + cost, period_costs
    assert period_bytes == START_BYTES + RX + TX, period_bytes
    assert connection_bytes == 0
    online_seconds, = struct.unpack_from("<d", data, 52)
    assert online_seconds == seconds, online_seconds
    shutil.rmtree(home, ignore_errors=True)
    print("e2e: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The whole program on NetworkManager: run inside the test NetworkManager's
namespace (scripts/in-networkmanager-namespace.sh), without a display. A
metered profile with a long name is activated from outside for about 65 s
with known traffic, NetworkManager is restarted in the middle, then the
profile is deactivated. The log record and the tariff are checked to the
byte and the cent."""

import argparse
import os
import signal
import socket
import subprocess
import sys
import time

from program import Program
from records import days, one_record, read_user_file, tariff, user_file

PROFILE = "Vodafone Mobile Broadband"   # 25 characters; a tariff keeps 20
PRICE, FEE = 2.0, 5.0
SKIPPED = 77


def nmcli(*args):
    return subprocess.run(["nmcli", *args], check=True, capture_output=True, text=True).stdout


def counter(name):
    with open(f"/sys/class/net/vethA/statistics/{name}") as f:
        return int(f.read())


def send_to_peer(datagrams, size):
    """UDP to the peer namespace, whose ICMP answers come back."""
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        for _ in range(datagrams):
            s.sendto(b"x" * size, ("10.250.0.2", 9))
    time.sleep(0.3)


def quiet_link(nm_dir):
    """Permanent neighbour entries on both ends of the veth pair: no ARP
    traffic the test did not send."""
    with open(os.path.join(nm_dir, "networkmanager.env")) as f:
        peer = dict(line.strip().split("=", 1) for line in f if "=" in line)["NM_PEER_NETNS"]

    def mac(*cmd):
        return subprocess.run(cmd, check=True, capture_output=True, text=True).stdout.split("link/ether ")[1].split()[0]

    ours, theirs = mac("ip", "link", "show", "vethA"), mac("ip", "-n", peer, "link", "show", "vethB")
    subprocess.run(["ip", "neigh", "replace", "10.250.0.2", "lladdr", theirs, "dev", "vethA", "nud", "permanent"],
                   check=True)
    subprocess.run(["ip", "-n", peer, "neigh", "replace", "10.250.0.1", "lladdr", ours, "dev", "vethB", "nud",
                    "permanent"], check=True)


def restart_networkmanager(nm_dir):
    """Stops NetworkManager and starts it again; the new pid goes to
    restarted.pid,
    where scripts/networkmanager-stop.sh finds it."""
    pid_file = os.path.join(nm_dir, "restarted.pid")
    ours = subprocess.run(["pgrep", "-f", "--", f"--config={nm_dir}/NetworkManager.conf"], capture_output=True,
                          text=True).stdout.split()
    assert len(ours) == 1, f"one NetworkManager of the tests expected: {ours}"
    pid = int(ours[0])
    os.kill(pid, signal.SIGTERM)
    for _ in range(100):
        try:
            os.kill(pid, 0)
        except ProcessLookupError:
            break
        time.sleep(0.05)
    with open(os.path.join(nm_dir, "networkmanager-restarted.log"), "ab") as log:
        nm = subprocess.Popen([os.path.join(nm_dir, "run-networkmanager.sh")], stdout=log, stderr=log,
                              start_new_session=True)
    with open(pid_file, "w") as f:
        f.write(str(nm.pid))
    subprocess.run(["nm-online", "-s", "-q", "-t", "10"], check=True)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--sim", required=True)
    args = ap.parse_args()
    bus, nm_dir = os.environ.get("TARIFUHR_TEST_NM_BUS"), os.environ.get("TARIFUHR_TEST_NM_DIR")
    if not bus or not nm_dir:
        print("SKIPPED: no NetworkManager for tests (scripts/test.sh starts one)")
        return SKIPPED
    if not os.path.exists("/sys/class/net/vethA"):
        print("SKIPPED: not inside NetworkManager's namespace")
        return SKIPPED
    os.environ["DBUS_SYSTEM_BUS_ADDRESS"] = bus
    subprocess.run(["nmcli", "connection", "delete", PROFILE], capture_output=True)
    nmcli("connection", "add", "type", "ethernet", "ifname", "vethA", "con-name", PROFILE,
          "connection.metered", "yes", "connection.autoconnect", "no", "ipv4.method", "manual",
          "ipv4.addresses", "10.250.0.1/30", "ipv6.method", "disabled")

    p = Program(args.program, args.sim, "Erika", user_file("Erika", [tariff(
        "Mobilfunk", PROFILE, StartDate=days(2026, 12, 1), PricePerMinute=PRICE, DialInFee=FEE, InTotals=1)]))
    p.env.update(TARIFUHR_BACKEND="nm", DBUS_SYSTEM_BUS_ADDRESS=bus)
    try:
        # Activated from outside before the program starts, which counts a
        # connection that is up from its first second. Fixed neighbour
        # entries on both ends, and NetworkManager's three address
        # announcements (0, 2 and 4 s after activation) over: no ARP between
        # the test's first reading of the counters and the program's.
        nmcli("connection", "up", PROFILE)
        quiet_link(nm_dir)
        time.sleep(6)
        tx0, rx0 = counter("tx_bytes"), counter("rx_bytes")
        p.start()
        started = time.monotonic()
        time.sleep(3)
        send_to_peer(50, 1000)
        time.sleep(20)
        restart_networkmanager(nm_dir)       # the program must count on, once
        time.sleep(10)
        send_to_peer(30, 500)
        time.sleep(max(0.0, 65 - (time.monotonic() - started)))
        sent, received = counter("tx_bytes") - tx0, counter("rx_bytes") - rx0
        time.sleep(1.5)                       # the program's last look at the counters
        nmcli("connection", "down", PROFILE)
        time.sleep(2.5)
        assert p.stop() == 0, p.output
        assert "Wählnetz: NetworkManager" in p.output, p.output

        r, charges = one_record(p.read("dialup.otl"))
        print(f"log: {r['entry']} {r['seconds']} s, {r['cost']} ct, {r['received']}/{r['sent']} B "
              f"(kernel {received}/{sent} B)")
        assert r["entry"] == PROFILE[:20], r["entry"]
        assert 60 < r["seconds"] < 75, r["seconds"]
        assert r["cost"] == FEE + charges * PRICE, r["cost"]
        assert (r["received"], r["sent"]) == (received, sent), (r, received, sent)
        assert sent > 50 * 1000 + 30 * 500

        _, (t,) = read_user_file(p.read("Erika.tfd"))
        assert t["PeriodSeconds"] == r["seconds"] and t["PeriodCosts"] == r["cost"], t
        assert t["PeriodBytes"] == received + sent, t
        print("networkmanager e2e: passed")
        return 0
    finally:
        p.remove()
        subprocess.run(["nmcli", "connection", "delete", PROFILE], capture_output=True)


if __name__ == "__main__":
    sys.exit(main())

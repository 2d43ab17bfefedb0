#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# networkmanager-start.sh DIR: a real NetworkManager for the integration
# tests, in a network namespace of its own with a private system bus; the
# machine's own networking is never touched. The namespace has one veth
# interface, vethA (10.250.0.1/30 once a profile is up), whose peer vethB
# (10.250.0.2) sits in a second namespace. All state lives under DIR.
# Must run as root. Writes DIR/networkmanager.env:
#   NM_NETNS, NM_PEER_NETNS, NM_BUS (a DBUS_SYSTEM_BUS_ADDRESS), NM_PID, BUS_PID
# Stop with: networkmanager-stop.sh DIR
set -euo pipefail
die() { echo "networkmanager-start: $*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || die "must run as root"
[ $# -ge 1 ] || die "usage: $0 DIR"
mkdir -p "$1"
DIR=$(cd "$1" && pwd -P)
command -v NetworkManager >/dev/null || die "NetworkManager is not installed"
# D-Bus takes a socket path of at most 99 characters.
socket=$DIR/system_bus_socket
[ ${#socket} -le 99 ] || die "DIR path too long for the bus socket (${#socket} > 99 chars): $socket"

ns=tarifuhr-nm-$$
peer=tarifuhr-peer-$$
# What exists so far, for networkmanager-stop.sh should a later step fail;
# written again in full once everything runs.
printf 'NM_NETNS=%s\nNM_PEER_NETNS=%s\nNM_PID=\nBUS_PID=\n' "$ns" "$peer" >"$DIR/networkmanager.env"
ip netns add "$ns"
ip netns add "$peer"
ip -n "$ns" link set lo up
ip link add vethA netns "$ns" type veth peer name vethB netns "$peer"
# The peer speaks IPv4 only: its IPv6 router solicitations (70 bytes, with
# a back-off out to an hour) would arrive at any second of a test that
# counts bytes.
ip netns exec "$peer" sysctl -qw net.ipv6.conf.vethB.disable_ipv6=1
ip -n "$peer" addr add 10.250.0.2/30 dev vethB
ip -n "$peer" link set vethB up

# A system bus of our own: NetworkManager gets its name there, and nothing
# of the machine's bus is used.
sed -e "s|<listen>.*</listen>|<listen>unix:path=$socket</listen>|" \
    -e '/<pidfile>/d' \
    -e 's|<includedir>system.d</includedir>|<includedir>/usr/share/dbus-1/system.d</includedir>|' \
    /usr/share/dbus-1/system.conf >"$DIR/bus.conf"
bus_pid=$(dbus-daemon --config-file="$DIR/bus.conf" --fork --print-pid)
sed -i "s/^BUS_PID=.*/BUS_PID=$bus_pid/" "$DIR/networkmanager.env"
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$socket

mkdir -p "$DIR/conf.d" "$DIR/system-conf.d" "$DIR/connections"
cat >"$DIR/NetworkManager.conf" <<CONF
[main]
plugins=keyfile
dns=none
rc-manager=unmanaged
systemd-resolved=false
hostname-mode=none
no-auto-default=*
auth-polkit=false
dhcp=internal

[keyfile]
path=$DIR/connections
unmanaged-devices=*,except:interface-name:vethA

[connectivity]
enabled=false
CONF
# Without udev NetworkManager waits for it unless /sys is read-only; the
# remount stays inside the namespace's own mounts.
# Its run-time state goes to DIR/run, bound over /run/NetworkManager in its
# own mounts only: the machine's is neither read nor written, and a restart
# finds what the NetworkManager before it left.
mkdir -p "$DIR/run"
cat >"$DIR/run-networkmanager.sh" <<WRAP
#!/bin/sh
mount -o remount,ro /sys
mkdir -p /run/NetworkManager
mount --bind "$DIR/run" /run/NetworkManager
exec NetworkManager --debug --config="$DIR/NetworkManager.conf" --config-dir="$DIR/conf.d" \
  --system-config-dir="$DIR/system-conf.d" --intern-config="$DIR/intern.conf" \
  --state-file="$DIR/state" --pid-file="$DIR/nm.pid"
WRAP
chmod +x "$DIR/run-networkmanager.sh"
ip netns exec "$ns" "$DIR/run-networkmanager.sh" >"$DIR/networkmanager.log" 2>&1 &
nm_pid=$!

cat >"$DIR/networkmanager.env" <<ENV
NM_NETNS=$ns
NM_PEER_NETNS=$peer
NM_BUS=$DBUS_SYSTEM_BUS_ADDRESS
NM_PID=$nm_pid
BUS_PID=$bus_pid
ENV
if ! nm-online -s -q -t 10; then
  tail -20 "$DIR/networkmanager.log" >&2
  die "NetworkManager did not come up"
fi
cat "$DIR/networkmanager.env"

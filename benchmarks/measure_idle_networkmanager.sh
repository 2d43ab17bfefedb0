#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# measure_idle_networkmanager.sh BUILD_DIR [SECONDS]: the program online on
# a real NetworkManager (started here in network namespaces of its own, as
# the tests do) for SECONDS (default 60): its CPU time, wake-ups and memory,
# and the CPU time NetworkManager and the bus daemon spend, measured once
# without the program and once with it. Needs root.
set -euo pipefail
build=$(cd "${1:?usage: measure_idle_networkmanager.sh BUILD_DIR [SECONDS]}" && pwd)
secs=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/tarifuhr-nm-idle-XXXXXX)
nm_dir=$work/nm
cleanup() {
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  bash "$root/scripts/networkmanager-stop.sh" "$nm_dir" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
bash "$root/scripts/networkmanager-start.sh" "$nm_dir" >/dev/null
# shellcheck disable=SC1091
. "$nm_dir/networkmanager.env"
export DBUS_SYSTEM_BUS_ADDRESS=$NM_BUS
nmcli connection add type ethernet ifname vethA con-name Messnetz connection.metered yes \
  connection.autoconnect no ipv4.method manual ipv4.addresses 10.250.0.1/30 ipv6.method disabled >/dev/null
nmcli connection up Messnetz >/dev/null
nm_pid=$(pgrep -f -- "--config=$nm_dir/NetworkManager.conf")

ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$1/stat"; }
daemons() { echo $(( $(cpu "$nm_pid") + $(cpu "$BUS_PID") )); }
switches() { cat /proc/"$1"/task/*/status | awk '/ctxt_switches/ {s += $2} END {print s}'; }
percent() { awk -v a="$1" -v b="$2" -v hz="$ticks" -v t="$3" 'BEGIN {printf "%.3f", 100 * (b - a) / hz / t}'; }

d0=$(daemons); sleep "$secs"; d1=$(daemons)
without=$(percent "$d0" "$d1" "$secs")

export TARIFUHR_HOME=$work/home XDG_CONFIG_HOME=$work/config HOME=$work TARIFUHR_BACKEND=nm QT_QPA_PLATFORM=offscreen
mkdir -p "$TARIFUHR_HOME"
ip netns exec "$NM_NETNS" env "PATH=$PATH" "$build/bin/tarifuhr" >"$work/out.log" 2>&1 &
pid=$!
sleep 5
grep -q "Wählnetz: NetworkManager" "$work/out.log" || { cat "$work/out.log" >&2; exit 1; }
p0=$(cpu "$pid"); s0=$(switches "$pid"); d0=$(daemons); t0=$(date +%s.%N)
sleep "$secs"
p1=$(cpu "$pid"); s1=$(switches "$pid"); d1=$(daemons); t1=$(date +%s.%N)
hwm=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
el=$(awk -v a="$t0" -v b="$t1" 'BEGIN {print b - a}')
with=$(percent "$d0" "$d1" "$el")

echo "elapsed $el s, online on NetworkManager (profile Messnetz, metered)"
echo "program: cpu $(percent "$p0" "$p1" "$el") % of one core," \
     "wake-ups $(awk -v a="$s0" -v b="$s1" -v t="$el" 'BEGIN {printf "%.2f", (b - a) / t}') per second," \
     "peak resident $(awk -v k="$hwm" 'BEGIN {printf "%.1f", k / 1024}') MB"
echo "NetworkManager and bus daemon: $without % of one core without the program, $with % with it"

#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# measure_idle.sh BUILD_DIR [SECONDS]: runs the program online on the
# simulated network for SECONDS (default 60) and reports its CPU time,
# wake-ups (context switches) per second and peak resident memory.
set -euo pipefail
build=$(cd "${1:?usage: measure_idle.sh BUILD_DIR [SECONDS]}" && pwd)
secs=${2:-60}
work=$(mktemp -d /tmp/tarifuhr-idle-XXXXXX)
trap 'kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
export TARIFUHR_HOME=$work/home XDG_CONFIG_HOME=$work/config HOME=$work
mkdir -p "$TARIFUHR_HOME"
if [ -z "${DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=offscreen
fi
"$build/bin/tarifuhr-sim" add Messnetz --rate 6000/800 >/dev/null
"$build/bin/tarifuhr" >"$work/out.log" 2>&1 &
pid=$!
sleep 3
"$build/bin/tarifuhr-sim" dial Messnetz >/dev/null
sleep 2

ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
# Every thread's switches count: a wake-up of any of them costs power.
switches() { cat /proc/$pid/task/*/status | awk '/ctxt_switches/ {s += $2} END {print s}'; }
cpu0=$(cpu); sw0=$(switches); t0=$(date +%s.%N)
sleep "$secs"
cpu1=$(cpu); sw1=$(switches); t1=$(date +%s.%N)
hwm=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
kill -TERM "$pid"; wait "$pid" || true

awk -v c0="$cpu0" -v c1="$cpu1" -v s0="$sw0" -v s1="$sw1" -v t0="$t0" -v t1="$t1" \
    -v hz="$ticks" -v hwm="$hwm" -v rss="$rss" 'BEGIN {
  el = t1 - t0; cpus = (c1 - c0) / hz
  printf "elapsed %.1f s, online on the simulated network\n", el
  printf "cpu time %.3f s = %.3f %% of one core\n", cpus, 100 * cpus / el
  printf "wake-ups %.2f per second (%d context switches)\n", (s1 - s0) / el, s1 - s0
  printf "peak resident %.1f MB (now %.1f MB)\n", hwm / 1024, rss / 1024
}'

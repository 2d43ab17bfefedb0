#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# networkmanager-stop.sh DIR: stops what networkmanager-start.sh DIR started
# and removes its namespaces. Harmless when nothing runs.
set -uo pipefail
DIR=${1:?usage: $0 DIR}
[ -f "$DIR/networkmanager.env" ] || exit 0
# shellcheck disable=SC1091
. "$DIR/networkmanager.env"
# A test that restarts NetworkManager leaves the new pid in restarted.pid;
# a start that failed half-way may have none yet.
pids="$NM_PID $BUS_PID"
[ -f "$DIR/restarted.pid" ] && pids="$pids $(cat "$DIR/restarted.pid")"
for pid in $pids; do
  kill "$pid" 2>/dev/null
done
for _ in $(seq 50); do
  alive=
  for pid in $pids; do kill -0 "$pid" 2>/dev/null && alive=1; done
  [ -z "$alive" ] && break
  sleep 0.1
done
# shellcheck disable=SC2086
[ -n "${pids// /}" ] && kill -9 $pids 2>/dev/null
ip netns del "$NM_NETNS" 2>/dev/null
ip netns del "$NM_PEER_NETNS" 2>/dev/null
rm -f "$DIR/networkmanager.env" "$DIR/restarted.pid"
# The mount point the wrapper made, if nothing else uses it.
rmdir /run/NetworkManager 2>/dev/null

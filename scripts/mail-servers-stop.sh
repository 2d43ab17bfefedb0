#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# mail-servers-stop.sh DIR
# Stops the Postfix and Dovecot that mail-servers-start.sh DIR started:
# SIGTERM to each master PID from its pid file, then waits (both at once,
# at most 10 s) until the masters and their children are gone; any
# straggler then gets SIGKILL, one PID at a time. DIR (logs, Maildir)
# stays. Exit status 0 when nothing is left running.
set -uo pipefail

DIR=${1:?usage: $0 DIR}
rc=0
waitfor=()

signal_master() {  # name pidfile expected-comm
  local name=$1 pidfile=$2 comm=$3 pid=
  [ -s "$pidfile" ] && pid=$(tr -d ' \n' <"$pidfile")
  if [ -z "$pid" ] || ! kill -0 "$pid" 2>/dev/null; then
    echo "$name: not running"; return
  fi
  if [ "$(cat "/proc/$pid/comm")" != "$comm" ]; then
    echo "$name: pid $pid is not '$comm'; left alone" >&2; rc=1; return
  fi
  # shellcheck disable=SC2207  # pids, split on white space
  waitfor+=("$pid" $(ps -o pid= --ppid "$pid"))
  kill -TERM "$pid"
  echo "$name: stopping master pid $pid"
}

signal_master postfix "$DIR/postfix-queue/pid/master.pid" master
signal_master dovecot "$DIR/dovecot/run/master.pid" dovecot

if [ ${#waitfor[@]} -gt 0 ]; then
  for _ in $(seq 100); do
    kill -0 "${waitfor[@]}" 2>/dev/null || break  # true while any is alive
    sleep 0.1
  done
  for p in "${waitfor[@]}"; do
    if kill -0 "$p" 2>/dev/null; then
      echo "pid $p still running after 10 s; SIGKILL" >&2
      kill -KILL "$p" 2>/dev/null || rc=1
    fi
  done
fi
exit $rc

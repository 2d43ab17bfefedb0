#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and runs every test: unit, ui,
# integration and e2e tests, the sanitizer build and the fuzz targets.
# Skipped tests are named at the end. With CI=true nothing is left out
# unseen: a test server that does not start, or a skipped integration or
# e2e test, fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh

echo "== style (clang-format with .clang-format)"
git ls-files '*.h' '*.cpp' | xargs clang-format --dry-run --Werror

echo "== build"
bash scripts/build.sh build

echo "== sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer)"
bash scripts/build.sh build-asan -DTARIFUHR_SANITIZE=ON -DTARIFUHR_UI=OFF -DTARIFUHR_BENCHMARKS=OFF
(cd build-asan && ctest -L unit --output-on-failure -j2)

echo "== thread sanitizer build (the asynchronous dial's hand-over between threads)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARIFUHR_TSAN=ON -DTARIFUHR_UI=OFF \
  -DTARIFUHR_BENCHMARKS=OFF >/dev/null
cmake --build build-tsan --target connection_tests -- -j"$(nproc)"
(cd build-tsan && ctest -R 'AsyncDial' --output-on-failure --no-tests=error)

echo "== fuzz targets"
bash scripts/fuzz.sh build-fuzz 20

# The servers' folders hold unix sockets, whose paths are short (at most
# 107 bytes, 99 for D-Bus, and Postfix and Dovecot add their own names
# below the folder): under build/ when the checkout's path leaves room,
# else a fresh one under /tmp. build/NAME.dir names the folder in use, so that the next run stops
# what an interrupted one left running there.
server_dir() {
  local dir=$root/build/$1
  [ ${#dir} -le 60 ] || dir=$(mktemp -d "/tmp/tarifuhr-$1-XXXXXX")
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd -P)
  echo "$dir" >"$root/build/$1.dir"
  echo "$dir"
}
earlier_server_dir() {
  cat "$root/build/$1.dir" 2>/dev/null || echo "$root/build/$1"
}
# An earlier run's folder under /tmp goes once its servers are stopped;
# the last run's stays for its logs.
forget_server_dir() {
  case $1 in /tmp/tarifuhr-*) rm -rf "$1" ;; esac
}
# With CI=true a server that does not start fails the run: its tests would
# only skip. Locally they skip, and the end of the run names them.
server_failed() {  # SERVER TESTS LOG
  if [ "${CI:-}" = true ]; then
    echo "$1 did not start, and with CI=true $2 must not be skipped: the run fails" >&2
    cat "$3" >&2 || true
    exit 1
  fi
  echo "$1 did not start, $2 will be skipped:" >&2
  cat "$3" >&2 || true
}

echo "== mail servers for the integration tests"
# Postfix and Dovecot on free ports of 127.0.0.1, all state under one short
# directory.
free_port() {
  local p
  for _ in $(seq 100); do
    p=$((20000 + RANDOM % 30000))
    [[ " $* " != *" $p "* ]] && [ -z "$(ss -Hltn "sport = :$p")" ] && { echo "$p"; return; }
  done
  return 1
}
stop_mail_servers() {
  bash "$root/scripts/mail-servers-stop.sh" "$mail_dir" >"$root/build/mail-servers-stop.log" 2>&1 ||
    { echo "mail servers: stop failed, see build/mail-servers-stop.log" >&2; return 1; }
}
mail_dir=$(earlier_server_dir mail-servers)
stop_mail_servers && forget_server_dir "$mail_dir"  # left over from an interrupted run
mail_dir=$(server_dir mail-servers)
# shellcheck disable=SC2015  # all ports or none
smtp_port=$(free_port) && pop3_port=$(free_port "$smtp_port") &&
  smtps_port=$(free_port "$smtp_port" "$pop3_port") &&
  submission_port=$(free_port "$smtp_port" "$pop3_port" "$smtps_port") &&
  pop3s_port=$(free_port "$smtp_port" "$pop3_port" "$smtps_port" "$submission_port") ||
  { smtp_port=; pop3_port=; }
# shellcheck disable=SC2153  # SMTP_PORT and POP3_PORT come from mail-servers.env
if [ -n "$smtp_port" ] &&
   SMTPS_PORT=$smtps_port SUBMISSION_PORT=$submission_port POP3S_PORT=$pop3s_port \
   bash scripts/mail-servers-start.sh "$mail_dir" "$smtp_port" "$pop3_port" >"$root/build/mail-servers.log" 2>&1; then
  trap stop_mail_servers EXIT
  # shellcheck disable=SC1091
  . "$mail_dir/mail-servers.env"
  export TARIFUHR_TEST_SMTP_HOST=$SMTP_HOST TARIFUHR_TEST_SMTP_PORT=$SMTP_PORT
  export TARIFUHR_TEST_POP3_HOST=$POP3_HOST TARIFUHR_TEST_POP3_PORT=$POP3_PORT
  export TARIFUHR_TEST_MAIL_USER=$MAIL_USER TARIFUHR_TEST_MAIL_PASS=$MAIL_PASS
  export TARIFUHR_TEST_MAIL_ADDR=$MAIL_ADDR TARIFUHR_TEST_MAILDIR=$MAILDIR
  export TARIFUHR_TEST_TLS_HOST=$TLS_HOST TARIFUHR_TEST_CA_FILE=$CA_FILE
  export TARIFUHR_TEST_SMTPS_PORT=$SMTPS_PORT TARIFUHR_TEST_SUBMISSION_PORT=$SUBMISSION_PORT
  export TARIFUHR_TEST_POP3S_PORT=$POP3S_PORT
  echo "SMTP 127.0.0.1:$SMTP_PORT (TLS $SMTPS_PORT, STARTTLS $SUBMISSION_PORT), POP3 127.0.0.1:$POP3_PORT (TLS $POP3S_PORT), Maildir $MAILDIR"
else
  stop_mail_servers || true
  server_failed "the mail servers" "the mail integration tests" "$root/build/mail-servers.log"
fi

echo "== NetworkManager for the integration tests"
# A real NetworkManager in network namespaces of its own, with a private
# system bus; the machine's networking is not touched.
stop_networkmanager() {
  bash "$root/scripts/networkmanager-stop.sh" "$nm_dir" >"$root/build/networkmanager-stop.log" 2>&1 || true
}
nm_dir=$(earlier_server_dir networkmanager)
stop_networkmanager && forget_server_dir "$nm_dir"  # left over from an interrupted run
nm_dir=$(server_dir networkmanager)
trap 'stop_mail_servers; stop_networkmanager' EXIT
if bash scripts/networkmanager-start.sh "$nm_dir" >"$root/build/networkmanager.log" 2>&1; then
  # shellcheck disable=SC1091
  . "$nm_dir/networkmanager.env"
  export TARIFUHR_TEST_NM_BUS=$NM_BUS TARIFUHR_TEST_NM_NETNS=$NM_NETNS TARIFUHR_TEST_NM_DIR=$nm_dir
  echo "NetworkManager in namespace $NM_NETNS, bus $NM_BUS"
else
  stop_networkmanager
  server_failed NetworkManager "its tests" "$root/build/networkmanager.log"
fi

echo "== all tests"
# Every skipped test is named at the end; with CI=true a skipped integration
# or e2e test fails the run.
bash scripts/ctest-checked.sh build --output-on-failure -j2

#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and runs every test: unit, ui,
# integration and e2e tests, the sanitizer build and the fuzz targets.
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

echo "== mail servers for the integration tests"
# Postfix and Dovecot on free ports of 127.0.0.1, all state under one short
# directory (their unix sockets need a path of at most 60 characters).
mail_dir=$root/build/mail-servers
[ ${#mail_dir} -le 60 ] || mail_dir=/tmp/tarifuhr-mail-$$
free_port() {
  local p
  for _ in $(seq 100); do
    p=$((20000 + RANDOM % 30000))
    [ "$p" != "${1:-}" ] && [ -z "$(ss -Hltn "sport = :$p")" ] && { echo "$p"; return; }
  done
  return 1
}
stop_mail_servers() {
  bash "$root/scripts/mail-servers-stop.sh" "$mail_dir" >"$root/build/mail-servers-stop.log" 2>&1 ||
    echo "mail servers: stop failed, see build/mail-servers-stop.log" >&2
}
stop_mail_servers  # left over from an interrupted run
smtp_port=$(free_port) && pop3_port=$(free_port "$smtp_port") || { smtp_port=; pop3_port=; }
if [ -n "$smtp_port" ] &&
   bash scripts/mail-servers-start.sh "$mail_dir" "$smtp_port" "$pop3_port" >"$root/build/mail-servers.log" 2>&1; then
  trap stop_mail_servers EXIT
  # shellcheck disable=SC1091
  . "$mail_dir/mail-servers.env"
  export TARIFUHR_TEST_SMTP_HOST=$SMTP_HOST TARIFUHR_TEST_SMTP_PORT=$SMTP_PORT
  export TARIFUHR_TEST_POP3_HOST=$POP3_HOST TARIFUHR_TEST_POP3_PORT=$POP3_PORT
  export TARIFUHR_TEST_MAIL_USER=$MAIL_USER TARIFUHR_TEST_MAIL_PASS=$MAIL_PASS
  export TARIFUHR_TEST_MAIL_ADDR=$MAIL_ADDR TARIFUHR_TEST_MAILDIR=$MAILDIR
  echo "SMTP 127.0.0.1:$SMTP_PORT, POP3 127.0.0.1:$POP3_PORT, Maildir $MAILDIR"
else
  echo "mail servers did not start, the mail integration tests will be skipped:" >&2
  cat "$root/build/mail-servers.log" >&2 || true
  stop_mail_servers
fi

echo "== NetworkManager for the integration tests"
# A real NetworkManager in network namespaces of its own, with a private
# system bus; the machine's networking is not touched.
nm_dir=$root/build/networkmanager
stop_networkmanager() {
  bash "$root/scripts/networkmanager-stop.sh" "$nm_dir" >"$root/build/networkmanager-stop.log" 2>&1 || true
}
stop_networkmanager  # left over from an interrupted run
if bash scripts/networkmanager-start.sh "$nm_dir" >"$root/build/networkmanager.log" 2>&1; then
  # shellcheck disable=SC1091
  . "$nm_dir/networkmanager.env"
  export TARIFUHR_TEST_NM_BUS=$NM_BUS TARIFUHR_TEST_NM_NETNS=$NM_NETNS TARIFUHR_TEST_NM_DIR=$nm_dir
  echo "NetworkManager in namespace $NM_NETNS, bus $NM_BUS"
else
  echo "NetworkManager did not start, its tests will be skipped:" >&2
  cat "$root/build/networkmanager.log" >&2 || true
  stop_networkmanager
fi
trap 'stop_mail_servers; stop_networkmanager' EXIT

echo "== all tests"
cd "$root/build"
ctest --output-on-failure -j2

#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages listed in scripts/deps/*.txt that are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t wanted < <(cat scripts/deps/*.txt | sed 's/#.*//' | tr -s ' \t' '\n' | sed '/^$/d' | sort -u)
missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" != 0 ]; then
  echo "install-deps: missing packages: ${missing[*]} (run as root to install them)" >&2
  exit 1
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# Keep package scripts from starting machine-wide daemons (postfix, dovecot).
if [ ! -e /usr/sbin/policy-rc.d ]; then
  printf '#!/bin/sh\nexit 101\n' >/usr/sbin/policy-rc.d
  chmod 755 /usr/sbin/policy-rc.d
  trap 'rm -f /usr/sbin/policy-rc.d' EXIT
fi
echo "postfix postfix/main_mailer_type select Local only" | debconf-set-selections 2>/dev/null || true
echo "postfix postfix/mailname string localhost" | debconf-set-selections 2>/dev/null || true
apt-get update -q -o DPkg::Lock::Timeout=300 >/dev/null
apt-get install -y -q -o DPkg::Lock::Timeout=300 --no-install-recommends "${missing[@]}" >/dev/null

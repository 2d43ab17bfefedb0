#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and starts Tarifuhr on the simulated
# dial-up network. Its files go to the program directory (build/bin, or
# TARIFUHR_HOME when set); settings to ~/.config/tarifuhr.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build -DTARIFUHR_BENCHMARKS=OFF
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display (DISPLAY is not set); starting without one (QT_QPA_PLATFORM=offscreen)" >&2
  export QT_QPA_PLATFORM=offscreen
fi
exec build/bin/tarifuhr

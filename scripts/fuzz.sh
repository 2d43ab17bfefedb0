#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# fuzz.sh DIR SECONDS: builds the libFuzzer targets with clang, replays each
# one's seeds (tests/fuzz/seeds/NAME) and runs it for SECONDS seconds.
# Skipped, with a message, when clang++ is missing; with CI=true that fails.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1; secs=$2
if ! command -v clang++ >/dev/null; then
  if [ "${CI:-}" = true ]; then
    echo "fuzz: clang++ is not installed, and with CI=true the fuzz targets must run" >&2
    exit 1
  fi
  echo "fuzz: skipped, clang++ is not installed"
  exit 0
fi
CXX=clang++ bash scripts/build.sh "$dir" -DTARIFUHR_FUZZ=ON -DTARIFUHR_UI=OFF -DTARIFUHR_BENCHMARKS=OFF
shopt -s nullglob
for f in "$dir"/tests/fuzz/*_fuzz; do
  name=$(basename "$f")
  corpus="$dir/corpus/$name"
  seeds="tests/fuzz/seeds/$name"   # kept in the repository, replayed every time
  mkdir -p "$corpus" "$seeds"
  echo "fuzz: $name, its seeds, then ${secs}s"
  "$f" -runs=0 "$seeds" 2>"$dir/$name.seeds.log" || { tail -50 "$dir/$name.seeds.log"; exit 1; }
  "$f" -max_total_time="$secs" -max_len=4096 -print_final_stats=0 "$corpus" "$seeds" 2>"$dir/$name.log" \
    || { tail -50 "$dir/$name.log"; exit 1; }
done

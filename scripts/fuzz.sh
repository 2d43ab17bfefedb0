#!/usr/bin/env bash
# fuzz.sh DIR SECONDS: builds the libFuzzer targets with clang and runs each
# for SECONDS seconds. Skipped, with a message, when clang++ is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1; secs=$2
if ! command -v clang++ >/dev/null; then
  echo "fuzz: skipped, clang++ is not installed"
  exit 0
fi
CXX=clang++ bash scripts/build.sh "$dir" -DTARIFUHR_FUZZ=ON -DTARIFUHR_UI=OFF -DTARIFUHR_BENCHMARKS=OFF
shopt -s nullglob
for f in "$dir"/tests/fuzz/*_fuzz; do
  corpus="$dir/corpus/$(basename "$f")"
  mkdir -p "$corpus"
  echo "fuzz: $(basename "$f") for ${secs}s"
  "$f" -max_total_time="$secs" -max_len=4096 -print_final_stats=0 "$corpus" 2>"$dir/$(basename "$f").log" \
    || { tail -50 "$dir/$(basename "$f").log"; exit 1; }
done

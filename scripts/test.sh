#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit, ui,
# integration and e2e tests, the sanitizer build and the fuzz targets.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh

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

echo "== all tests"
cd "$root/build"
ctest --output-on-failure -j2

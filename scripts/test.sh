#!/usr/bin/env bash
# Installs what TELVARN needs, builds it and runs every test twice: in a
# normal build, and in one with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
ninja -C build -j2
ctest --test-dir build -j2 --output-on-failure

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTELVARN_SANITIZE=ON
ninja -C build-asan -j2
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
  ctest --test-dir build-asan -j2 --output-on-failure

# A bounded fuzzing run of every libFuzzer target.
scripts/fuzz.sh 30

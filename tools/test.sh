#!/usr/bin/env bash
# Sets up the machine, builds everything with warnings as errors, runs every
# test and checks the Debian package; then builds the core again with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs its tests once more,
# with a minute's random walk over the real window (drive.random_walk).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORELITH_WERROR=ON
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs" --output-on-failure
bash tools/test-package.sh build

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 \
  -DORELITH_WERROR=ON -DORELITH_SANITIZE=ON -DORELITH_BENCH=OFF
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
  ctest --test-dir build-sanitize -j "$jobs" --output-on-failure

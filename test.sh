#!/usr/bin/env bash
# Builds and runs every test: the suite, the desktop test under Xvfb, then the suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
./tools/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTOVRA_SANITIZE=ON -DTOVRA_BENCH=OFF
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs" -LE desktop

# The platform layer, QRVUtil, the runtime and their tests once more as a 32-bit program, where the
# host records have their classic sizes: a layout or arithmetic that differs between word sizes
# fails here.
cmake -S . -B build-32 -DTOVRA_32BIT=ON -DTOVRA_IPO=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-32 -j"$jobs"
ctest --test-dir build-32 --output-on-failure -j"$jobs"

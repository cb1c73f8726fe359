#!/usr/bin/env bash
# Builds and runs every test: the suite, the desktop tests under Xvfb, the suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer, a short run of each fuzz target, and the
# plug-in's tests as a 32-bit program.
set -euo pipefail
cd "$(dirname "$0")"
./tools/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

# The desktop tests too, each on an X server of its own: the window views, their list models and
# their teardown under the sanitizers (tests/e2e/toolkit_leaks.supp names the toolkit's own leaks).
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTOVRA_SANITIZE=ON -DTOVRA_BENCH=OFF
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

# Each fuzz target under libFuzzer (clang) with AddressSanitizer and UndefinedBehaviorSanitizer
# for a fixed time, from its corpus in the repository; a crash, leak or hang fails the script.
# New inputs go to the build folder, never into the repository's corpus.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVRA_SANITIZE=ON \
  -DTOVRA_FUZZ=ON -DTOVRA_GTK=OFF -DTOVRA_BENCH=OFF
cmake --build build-fuzz -j"$jobs" --target fuzz_targets
for target in preferences_loader style_decoders block_functions; do
  run=build-fuzz/fuzz-runs/$target
  rm -rf "$run"
  mkdir -p "$run/corpus"
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 "build-fuzz/bin/${target}_fuzz" \
    -max_total_time=20 -timeout=10 -print_final_stats=1 -artifact_prefix="$run/" \
    "$run/corpus" "tests/fuzz/corpus/$target" >"$run/fuzz.log" 2>&1 ||
    { tail -n 60 "$run/fuzz.log"; echo "fuzzing $target found a fault: $run" >&2; exit 1; }
  grep -h "stat::number_of_executed_units" "$run/fuzz.log" | sed "s/^/$target: /"
done

# The platform layer, QRVUtil and their tests once more as a 32-bit program, where the host
# records have their classic sizes: a layout or arithmetic that differs between word sizes
# fails here.
cmake -S . -B build-32 -DTOVRA_32BIT=ON -DTOVRA_IPO=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-32 -j"$jobs"
ctest --test-dir build-32 --output-on-failure -j"$jobs"

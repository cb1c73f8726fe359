#!/usr/bin/env bash
# Builds Tovra and starts it on the current X11 display. F3 brings up the search window.
set -euo pipefail
cd "$(dirname "$0")"
./tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target Tovra QRVUtil
exec ./build/bin/Tovra

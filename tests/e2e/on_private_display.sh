#!/usr/bin/env bash
# Runs a test program on an X server of its own (Xvfb), which it may grab keys on and open
# windows on; TOVRA_PRIVATE_DISPLAY tells the program that the display is its own.
#
#   on_private_display.sh PROGRAM [ARGUMENTS...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/desktop_lib.sh"

XVFB_PID=""
trap 'stop_processes "$XVFB_PID"' EXIT
start_xvfb 1280x1024 || exit 1
TOVRA_PRIVATE_DISPLAY=1 "$@"

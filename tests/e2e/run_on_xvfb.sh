#!/usr/bin/env bash
# Runs a command on a private X server of its own, which goes when the command ends.
#
#   run_on_xvfb.sh COMMAND [ARGUMENT...]
set -uo pipefail
source "$(cd "$(dirname "$0")" && pwd)/desktop_lib.sh"
XVFB_PID=""
trap 'stop_processes "$XVFB_PID"' EXIT
start_xvfb 1280x1024 || exit 1
"$@"

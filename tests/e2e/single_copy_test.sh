#!/usr/bin/env bash
# One running Tovra per preferences folder, with the real executable on a private X server: a
# second start on the same folder says so on standard error, exits 0 and changes nothing, while
# the first keeps its hot key; once the first is killed with SIGKILL, a new start runs.
#
#   single_copy_test.sh TOVRA OUT_DIR
set -uo pipefail

tovra=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/desktop_lib.sh"

rm -rf "$out"
mkdir -p "$out/config"
log="$out/single-copy-test.log"
: >"$log"
export XDG_CONFIG_HOME="$out/config"

first_pid="" third_pid="" XVFB_PID=""
cleanup() { stop_processes "$first_pid" "$third_pid" "$XVFB_PID"; }
trap cleanup EXIT

note() { echo "$*" | tee -a "$log"; }
fail() { note "FAIL: $*"; exit 1; }
pass() { note "ok: $*"; }

for tool in Xvfb xdpyinfo xdotool xwininfo timeout; do
  command -v "$tool" >/dev/null || fail "$tool is missing (tools/install-deps.sh installs it)"
done
[ -x "$tovra" ] || fail "no Tovra at $tovra"
start_xvfb 1024x768 || fail "Xvfb did not start"

search_up() {
  local w
  w=$(window_named "Tovra! Web Search" "$1") && is_viewable "$w" && has_focus "$w"
}
search_down() { local w; w=$(window_named "Tovra! Web Search" "$1") && ! is_viewable "$w"; }

# The hot key is registered once the Open event has run; until then a press does nothing.
answers_hot_key() {
  local pid=$1
  for _ in 1 2 3 4 5; do
    kill -0 "$pid" 2>/dev/null || return 1
    xdotool key F3
    if wait_until 3 search_up "$pid"; then
      xdotool key Escape
      wait_until 3 search_down "$pid"
      return
    fi
  done
  return 1
}

folder_state() { (cd "$XDG_CONFIG_HOME" && find . -printf '%p %s %T@ %m\n' | sort); }

"$tovra" >"$out/first.log" 2>&1 &
first_pid=$!
answers_hot_key "$first_pid" || fail "the first Tovra does not answer F3"
before=$(folder_state)

timeout 10 "$tovra" >"$out/second.out" 2>"$out/second.err"
status=$?
[ "$status" = 0 ] || fail "the second start ended with status $status (124: still running after 10 s)"
grep -qx "Tovra is already running." "$out/second.err" ||
  fail "the second start said \"$(cat "$out/second.err")\" on standard error"
[ "$(folder_state)" = "$before" ] || fail "the second start changed the preferences folder"
pass "a second start on the same folder says \"Tovra is already running.\", exits 0, changes nothing"

answers_hot_key "$first_pid" || fail "after the second start the first Tovra no longer answers F3"
pass "the first Tovra keeps running and answering the hot key"

kill -9 "$first_pid"
wait "$first_pid" 2>/dev/null
first_pid=""
"$tovra" >"$out/third.log" 2>&1 &
third_pid=$!
answers_hot_key "$third_pid" || fail "a start after the first was killed does not run and answer F3"
pass "after the running copy is killed with SIGKILL, a new start runs and has the hot key"

note "PASS"

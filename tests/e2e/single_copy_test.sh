#!/usr/bin/env bash
# One running Tovra per preferences folder, with the real executable on a private X server: a
# second start on the same folder brings up the first's search window, says so on standard error,
# exits 0 and changes nothing, while the first keeps its hot key, also after "stale" lock files are
# removed; a start by another user (as with sudo) is refused the same way but does not reach the
# first, and a start while the first is stopped (SIGSTOP) ends at once all the same. Once the first
# is killed with SIGKILL, a new start runs. Where no lock can be had at all, Tovra says so and runs.
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

# A second start, with any command before it ($@); it must say that Tovra runs and change nothing.
second_start_is_refused() {
  timeout 10 "$@" "$tovra" >"$out/second.out" 2>"$out/second.err"
  status=$?
  [ "$status" = 0 ] || fail "the second start ended with status $status (124: still running after 10 s)"
  grep -qx "Tovra is already running." "$out/second.err" ||
    fail "the second start said \"$(cat "$out/second.err")\" on standard error"
  [ "$(folder_state)" = "$before" ] || fail "the second start changed the preferences folder"
}

# Run by the user who runs the first, the second start also brings up the first's search window.
second_start_brings_up_the_first() {
  second_start_is_refused
  wait_until 3 search_up "$first_pid" || fail "the second start did not bring up the first's search window"
  xdotool key Escape
  wait_until 3 search_down "$first_pid" || fail "the search window brought up by a second start does not go"
}

second_start_brings_up_the_first
pass "a second start on the same folder brings up the first's search window, says \"Tovra is already running.\", exits 0, changes nothing"

# People remove lock files they take for stale; the running copy must still be found.
find "$XDG_CONFIG_HOME" -mindepth 1 -name '*.lock' -delete
before=$(folder_state)
second_start_brings_up_the_first
pass "removing lock files from the folder lets no second copy in"

if [ "$(id -u)" != 0 ]; then
  note "skipped: a start as another user needs root"
elif ! setpriv --reuid=65534 --regid=65534 --clear-groups test -x "$tovra" -a -r "$XDG_CONFIG_HOME"; then
  note "skipped: nobody cannot reach $tovra or $XDG_CONFIG_HOME"
else
  second_start_is_refused setpriv --reuid=65534 --regid=65534 --clear-groups
  sleep 0.5
  search_down "$first_pid" || fail "a second start as another user brought up the first's search window"
  pass "a second start as another user on the same folder is refused the same way and does not reach the first"
fi

# A copy that does not answer holds no second start up.
kill -STOP "$first_pid"
started=$(date +%s%N)
second_start_is_refused
elapsed=$(( ($(date +%s%N) - started) / 1000000 ))
kill -CONT "$first_pid"
[ "$elapsed" -lt 3000 ] || fail "a second start took $elapsed ms while the first was stopped"
wait_until 3 search_up "$first_pid" || fail "once it runs again, the stopped copy does not bring up its search window"
xdotool key Escape
wait_until 3 search_down "$first_pid" || fail "the search window of the copy that was stopped does not go"
pass "a second start while the first is stopped ends in $elapsed ms; the first comes up once it runs again"

answers_hot_key "$first_pid" || fail "after the second start the first Tovra no longer answers F3"
pass "the first Tovra keeps running and answering the hot key"

kill -9 "$first_pid"
wait "$first_pid" 2>/dev/null
first_pid=""
"$tovra" >"$out/third.log" 2>&1 &
third_pid=$!
answers_hot_key "$third_pid" || fail "a start after the first was killed does not run and answer F3"
pass "after the running copy is killed with SIGKILL, a new start runs and has the hot key"
stop_processes "$third_pid"
third_pid=""

# A preferences "folder" that is a file: no lock can be had there.
: >"$out/not-a-folder"
XDG_CONFIG_HOME="$out/not-a-folder" "$tovra" >"$out/unlocked.out" 2>"$out/unlocked.err" &
third_pid=$!
answers_hot_key "$third_pid" || fail "without a lock Tovra does not run and answer F3"
grep -q "cannot lock its preferences folder" "$out/unlocked.err" ||
  fail "without a lock Tovra said \"$(cat "$out/unlocked.err")\" on standard error"
pass "where no lock can be had, Tovra says so on standard error and runs"

note "PASS"

# Helpers for driving Tovra on a private X server: start and stop, time-bounded waits, window
# facts from xwininfo. Sourced by the desktop tests and the hot key benchmark.

# Starts Xvfb on a display number it picks itself; sets DISPLAY and XVFB_PID.
start_xvfb() {
  local size=$1 fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  # -noreset: the server would otherwise reset each time its last client left, and a client
  # connecting meanwhile (a window manager, Tovra) would be turned away.
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  local number
  if ! read -r -t 10 number <"$fifo"; then
    rm -f "$fifo"
    echo "Xvfb did not start" >&2
    return 1
  fi
  rm -f "$fifo"
  export DISPLAY=":$number"
  # Seen once in many runs: the number came before a client could connect.
  wait_until 10 xdpyinfo >/dev/null 2>&1 || { echo "Xvfb on $DISPLAY takes no clients" >&2; return 1; }
}

# The first window, mapped or not, whose title is exactly $1 and whose process is $2. GTK makes a
# window's X window when it is first shown.
window_named() {
  local id
  for id in $(xdotool search --all --pid "$2" --name "^$1\$" 2>/dev/null); do
    echo "$id"
    return 0
  done
  return 1
}

# Without a window id xwininfo waits for the user to click a window: a window that went between
# two looks must not hang the test.
map_state() { [ -n "$1" ] && xwininfo -id "$1" 2>/dev/null | sed -n 's/^ *Map State: //p'; }
is_viewable() { [ "$(map_state "$1")" = IsViewable ]; }
has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

# Repeats the command (a shell function or program) every 20 ms until it succeeds, at most $1
# seconds; fails when time runs out.
wait_until() {
  local limit=$1 start
  shift
  start=$(date +%s%N)
  until "$@"; do
    if [ $(( ($(date +%s%N) - start) / 1000000 )) -ge $((limit * 1000)) ]; then return 1; fi
    sleep 0.02
  done
}

# "X Y WIDTH HEIGHT" of a window on the screen.
window_box() {
  [ -n "$1" ] || return 1
  xwininfo -id "$1" | awk '
    /Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF }
    /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF }
    END { print x, y, w, h }'
}

# Kills each process id given, if it still runs, and waits for it.
stop_processes() {
  local pid
  for pid in "$@"; do
    [ -n "$pid" ] || continue
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}

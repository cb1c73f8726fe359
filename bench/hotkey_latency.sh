#!/usr/bin/env bash
# How fast the hot key brings up the search window, and what Tovra holds in memory.
#
#   bench/hotkey_latency.sh [TOVRA] [PRESSES]
#
# Under a private Xvfb it presses F3 PRESSES times (at least 50; 100 by default) and prints the
# median and 90th percentile of the time from the press to the search window being mapped and
# holding the keyboard focus. It prints RssAnon and VmRSS from /proc/PID/status after start-up
# and after 100 searches (F3, "google foo bar", Return, Escape). The presses and the waits are
# made by a small X client compiled here, so each time is read to the microsecond, not at the
# pace of starting xdotool.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
tovra=${1:-$root/build/bin/Tovra}
presses=${2:-100}
[ "$presses" -ge 50 ] || { echo "press at least 50 times" >&2; exit 2; }
source "$root/bench/probe_setup.sh"

cat >"$work/probe.c" <<'PROBE'
/* probe latency N | probe searches N: presses F3 through XTest and waits on X events. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static Display *d;
#include "x_probe.h"
static Window root, target;

static int is_search_window(Window w) {
  char *name = NULL;
  int yes = XFetchName(d, w, &name) && name && strcmp(name, "Tovra! Web Search") == 0;
  if (name) XFree(name);
  return yes;
}

static int viewable(Window w) {
  XWindowAttributes a;
  return XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable;
}

static int focused(Window w) {
  Window f;
  int revert;
  XGetInputFocus(d, &f, &revert);
  return f == w;
}

/* Waits until the search window is mapped (or unmapped) and, when mapped, has the focus. */
static int wait_for(int shown, double limit_ms) {
  double start = now_ms();
  while (now_ms() - start < limit_ms) {
    while (XPending(d)) {
      XEvent e;
      XNextEvent(d, &e);
      if (e.type == MapNotify && !target && is_search_window(e.xmap.window)) target = e.xmap.window;
    }
    if (target && shown && viewable(target) && focused(target)) return 1;
    if (target && !shown && !viewable(target)) return 1;
    struct timespec pause = {0, 100000};
    nanosleep(&pause, NULL);
  }
  return 0;
}

static void type_text(const char *text) {
  for (; *text; ++text) key(*text == ' ' ? XK_space : (KeySym)*text);
}

int main(int argc, char **argv) {
  if (argc != 3 || !(d = XOpenDisplay(NULL))) return 2;
  int n = atoi(argv[2]);
  root = DefaultRootWindow(d);
  XSelectInput(d, root, SubstructureNotifyMask);
  /* The hot key is there once the application's Open event has run: press until it answers. */
  int ready = 0;
  for (int i = 0; i < 20 && !ready; ++i) {
    key(XK_F3);
    ready = wait_for(1, 1000);
  }
  if (!ready) { fprintf(stderr, "the search window never came\n"); return 1; }
  key(XK_Escape);
  if (!wait_for(0, 2000)) return 1;

  if (strcmp(argv[1], "latency") == 0) {
    double *times = calloc((size_t)n, sizeof *times);
    for (int i = 0; i < n; ++i) {
      double start = now_ms();
      key(XK_F3);
      if (!wait_for(1, 2000)) { fprintf(stderr, "press %d: no window\n", i + 1); return 1; }
      times[i] = now_ms() - start;
      key(XK_F3); /* the hot key again puts the window away */
      if (!wait_for(0, 2000)) { fprintf(stderr, "press %d: the window stayed\n", i + 1); return 1; }
    }
    qsort(times, (size_t)n, sizeof *times, compare_ms);
    printf("%.2f %.2f %.2f %.2f\n", times[n / 2], times[(n * 9 + 9) / 10 - 1], times[0], times[n - 1]);
    return 0;
  }
  for (int i = 0; i < n; ++i) {
    key(XK_F3);
    if (!wait_for(1, 2000)) { fprintf(stderr, "search %d: no window\n", i + 1); return 1; }
    type_text("google foo bar");
    key(XK_Return);
    key(XK_Escape);
    if (!wait_for(0, 2000)) { fprintf(stderr, "search %d: the window stayed\n", i + 1); return 1; }
  }
  return 0;
}
PROBE
build_probe

# The browser's stand-in counts the searches.
mkdir -p "$work/bin" "$work/config"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s/urls.txt"\n' "$work" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
: >"$work/urls.txt"

start_xvfb 1280x1024
PATH="$work/bin:$PATH" XDG_CONFIG_HOME="$work/config" "$tovra" >"$work/tovra.log" 2>&1 &
tovra_pid=$!

memory() { awk '/^(RssAnon|VmRSS):/ { printf "%s %s kB  ", $1, $2 }' "/proc/$tovra_pid/status"; echo; }

# Started: the hot key has answered once, and the window is put away again.
"$work/probe" searches 0 || { cat "$work/tovra.log" >&2; exit 1; }
sleep 0.5
echo "memory after start-up:      $(memory)"

read -r median p90 fastest slowest < <("$work/probe" latency "$presses")
echo "hot key to window mapped and focused, $presses presses: median ${median} ms, 90th percentile ${p90} ms (fastest ${fastest}, slowest ${slowest})"

"$work/probe" searches 100
searches_done() { [ "$(wc -l <"$work/urls.txt")" -ge 100 ]; }
wait_until 10 searches_done || true
sleep 0.5
echo "searches handed to xdg-open: $(wc -l <"$work/urls.txt")"
echo "memory after 100 searches:  $(memory)"

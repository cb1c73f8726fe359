#!/usr/bin/env bash
# How fast the list windows open on a long list, and whether their memory comes back.
#
#   bench/list_windows.sh [TOVRA] [ROUNDS]
#
# Under a private Xvfb, once with 17 macros and once with 65,535, it opens the completion dialog
# (Tab on an empty search line lists every macro) and the preferences editor (Ctrl+,) ROUNDS times
# each in quick succession (20 by default), closing each with Escape. For each window it prints
# the median and slowest time from the key to the window answering a key: mapped with the
# keyboard focus, and the Escape pressed then having closed it. It prints the private memory
# (Private_Clean + Private_Dirty of /proc/PID/smaps_rollup) after start-up, after one window of
# each kind, just after the rounds and a second later. Keys and waits are made by a small X client compiled here, so each
# time is read to the tenth of a millisecond.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
tovra=${1:-$root/build/bin/Tovra}
rounds=${2:-20}
source "$root/bench/probe_setup.sh"

cat >"$work/probe.c" <<'PROBE'
/* probe prefs FILE COUNT: writes a preferences file of COUNT macros (hot key F3, no modifier).
 * probe completion N | probe editor N: opens and closes that window N times, prints the median
 * and slowest milliseconds to mapped-with-focus and to the Escape answered. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static Display *d;
#include "x_probe.h"

static void put16(FILE *f, unsigned v) { fputc((v >> 8) & 0xFF, f); fputc(v & 0xFF, f); }
static void pstring(FILE *f, const char *s) { fputc((int)strlen(s), f); fputs(s, f); }

static int write_prefs(const char *path, int count) {
  FILE *f = fopen(path, "wb");
  if (!f) return 1;
  put16(f, 0); put16(f, 1); /* format version 1, a big-endian long */
  pstring(f, "none");
  pstring(f, "f3");
  put16(f, (unsigned)count);
  for (int i = 0; i < count; ++i) {
    char name[16], body[64];
    snprintf(name, sizeof name, "m%05d", i);
    snprintf(body, sizeof body, "http://search.example.com/%05d?q=^0", i);
    pstring(f, name);
    put16(f, (unsigned)strlen(body));
    fputs(body, f);
  }
  return fclose(f) != 0;
}

static int ignore_errors(Display *dpy, XErrorEvent *e) { (void)dpy; (void)e; return 0; }

static int named(Window w, const char *title) {
  char *name = NULL;
  int yes = XFetchName(d, w, &name) && name && strcmp(name, title) == 0;
  if (name) XFree(name);
  return yes;
}

static int up(Window w) {
  XWindowAttributes a;
  Window f;
  int revert;
  if (!w || !XGetWindowAttributes(d, w, &a) || a.map_state != IsViewable) return 0;
  XGetInputFocus(d, &f, &revert);
  return f == w;
}

static int gone(Window w) {
  XWindowAttributes a;
  return !XGetWindowAttributes(d, w, &a) || a.map_state != IsViewable;
}

/* The newest mapped window of that title, once it is up, or 0 after limit_ms. */
static Window wait_up(const char *title, Window *seen, double limit_ms) {
  double start = now_ms();
  while (now_ms() - start < limit_ms) {
    while (XPending(d)) {
      XEvent e;
      XNextEvent(d, &e);
      if (e.type == MapNotify && named(e.xmap.window, title)) *seen = e.xmap.window;
    }
    if (up(*seen)) return *seen;
    struct timespec pause = {0, 100000};
    nanosleep(&pause, NULL);
  }
  return 0;
}

static int wait_gone(Window w, double limit_ms) {
  double start = now_ms();
  while (now_ms() - start < limit_ms) {
    if (gone(w)) return 1;
    struct timespec pause = {0, 100000};
    nanosleep(&pause, NULL);
  }
  return 0;
}

static Window search;

/* The search window comes back by itself after a completion; after the editor, F3 brings it. */
static int search_up(void) {
  if (search && wait_up("Tovra! Web Search", &search, 300)) return 1;
  for (int i = 0; i < 20; ++i) {
    key(XK_F3);
    if (wait_up("Tovra! Web Search", &search, 1000)) return 1;
  }
  return 0;
}

int main(int argc, char **argv) {
  if (argc == 4 && strcmp(argv[1], "prefs") == 0) return write_prefs(argv[2], atoi(argv[3]));
  if (argc != 3 || !(d = XOpenDisplay(NULL))) return 2;
  XSetErrorHandler(ignore_errors);
  int n = atoi(argv[2]), editor = strcmp(argv[1], "editor") == 0;
  const char *title = editor ? "Tovra! Preferences" : "Completions";
  XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
  double *mapped = calloc((size_t)n + 1, sizeof *mapped), *answered = calloc((size_t)n + 1, sizeof *answered);
  for (int i = 0; i < n; ++i) {
    if (!search_up()) { fprintf(stderr, "the search window never came\n"); return 1; }
    Window w = 0;
    double start = now_ms();
    if (editor) key_with(XK_comma, XK_Control_L); else key(XK_Tab);
    if (!wait_up(title, &w, 5000)) { fprintf(stderr, "round %d: no \"%s\" window\n", i + 1, title); return 1; }
    mapped[i] = now_ms() - start;
    key(XK_Escape);
    if (!wait_gone(w, 5000)) { fprintf(stderr, "round %d: Escape left \"%s\" up\n", i + 1, title); return 1; }
    answered[i] = now_ms() - start;
  }
  qsort(mapped, (size_t)n, sizeof *mapped, compare_ms);
  qsort(answered, (size_t)n, sizeof *answered, compare_ms);
  printf("%.1f %.1f %.1f %.1f\n", mapped[n / 2], mapped[n - 1], answered[n / 2], answered[n - 1]);
  return 0;
}
PROBE
build_probe

private_mb() {
  awk '/^Private_(Clean|Dirty):/ { kb += $2 } END { printf "%.1f", kb / 1024 }' "/proc/$tovra_pid/smaps_rollup"
}

start_xvfb 1280x1024
for count in 17 65535; do
  config="$work/config-$count"
  mkdir -p "$config"
  "$work/probe" prefs "$config/Tovra! Preferences.tovraprefs" "$count"
  XDG_CONFIG_HOME="$config" "$tovra" >"$work/tovra-$count.log" 2>&1 &
  tovra_pid=$!
  # Started: the hot key has answered once.
  "$work/probe" completion 0 >/dev/null || { cat "$work/tovra-$count.log" >&2; exit 1; }
  sleep 1
  started=$(private_mb)
  "$work/probe" completion 1 >/dev/null || { cat "$work/tovra-$count.log" >&2; exit 1; }
  "$work/probe" editor 1 >/dev/null || { cat "$work/tovra-$count.log" >&2; exit 1; }
  sleep 1
  before=$(private_mb)
  read -r c_mapped c_mapped_max c_ready c_ready_max < <("$work/probe" completion "$rounds")
  read -r e_mapped e_mapped_max e_ready e_ready_max < <("$work/probe" editor "$rounds")
  just_after=$(private_mb)
  sleep 1
  later=$(private_mb)
  echo "$count macros:"
  echo "  completion dialog, Tab to mapped with focus: median $c_mapped ms (slowest $c_mapped_max);" \
       "to Escape answered: median $c_ready ms (slowest $c_ready_max)"
  echo "  preferences editor, Ctrl+, to mapped with focus: median $e_mapped ms (slowest $e_mapped_max);" \
       "to Escape answered: median $e_ready ms (slowest $e_ready_max)"
  echo "  private memory: $started MB after start-up; $before MB after one of each; $just_after MB just after $rounds of each;" \
       "$later MB a second later"
  stop_processes "$tovra_pid"
  tovra_pid=""
done

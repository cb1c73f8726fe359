/* What the X probes of the desktop measurements share: a clock, key presses through XTest and
 * an order for sorting times. The probe defines `d`, its display, before including this. */
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <time.h>

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

/* Presses and lets go of `sym`, with `modifier` (a modifier key's keysym, or 0) held. */
static void key_with(KeySym sym, KeySym modifier) {
  KeyCode modifier_code = modifier ? XKeysymToKeycode(d, modifier) : 0, code = XKeysymToKeycode(d, sym);
  if (modifier_code) XTestFakeKeyEvent(d, modifier_code, True, CurrentTime);
  XTestFakeKeyEvent(d, code, True, CurrentTime);
  XTestFakeKeyEvent(d, code, False, CurrentTime);
  if (modifier_code) XTestFakeKeyEvent(d, modifier_code, False, CurrentTime);
  XFlush(d);
}

static void key(KeySym sym) { key_with(sym, 0); }

static int compare_ms(const void *a, const void *b) {
  double x = *(const double *)a, y = *(const double *)b;
  return x < y ? -1 : x > y;
}

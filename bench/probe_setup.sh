# Sourced by the desktop measurements: checks TOVRA and the X development files, starts nothing,
# makes a scratch folder ($work) that goes at exit with Tovra and Xvfb, and gives build_probe,
# which compiles $work/probe.c against bench/x_probe.h.
[ -x "$tovra" ] || { echo "no Tovra at $tovra: build it first" >&2; exit 2; }
pkg-config --exists x11 xtst || { echo "the X11 and XTest development files are missing" >&2; exit 2; }
source "$root/tests/e2e/desktop_lib.sh"

work=$(mktemp -d)
tovra_pid="" XVFB_PID=""
cleanup() { stop_processes "$tovra_pid" "$XVFB_PID"; rm -rf "$work"; }
trap cleanup EXIT

build_probe() {
  cc -O2 -I"$root/bench" -o "$work/probe" "$work/probe.c" $(pkg-config --cflags --libs x11 xtst)
}

#!/usr/bin/env bash
# Tovra on a private X server, driven the way a user drives it: the hot key, typing, Tab
# completion, Return handing the URL to the desktop's opener, Escape, a message box, the
# preferences editor and its text prompt, the About box from the menu, another application taking
# the front, a second instance that cannot have the hot key, and Quit.
#
#   desktop_test.sh TOVRA OUT_DIR [WINDOW_MANAGER]
#
# OUT_DIR gets desktop-test.log, Tovra's own log, and the screenshots search-window.png and
# completion-dialog.png. With WINDOW_MANAGER (a program such as metacity) the same runs under
# that window manager, with its frames, placement and focus rules.
set -uo pipefail

tovra=$1
out=$2
window_manager=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/desktop_lib.sh"

screen_width=1280
screen_height=1024
google_url="https://www.google.com/search?q=foo+bar&start=0&start=0&ie=utf-8&oe=utf-8&client=mozilla&rls=org.mozilla:en-US:unofficial"
wiki_url="https://en.wikipedia.org/wiki/Special:Search?search=&go=Go"

rm -rf "$out"
mkdir -p "$out/bin" "$out/config" "$out/config-second"
log="$out/desktop-test.log"
: >"$log"

tovra_pid="" second_pid="" other_pid="" server_key_pid="" shifted_pid="" wm_pid="" XVFB_PID=""
cleanup() {
  stop_processes "$tovra_pid" "$second_pid" "$other_pid" "$server_key_pid" "$shifted_pid" "$wm_pid" "$XVFB_PID"
}
trap cleanup EXIT

note() { echo "$*" | tee -a "$log"; }
fail() {
  note "FAIL: $*"
  if [ -n "${DISPLAY:-}" ] && import -window root "$out/failure.png" 2>/dev/null; then
    note "the screen at the failure: $out/failure.png"
  fi
  note "--- Tovra's log:"
  cat "$out/tovra.log" >>"$log" 2>/dev/null
  exit 1
}
pass() { note "ok: $*"; }

for tool in Xvfb xdpyinfo xdotool xwininfo import convert; do
  command -v "$tool" >/dev/null || fail "$tool is missing (tools/install-deps.sh installs it)"
done
[ -x "$tovra" ] || fail "no Tovra at $tovra"

# The desktop's URL opener, standing in for the browser: it records what it is given.
cat >"$out/bin/xdg-open" <<'OPENER'
#!/bin/sh
if [ $# -ne 1 ]; then echo "expected one argument, got $#: $*" >>"$TOVRA_E2E_URLS"; exit 1; fi
printf '%s\n' "$1" >>"$TOVRA_E2E_URLS"
OPENER
chmod +x "$out/bin/xdg-open"
export TOVRA_E2E_URLS="$out/urls.txt"
: >"$TOVRA_E2E_URLS"
export PATH="$out/bin:$PATH"

start_xvfb "${screen_width}x${screen_height}" || fail "Xvfb did not start"
note "display $DISPLAY"
if [ -n "$window_manager" ]; then
  "$window_manager" >"$out/window-manager.log" 2>&1 &
  wm_pid=$!
  wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
  wait_until 10 wm_running || fail "$window_manager did not start"
  note "window manager $window_manager"
fi

XDG_CONFIG_HOME="$out/config" "$tovra" >"$out/tovra.log" 2>&1 &
tovra_pid=$!

search_window() { window_named "Tovra! Web Search" "$tovra_pid"; }
search_up() { local w; w=$(search_window) && is_viewable "$w" && has_focus "$w"; }
search_down() { ! is_viewable "$(search_window)"; }

# The hot key is registered once the application's Open event has run; until then a press does
# nothing, so the first press is repeated until the window comes.
shown=no
for _ in 1 2 3 4 5; do
  kill -0 "$tovra_pid" 2>/dev/null || fail "Tovra ended at start-up"
  xdotool key F3
  if wait_until 3 search_up; then shown=yes; break; fi
done
if [ $shown = no ]; then
  if xdotool search --all --onlyvisible --pid "$tovra_pid" >/dev/null 2>&1; then
    fail "F3 did not bring up the search window; Tovra shows another window, a message at start-up"
  fi
  fail "F3 did not bring up the search window with the focus"
fi
search=$(search_window)
pass "F3 maps \"Tovra! Web Search\" and it has the keyboard focus"

read -r x y width height < <(window_box "$search")
expected_x=$(( (screen_width - 334) / 2 ))
expected_y=$(( (screen_height - 64) / 2 ))
[ "$x" = "$expected_x" ] && [ "$y" = "$expected_y" ] && [ "$width" = 334 ] && [ "$height" -ge 64 ] ||
  fail "search window at $x,$y size ${width}x$height; expected $expected_x,$expected_y width 334"
pass "search window centred: $x,$y ${width}x$height (the menu bar adds $((height - 64)) above the layout's 64)"
menu_height=$((height - 64))

# The search line is the label at 20,24, 294x20 below the menu bar: one colour when it is empty.
line_colours() {
  import -window "$search" "$out/line.png" 2>/dev/null &&
    convert "$out/line.png" -crop "294x20+20+$((menu_height + 24))" +repage -format %k info:
}

line_shows_text() { [ "$(line_colours)" -gt 1 ] 2>/dev/null; }
line_is_empty() { [ "$(line_colours)" = 1 ]; }

urls_count() { wc -l <"$TOVRA_E2E_URLS"; }
urls_reach() { [ "$(urls_count)" -ge "$1" ]; }
# expect_url N URL WHAT: the Nth URL handed to xdg-open is exactly URL.
expect_url() {
  wait_until 5 urls_reach "$1" || fail "$3 handed no URL to xdg-open"
  local got
  got=$(sed -n "$1p" "$TOVRA_E2E_URLS")
  [ "$got" = "$2" ] || fail "$3 gave xdg-open \"$got\", expected \"$2\""
}

xdotool type --delay 25 "google foo bar"
wait_until 3 line_shows_text || fail "the typed line does not show"
import -window "$search" "$out/search-window.png" || fail "no screenshot of the search window"
xdotool key Return
expect_url 1 "$google_url" "Return"
pass "google foo bar + Return hands exactly the google URL to xdg-open, as its one argument"

no_zombie() { ! ps -o stat= --ppid "$tovra_pid" | grep -q Z; }
wait_until 3 no_zombie || fail "the URL opener was left a zombie"
pass "the URL opener's process was reaped"

xdotool key Escape
wait_until 3 search_down || fail "Escape did not hide the search window"
pass "Escape hides the search window"

xdotool key F3
wait_until 3 search_up || fail "F3 did not bring the search window back"
line_is_empty || fail "the search line is not empty after F3"
read -r x y _ < <(window_box "$search")
[ "$x" = "$expected_x" ] && [ "$y" = "$expected_y" ] ||
  fail "shown again, the search window is at $x,$y; expected $expected_x,$expected_y"
pass "F3 shows the window again, centred where it was, with an empty line"

# A line longer than the label shows its end, where the next character goes.
line_end() {
  import -window "$search" "$out/line.png" 2>/dev/null &&
    convert "$out/line.png" -crop "60x20+254+$((menu_height + 24))" +repage -depth 8 rgb:- | md5sum
}
xdotool type --delay 10 "google the quick brown fox jumps over the lazy dog and runs on"
sleep 0.3
long_line_end=$(line_end)
xdotool type x
line_end_moved() { [ "$(line_end)" != "$long_line_end" ]; }
wait_until 3 line_end_moved || fail "a line longer than the label does not show a character typed at its end"
xdotool key Escape F3
wait_until 3 search_up && line_is_empty || fail "Escape and F3 did not bring the search window back empty"
pass "a line longer than the label shows its end as it is typed"

# Dragged by hand, the search window is where the completion dialog opens beside.
xdotool windowmove "$search" 200 150
search_moved() { [ "$(window_box "$search" | cut -d' ' -f1-2)" = "200 150" ]; }
wait_until 3 search_moved || fail "the search window did not move to 200,150"

xdotool type w
xdotool key Tab
completions() { window_named "Completions" "$tovra_pid"; }
completions_up() { local d; d=$(completions) && is_viewable "$d" && has_focus "$d"; }
wait_until 3 completions_up || fail "Tab after w opened no \"Completions\" dialog with the focus"
read -r x y _ < <(window_box "$(completions)")
[ "$x" = 220 ] && [ "$y" = 170 ] ||
  fail "the completion dialog is at $x,$y; expected 220,170, 20 right of and below the moved search window"
pass "the completion dialog opens 20 right of and below the search window where the user moved it"
import -window "$(completions)" "$out/completion-dialog.png" || fail "no screenshot of the completion dialog"
pass "Tab after w opens the modal dialog \"Completions\""

xdotool key Return
completions_gone() { ! completions >/dev/null || ! is_viewable "$(completions)"; }
wait_until 3 completions_gone || fail "Return did not close the completion dialog"
wait_until 3 search_up || fail "the search window did not come back after the completion"
xdotool key Return
expect_url 2 "$wiki_url" "Return after the completion"
pass "Return in the dialog writes \"wiki \" into the line: the next Return opens the wiki search"

# A name without a macro: the message box takes the keyboard focus, and once it is answered the
# search window has it back.
xdotool key Escape F3
wait_until 3 search_up || fail "F3 did not bring the search window back"
xdotool type --delay 25 "nosuch"
xdotool key Return
tovra_focus_elsewhere() { local f; f=$(xdotool getwindowfocus) && [ "$f" != "$search" ] &&
  xdotool search --all --onlyvisible --pid "$tovra_pid" 2>/dev/null | grep -qx "$f"; }
wait_until 3 tovra_focus_elsewhere || fail "no message box with the focus for a name without a macro"
message_box=$(xdotool getwindowfocus)
# The hot key while the box waits brings the box forward and does nothing later.
xdotool key F3
sleep 0.2
has_focus "$message_box" || fail "F3 took the focus from the waiting message box"
xdotool key Return
wait_until 3 search_up || fail "the search window did not get the focus back after the message box"
pass "a name without a macro shows a message box with the focus; answered, the focus is back"

# The preferences editor: Ctrl+, (the menu's Cmd+,), a new macro named in the text prompt, its
# template edited in the text field, Done. The hot key is registered anew, and the new macro works.
xdotool key ctrl+comma
preferences() { window_named "Tovra! Preferences" "$tovra_pid"; }
preferences_up() { local p; p=$(preferences) && is_viewable "$p" && has_focus "$p"; }
wait_until 3 preferences_up || fail "Ctrl+, opened no \"Tovra! Preferences\" window"
prefs=$(preferences)
# The command again, from the search window over it, brings back the same editor.
xdotool key F3
wait_until 3 search_up || fail "F3 did not bring the search window up over the preferences"
xdotool key ctrl+comma
wait_until 3 preferences_up || fail "Ctrl+, again did not bring the preferences back to the front"
[ "$(xdotool search --all --pid "$tovra_pid" --name "^Tovra! Preferences\$" | wc -l)" = 1 ] ||
  fail "Ctrl+, again opened a second preferences window"
pass "Ctrl+, with the editor open brings that editor to the front, with the focus"
click_at() { xdotool mousemove --window "$1" "$2" "$3" click 1; }
click_at "$prefs" 320 77  # New
prompt_up() { local f; f=$(xdotool getwindowfocus) && [ "$f" != "$prefs" ] && is_viewable "$f" &&
  [ "$(window_box "$f" | cut -d' ' -f3-)" = "370 120" ]; }
wait_until 3 prompt_up || fail "New opened no text prompt"
prompt=$(xdotool getwindowfocus)
# Cut takes the selected "qq" only; Paste later puts it where the cursor is.
xdotool type --delay 25 "zzqq"
xdotool key shift+Left shift+Left ctrl+x
xdotool key Return
wait_until 3 has_focus "$prefs" || fail "Return did not close the text prompt"
! is_viewable "$prompt" || fail "the text prompt is still up"
click_at "$prefs" 200 400  # into the template of the new macro
xdotool key ctrl+End
xdotool type --delay 25 "&x="
xdotool key ctrl+v
click_at "$prefs" 340 469  # Done
prefs_gone() { ! preferences >/dev/null || ! is_viewable "$(preferences)"; }
wait_until 3 prefs_gone || fail "Done did not close the preferences"
[ -s "$out/config/Tovra! Preferences.tovraprefs" ] || fail "Done wrote no preferences file"
xdotool key F3
wait_until 3 search_up || fail "F3 did not bring up the search window after the preferences were saved"
xdotool type --delay 25 "zz a b"
xdotool key Return
expect_url 3 "http://search.example.com?query=a+b&x=qq" "the new macro"
pass "preferences: New names a macro in the prompt, Cut and Paste act on the selection and the cursor, the edited template is saved by Done and used"

# The About box from the File menu by mouse; its web address label opens the maker's site, and
# Return presses Done.
click_at "$search" 15 12
file_menu_up() { xdotool search --all --onlyvisible --pid "$tovra_pid" 2>/dev/null | grep -vqx "$search"; }
wait_until 3 file_menu_up || fail "a click on File opened no menu"
xdotool key Down Return
about() { window_named "About Tovra!" "$tovra_pid"; }
about_up() { local a; a=$(about) && is_viewable "$a" && has_focus "$a"; }
wait_until 3 about_up || fail "File > About Tovra! opened no About box"
click_at "$(about)" 150 115
expect_url 4 "http://tovra.example.org" "a click on the web address"
xdotool key Return
about_gone() { ! about >/dev/null || ! is_viewable "$(about)"; }
wait_until 3 about_gone || fail "Return did not close the About box"
pass "File > About by mouse; the web address opens the maker's site; Return closes the box"

xdotool key F3
wait_until 3 search_up || fail "F3 did not bring up the search window after the About box"
# Another application comes to the front, as the browser does after a search.
xmessage -name tovra-e2e-other -geometry +10+10 "another application" >/dev/null 2>&1 &
other_pid=$!
other_window() { xdotool search --onlyvisible --classname tovra-e2e-other 2>/dev/null | head -1 | grep .; }
wait_until 5 other_window >/dev/null || fail "the other application's window did not come up"
xdotool windowfocus "$(other_window)"
wait_until 3 search_down || fail "the search window stayed up when another application took the front"
pass "another application taking the front hides the search window"
stop_processes "$other_pid"
other_pid=""

# A second Tovra cannot grab the key the first holds, and says so.
XDG_CONFIG_HOME="$out/config-second" "$tovra" >"$out/tovra-second.log" 2>&1 &
second_pid=$!
message_up() { xdotool search --all --onlyvisible --pid "$second_pid" 2>/dev/null | grep -q .; }
wait_until 10 message_up || fail "a second Tovra showed no message about the hot key it could not have"
kill -0 "$tovra_pid" || fail "the first Tovra is gone"
pass "a second Tovra cannot register the hot key and shows a message"

# Ctrl+Alt+F1 is the X server's own (it switches terminals) and never reaches a client: a Tovra
# asking for it is told it cannot have the key. With Shift as well the key is F1 again, Tovra's.
write_preferences() {  # FOLDER MODIFIER KEY: a store holding that hot key and no macro
  mkdir -p "$1"
  { printf '\0\0\0\1'; printf "\\$(printf %03o ${#2})%s" "$2"; printf "\\$(printf %03o ${#3})%s" "$3"
    printf '\0\0'; } >"$1/Tovra! Preferences.tovraprefs"
}
write_preferences "$out/config-server-key" Option-Command-Control F1
XDG_CONFIG_HOME="$out/config-server-key" "$tovra" >"$out/tovra-server-key.log" 2>&1 &
server_key_pid=$!
server_key_message() { xdotool search --all --onlyvisible --pid "$server_key_pid" 2>/dev/null | grep -q .; }
wait_until 10 server_key_message ||
  fail "a Tovra with Option-Command-Control F1, which the X server keeps, showed no message"
stop_processes "$server_key_pid"
server_key_pid=""
pass "Option-Command-Control F1, a key the X server switches terminals with, is refused with a message"

write_preferences "$out/config-shifted" Shift-Option-Command-Control F1
XDG_CONFIG_HOME="$out/config-shifted" "$tovra" >"$out/tovra-shifted.log" 2>&1 &
shifted_pid=$!
shifted_search_up() { local w; w=$(window_named "Tovra! Web Search" "$shifted_pid") && is_viewable "$w"; }
shown=no
for _ in 1 2 3 4 5; do
  xdotool key shift+super+ctrl+alt+F1
  if wait_until 2 shifted_search_up; then shown=yes; break; fi
done
[ $shown = yes ] || fail "Shift-Option-Command-Control F1 did not bring up that Tovra's search window"
stop_processes "$shifted_pid"
shifted_pid=""
pass "Shift-Option-Command-Control F1 reaches Tovra"

# The hot key changed by keyboard alone: Shift+Tab from the list reaches the tab strip, Left turns
# to the "Hot Key" page, Tab twice reaches the key's popup, Down picks F4. Tab on to Cancel, and
# Return there presses Cancel, not the default Done: F3 stays the hot key.
xdotool key F3
wait_until 3 search_up || fail "F3 did not bring up the search window before the keyboard-only editing"
xdotool key ctrl+comma
wait_until 3 preferences_up || fail "Ctrl+, opened no \"Tovra! Preferences\" window"
xdotool key --delay 100 shift+Tab Left Tab Tab Down Tab Tab Return
wait_until 3 prefs_gone || fail "Return on the focused Cancel did not close the editor"
xdotool key F3
wait_until 3 search_up || fail "Return on the focused Cancel saved the change: F3 is no longer the hot key"
pass "by keyboard alone, Return on the focused Cancel throws the editor's change away"

# Again, to Done: Return on the key's popup opens it, Down and Return choose F4 in it, Tab reaches
# Done and Space presses it.
xdotool key ctrl+comma
wait_until 3 preferences_up || fail "Ctrl+, opened no \"Tovra! Preferences\" window"
prefs=$(preferences)
xdotool mousemove 0 0  # the popup's rows take no row from a pointer resting on them
xdotool key --delay 100 shift+Tab Left Tab Tab Return
popup_up() { xdotool search --all --onlyvisible --pid "$tovra_pid" 2>/dev/null | grep -vqx "$prefs"; }
wait_until 3 popup_up || fail "Return on the focused key popup did not open it"
xdotool key --delay 100 Down Return Tab space
wait_until 3 prefs_gone || fail "Space on the focused Done did not close the editor"
f4_search_up=no
for _ in 1 2 3; do
  xdotool key F4
  if wait_until 2 search_up; then f4_search_up=yes; break; fi
done
[ $f4_search_up = yes ] || fail "the hot key chosen by keyboard alone, F4, did not bring up the search window"
pass "by keyboard alone the key's popup opens with Return, F4 is chosen in it and Done pressed with Space"

# Quit by the menu's shortcut: Tovra ends by itself, tearing its windows down, and a build with
# the sanitizers checks its memory on the way out, so a fault or a leak fails here.
xdotool key ctrl+q
tovra_ended() { local state; state=$(ps -o stat= -p "$tovra_pid" 2>/dev/null); [ -z "$state" ] || [[ $state == Z* ]]; }
wait_until 30 tovra_ended || fail "Ctrl+Q did not end Tovra"
wait "$tovra_pid"
status=$?
tovra_pid=""
[ "$status" = 0 ] ||
  fail "Tovra ended with status $status: $(grep -m 3 -E "ERROR: [A-Za-z]+Sanitizer|runtime error" "$out/tovra.log")"
pass "Ctrl+Q ends Tovra with status 0"

# GTK reports misuse (a key sent to a widget that is not on screen, say) on standard error.
! grep -E "CRITICAL|WARNING" "$out/tovra.log" >/dev/null ||
  fail "GTK reported faults: $(grep -E "CRITICAL|WARNING" "$out/tovra.log" | head -3)"
pass "GTK reported no fault in Tovra's log"

note "PASS"

#!/usr/bin/env bash
# End-to-end check of the window's geometry on the real program: it starts full screen in a
# window titled "ktu"; F1 gives the inset window at (35, 55) of (screen - 70) x (screen - 90);
# F1 again returns to full screen, and every later F1 restores the windowed geometry; Escape
# shrinks the window to 100 x 100 and the program exits with status 0.
# Usage: window.sh PROGRAM (needs DISPLAY; run through scripts/with-xvfb.sh).
set -u
program=${1:?usage: window.sh PROGRAM}
source "$(dirname "$0")/e2e-lib.sh"

read -r screen_w screen_h <<<"$(screen_size)"
full="0 0 $screen_w $screen_h"
inset="35 55 $((screen_w - 70)) $((screen_h - 90))"

start_app "$program"
trap stop_app EXIT
expect_geometry "$full" "start"

press F1
expect_geometry "$inset" "first F1"
press F1
expect_geometry "$full" "second F1"
press F1
expect_geometry "$inset" "third F1"
press F1
expect_geometry "$full" "fourth F1"

# The window lives only a few idle turns after Escape, too short to poll: its configure events
# are recorded instead.
events=$(mktemp /tmp/kt-e2e-xev.XXXXXX)
xev -id "$APP_WINDOW" -event structure >"$events" 2>/dev/null &
xev_pid=$!
sleep 0.3
press Escape
wait_exit "Escape" 5
sleep 0.2
kill "$xev_pid" 2>/dev/null
wait "$xev_pid" 2>/dev/null
trap - EXIT
grep -q 'width 100, height 100' "$events" || { cat "$events" >&2; rm -f "$events"; fail "Escape: no 100 x 100 configure event"; }
rm -f "$events"
echo "ok: Escape: window shrank to 100 x 100"
[ "$APP_STATUS" -eq 0 ] || fail "Escape: exit status $APP_STATUS, expected 0"
echo "ok: Escape: exit status 0"

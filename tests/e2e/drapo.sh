#!/usr/bin/env bash
# End to end: runs drapo on the X server in DISPLAY for a few seconds, checks from a screenshot
# that a green cloth is shown, then presses Escape and expects the program to end with status 0.
# Usage: e2e_cloth.sh path/to/drapo   (run through scripts/with-xvfb.sh)
set -u
drapo="$1"
for tool in import convert xdotool; do
  command -v "$tool" >/dev/null || { echo "e2e_cloth: $tool is not installed" >&2; exit 2; }
done
work=$(mktemp -d /tmp/kt-e2e-cloth.XXXXXX)
"$drapo" >"$work/stdout" 2>"$work/stderr" &
pid=$!
fail() {
  echo "e2e_cloth: $*" >&2
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  rm -rf "$work"
  exit 1
}

sleep 4
kill -0 "$pid" 2>/dev/null || fail "drapo ended before Escape"

# Green pixels: the cloth is drawn in pure green, lit, on a black background.
import -window root "$work/screen.png" || fail "no screenshot"
# Histogram lines look like "  1234: (  0,180,  0) #00B400 srgb(0,180,0)".
green=$(convert "$work/screen.png" -depth 8 -format %c histogram:info:- |
  awk -F'[:(),]' '{ r = $3 + 0; g = $4 + 0; b = $5 + 0; if (g > 40 && r < 20 && b < 20) n += $1 } END { print n + 0 }')
echo "e2e_cloth: $green green pixels"
[ "${green:-0}" -gt 20000 ] || fail "expected a green cloth, found $green green pixels"

# Escape goes to the focused window; with no window manager, focus the program's window first.
window=$(xdotool search --name '^ktu$' | head -n 1)
[ -n "$window" ] || fail "no window named ktu"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key Escape
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "drapo still running 10 s after Escape"
wait "$pid"
status=$?
[ "$status" -eq 0 ] || fail "drapo ended with status $status after Escape"
rm -rf "$work"
echo "e2e_cloth: ok"

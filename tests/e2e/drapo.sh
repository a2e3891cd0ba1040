#!/usr/bin/env bash
# End to end: runs drapo on the X server in DISPLAY for a few seconds, checks from a screenshot
# that a green cloth is shown, then presses Escape and expects the program to end with status 0.
# Usage: drapo.sh path/to/drapo   (run through scripts/with-xvfb.sh)
set -u
drapo=${1:?usage: drapo.sh PATH/TO/drapo}
source "$(dirname "$0")/../../scripts/e2e-lib.sh"
require_tools import convert xdotool
e2e_workdir
E2E_LOG="$E2E_WORK/drapo.log"

start_app --log "$E2E_LOG" "$drapo"
sleep 4
app_alive || fatal "drapo ended before Escape"

# Green pixels: the cloth is drawn in pure green, lit, on a black background.
import -window root "$E2E_WORK/screen.png" || fatal "no screenshot"
# Histogram lines look like "  1234: (  0,180,  0) #00B400 srgb(0,180,0)".
green=$(convert "$E2E_WORK/screen.png" -depth 8 -format %c histogram:info:- |
  awk -F'[:(),]' '{ r = $3 + 0; g = $4 + 0; b = $5 + 0; if (g > 40 && r < 20 && b < 20) n += $1 } END { print n + 0 }')
echo "drapo: $green green pixels"
[ "${green:-0}" -gt 20000 ] || fatal "expected a green cloth, found $green green pixels"

press Escape
wait_exit "Escape" 10
[ "$APP_STATUS" -eq 0 ] || fatal "drapo ended with status $APP_STATUS after Escape"
e2e_finish

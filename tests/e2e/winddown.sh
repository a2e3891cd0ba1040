#!/usr/bin/env bash
# End-to-end check of the shut-down: Escape, in full screen or in a window, ends the real
# program with exit status 0 within a few seconds.
# Usage: winddown.sh PROGRAM (needs DISPLAY; run through scripts/with-xvfb.sh).
set -u
program=${1:?usage: winddown.sh PROGRAM}
source "$(dirname "$0")/../../scripts/e2e-lib.sh"

for mode in fullscreen windowed; do
  start_app "$program"
  read -r screen_w screen_h <<<"$(screen_size)"
  expect_geometry "0 0 $screen_w $screen_h" "$mode: start"
  if [ "$mode" = windowed ]; then
    press F1
    expect_geometry "35 55 $((screen_w - 70)) $((screen_h - 90))" "$mode: F1"
  fi
  press Escape
  wait_exit "$mode: Escape" 3
  [ "$APP_STATUS" -eq 0 ] || fatal "$mode: exit status $APP_STATUS after Escape, expected 0"
  echo "ok: $mode: Escape ended the program with status 0"
done

#!/usr/bin/env bash
# End-to-end test of the README's hello example on a real X server (through scripts/with-xvfb.sh when
# there is no display): the orange triangle shows at its window-pixel place, a click reaches mouseDown in
# window pixels with y up, and 'q' ends the program with status 0. The optional arguments fit it to a
# program made by scripts/new-app.sh: its triangle colour, the name it prints clicks under, its quit key.
# Usage: e2e.sh PATH/TO/hello [COLOUR NAME KEY]   (defaults FF8000 hello q)
set -u
hello=${1:?usage: e2e.sh PATH/TO/hello [COLOUR NAME KEY]}
colour=${2:-FF8000}
name=${3:-hello}
quit=${4:-q}
E2E_NAME=e2e_hello
source "$(dirname "$0")/../../scripts/e2e-lib.sh"
require_tools xdotool import convert
e2e_workdir
work=$E2E_WORK
E2E_LOG="$work/hello.log"
log=$E2E_LOG

start_app --log "$log" "$hello"
wid=$APP_WINDOW

# pixel X Y: colour of window pixel (X, Y), origin bottom-left, in the X server's picture of the window.
pixel() {
  import -window "$wid" "$work/shot.png" 2>/dev/null
  convert "$work/shot.png" -format "%[hex:p{$1,$((winH - 1 - $2))}]" info: 2>/dev/null
}
shown=""
for n in $(seq 100); do
  eval "$(xdotool getwindowgeometry --shell "$wid")"; winH=$HEIGHT
  shown=$(pixel 200 150)
  [ "$shown" = "$colour" ] && break
  sleep 0.1
done
[ "$shown" = "$colour" ] || fatal "the triangle's inside (200, 150) is '$shown', not $colour"
[ "$(pixel 320 150)" = 000000 ] || fatal "right of the triangle is not the black background"

xdotool mousemove --window "$wid" 200 $((winH - 1 - 150)) click 1
wait_log "$name: button 0 at (200, 150)" || fatal "the click did not reach mouseDown at (200, 150)"

xdotool key "$quit"
await_exit 10 || fatal "'$quit' did not end the program"
[ "$APP_STATUS" -eq 0 ] || fatal "exit status $APP_STATUS after '$quit'"
echo "e2e_hello: $name passed"

#!/usr/bin/env bash
# End-to-end test of the viewer example on a real X server (run it through scripts/with-xvfb.sh when there
# is no display). Opens a red cube written here as a PLY model, far from the origin: it must appear red,
# centred and fitted to the window; a mouse drag (xdotool) must turn it, the wheel must enlarge it, 's' must
# write a record that `ktshape check` accepts and that the viewer opens again; Escape ends it with status 0.
# A file that cannot be read ends the viewer with status 1 and its message.
# Usage: e2e.sh PATH/TO/viewer PATH/TO/ktshape
set -u
viewer=${1:?usage: e2e.sh PATH/TO/viewer PATH/TO/ktshape}
ktshape=${2:?usage: e2e.sh PATH/TO/viewer PATH/TO/ktshape}
E2E_NAME=e2e_viewer
source "$(dirname "$0")/../../scripts/e2e-lib.sh"
require_tools xdotool import convert compare
e2e_workdir
work=$E2E_WORK
model="$work/cube.ply"
record="$work/cube.ktrec"
log="$work/viewer.log"
E2E_LOG=$log

# A cube of side 40 around (120, -80, 30), every vertex pure red, faces counter-clockwise from outside.
{
  printf 'ply\nformat ascii 1.0\nelement vertex 8\n'
  printf 'property float %s\n' x y z
  printf 'property uchar %s\n' red green blue
  printf 'element face 6\nproperty list uchar int vertex_index\nend_header\n'
  for corner in "0 0 0" "1 0 0" "1 1 0" "0 1 0" "0 0 1" "1 0 1" "1 1 1" "0 1 1"; do
    read -r a b c <<<"$corner"
    echo "$((100 + 40 * a)) $((-100 + 40 * b)) $((10 + 40 * c)) 255 0 0"
  done
  printf '4 0 3 2 1\n4 4 5 6 7\n4 0 1 5 4\n4 2 3 7 6\n4 1 2 6 5\n4 0 4 7 3\n'
} >"$model"

# start FILE: runs the viewer on FILE and waits for its window; sets wid and the window geometry.
start() {
  start_app --log "$log" "$viewer" "$1" "$record"
  wid=$APP_WINDOW
  for _ in $(seq 100); do
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    [ "$WIDTH" -ge 640 ] && [ "$HEIGHT" -ge 480 ] && break
    sleep 0.1
  done
  winX=$X winY=$Y winW=$WIDTH winH=$HEIGHT
}
snap() { import -window root -crop "${winW}x${winH}+${winX}+${winY}" +repage "$1" 2>/dev/null; }
# red FILE: "count left top width height" of the red pixels (lit or shaded, within 50% of pure red).
red() {
  local count box w h x y
  read -r count box < <(convert "$1" -alpha off -fuzz 50% -fill black +opaque red -fill white -opaque red \
    -format '%[fx:round(mean*w*h)] %@' info: 2>/dev/null)
  IFS='x+' read -r w h x y <<<"$box"
  echo "${count:-0} ${x:-0} ${y:-0} ${w:-0} ${h:-0}"
}
# wait_red FILE: screenshots until red pixels show; fails after 10 s.
wait_red() {
  for _ in $(seq 100); do
    snap "$1"
    read -r count _ <<<"$(red "$1")"
    [ "$count" -gt 100 ] && return 0
    sleep 0.1
  done
  return 1
}
# settle FILE: screenshots until two in a row are the same, so that the last event has been drawn.
settle() {
  snap "$work/previous.png"
  for _ in $(seq 50); do
    sleep 0.2
    snap "$1"
    [ "$(compare -metric AE "$1" "$work/previous.png" null: 2>&1)" = 0 ] && return 0
    cp "$1" "$work/previous.png"
  done
}
stop_with_escape() {
  xdotool mousemove --window "$wid" $((winW / 2)) $((winH / 2)) key Escape
  await_exit 10 || fatal "Escape did not end the program"
  [ "$APP_STATUS" -eq 0 ] || fail "exit status $APP_STATUS after Escape"
}

start "$model"
wait_red "$work/first.png" || fatal "no red pixels: the model is not shown"
settle "$work/first.png"
read -r count x y w h <<<"$(red "$work/first.png")"
side=$((winW < winH ? winW : winH))
cx=$((x + w / 2)) cy=$((y + h / 2))
# Centred, and fitted: the cube's silhouette spans a good part of the window's smaller side.
[ $((cx - winW / 2)) -le 20 ] && [ $((winW / 2 - cx)) -le 20 ] && [ $((cy - winH / 2)) -le 20 ] &&
  [ $((winH / 2 - cy)) -le 20 ] || fail "not centred: red box ${w}x${h}+${x}+${y} in ${winW}x${winH}"
[ "$w" -ge $((side / 4)) ] && [ "$w" -le "$side" ] || fail "not fitted: red box ${w} wide, window side $side"
centre=$(convert "$work/first.png" -format "%[hex:p{$((winW / 2)),$((winH / 2))}]" info:)
[ "${centre:2:4}" = 0000 ] && [ "$((16#${centre:0:2}))" -ge 40 ] || fail "window centre is $centre, not red"

# A drag turns it: the picture changes while the cube stays in the middle.
xdotool mousemove --window "$wid" $((winW / 2)) $((winH / 2)) mousedown 1
for step in 1 2 3 4 5 6; do xdotool mousemove --window "$wid" $((winW / 2 + 20 * step)) $((winH / 2 + 8 * step)); done
xdotool mouseup 1
settle "$work/turned.png"
changed=$(compare -metric AE "$work/first.png" "$work/turned.png" null: 2>&1)
[ "${changed%% *}" -gt 500 ] || fail "drag: only $changed pixels changed"
read -r turnedCount _ <<<"$(red "$work/turned.png")"
[ "$turnedCount" -gt 100 ] || fail "drag: the cube left the window"

# The wheel zooms in: more red pixels.
xdotool mousemove --window "$wid" $((winW / 2)) $((winH / 2)) click --repeat 4 4
settle "$work/zoomed.png"
read -r zoomedCount _ <<<"$(red "$work/zoomed.png")"
[ "$zoomedCount" -gt $((turnedCount * 12 / 10)) ] || fail "wheel: $turnedCount red pixels became $zoomedCount"

# 's' saves a whole record of the shown shape.
xdotool key s
wait_log "viewer: saved $record" || fail "save: no confirmation"
"$ktshape" check "$record" || fail "ktshape check refused the saved record"
"$ktshape" info "$record" | grep -qxF "triangles: 12" || fail "the saved record does not hold the cube's 12 triangles"
stop_with_escape

# The saved record opens in the viewer as the model did.
start "$record"
wait_red "$work/record.png" || fail "the saved record is not shown"
stop_with_escape

# A file that cannot be read: status 1, its message, no window.
: >"$work/empty.ply"
"$viewer" "$work/empty.ply" >"$log" 2>&1
status=$?
[ "$status" -eq 1 ] || fail "empty file: status $status"
grep -q "^import: cannot read $work/empty.ply: " "$log" || fail "empty file: no message: $(cat "$log")"

e2e_finish

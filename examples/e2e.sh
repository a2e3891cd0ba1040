#!/usr/bin/env bash
# End-to-end test of the picker example on a real X server (run it through scripts/with-xvfb.sh when there
# is no display). Moves the pointer with xdotool and reads screenshots (ImageMagick) pixel by pixel:
# the shape under the pointer, and only that shape, shows the hover colour; a dragged rectangle selects the
# shapes wholly inside it; 's' saves the shapes, 'l' loads them back, a truncated file is refused with the
# shape-record message while the program keeps running; 'p' saves a screenshot that matches the X server's
# own picture of the window pixel for pixel; Escape ends it with status 0.
# Usage: e2e.sh PATH/TO/picker
set -u
picker=${1:?usage: e2e.sh PATH/TO/picker}
E2E_NAME=e2e_picker
source "$(dirname "$0")/../scripts/e2e-lib.sh"
require_tools xdotool import convert compare identify
e2e_workdir
work=$E2E_WORK
record="$work/shapes.ktrec"
log="$work/picker.log"
E2E_LOG=$log
shot="$work/shot.png"
screenshot="$work/screenshot.png"

hover='#FFFF00'     # the program's colour for the shape under the pointer
selected='#00FFFF'  # its colour for the shapes inside the dragged rectangle

start_app --log "$log" "$picker" "$record" "$screenshot"
wid=$APP_WINDOW

# Window geometry: the program's positions are window pixels with the origin at the bottom-left.
geometry() { eval "$(xdotool getwindowgeometry --shell "$wid")"; winX=$X; winY=$Y; winW=$WIDTH; winH=$HEIGHT; }
row() { echo $((winY + winH - 1 - $1)); }                 # screenshot row of window y
point() { xdotool mousemove --window "$wid" "$1" $((winH - 1 - $2)); }

snap() { import -window root "$shot" 2>/dev/null; }
# pixel X Y: hex colour of window pixel (X, Y) in the last screenshot.
pixel() { convert "$shot" -format "%[hex:p{$((winX + $1)),$(row "$2")}]" info: 2>/dev/null; }
# spread COLOUR: "count left bottom right top" of the pixels of exactly that colour, in window pixels.
spread() {
  local count box w h x y
  read -r count box < <(convert "$shot" -alpha off -fill black +opaque "$1" -fill white -opaque "$1" \
    -format '%[fx:round(mean*w*h)] %@' info: 2>/dev/null)
  if [ "${count:-0}" -eq 0 ]; then echo 0; return; fi
  IFS='x+' read -r w h x y <<<"$box"
  echo "$count $((x - winX)) $((winY + winH - 1 - (y + h - 1))) $((x - winX + w - 1)) $((winY + winH - 1 - y))"
}
# wait_gone COLOUR: takes screenshots until no pixel has that colour.
wait_gone() {
  local n
  for n in $(seq 50); do
    snap
    [ "$(spread "$1")" = 0 ] && return 0
    sleep 0.1
  done
  return 1
}
# wait_pixel X Y HEX: takes screenshots until window pixel (X, Y) has that colour.
wait_pixel() {
  local n
  for n in $(seq 50); do
    snap
    [ "$(pixel "$1" "$2")" = "$3" ] && return 0
    sleep 0.1
  done
  return 1
}
inside() {
  local count l b r t
  read -r count l b r t <<<"$1"
  [ "$l" -ge $(($2 - 6)) ] && [ "$b" -ge $(($3 - 6)) ] && [ "$r" -le $(($4 + 6)) ] && [ "$t" -le $(($5 + 6)) ]
}

# Ready once full screen and drawing: the house's middle shows its own colour.
for n in $(seq 100); do
  geometry
  snap
  [ "$winW" -ge 640 ] && [ "$winH" -ge 480 ] && [ "$(pixel 100 110)" != 000000 ] && break
  sleep 0.1
done
[ "$(pixel 100 110)" != 000000 ] || fatal "the shapes were not drawn (window ${winW}x${winH})"
[ "$(spread "$hover")" = 0 ] || fail "hover colour on screen before the pointer reached a shape"

# Pointer over each shape: name, pointer position, a pixel that must turn to the hover colour, the shape's
# bounds (left bottom right top).
while read -r name px py probeX probeY l b r t; do
  point "$px" "$py"
  if ! wait_pixel "$probeX" "$probeY" FFFF00; then
    fail "$name: ($probeX, $probeY) is $(pixel "$probeX" "$probeY"), not the hover colour, with the pointer at ($px, $py)"
    continue
  fi
  s=$(spread "$hover")
  inside "$s" "$l" "$b" "$r" "$t" || fail "$name: hover colour outside the shape's bounds: $s"
done <<'CASES'
house-triangles  100 110  100 110   40  60 160 220
ribbon-strip     215 100  215 100  200  60 320 160
disc-fan         440 120  440 120  380  60 500 180
zigzag-lines      65 340   65 340   40 300 240 380
stars-points     302 303  300 300  300 300 420 380
CASES

point 600 450
wait_gone "$hover" || fail "hover colour stays with the pointer over no shape"

# Drag a rectangle around the house and the ribbon: both, and nothing else, turn to the selection colour.
xdotool mousemove --window "$wid" 20 $((winH - 1 - 40)) mousedown 1 \
  mousemove --window "$wid" 200 $((winH - 1 - 150)) mousemove --window "$wid" 340 $((winH - 1 - 240)) mouseup 1
if wait_pixel 100 110 00FFFF && wait_pixel 215 100 00FFFF; then
  inside "$(spread "$selected")" 40 60 320 220 || fail "selection colour outside the house and ribbon: $(spread "$selected")"
else
  fail "selection: the house and the ribbon are not both selected"
fi

# Save, then load the good file.
xdotool key s
wait_log "picker: saved 5 shapes to $record" || fail "save: no confirmation"
# Five records: a header of 86 bytes each; 5 + 8 + 14 + 5 + 12 vertices of 12 bytes; 9 indices of 4 bytes.
size=$(stat -c %s "$record" 2>/dev/null || echo 0)
[ "$size" -eq $((5 * 86 + 44 * 12 + 9 * 4)) ] || fail "save: the file holds $size bytes"
xdotool key l
wait_log "picker: loaded 5 shapes from $record" || fail "load: no confirmation"
wait_gone "$selected" || fail "load: the selection was not cleared"

# Damage the file and load it: refused with the record's message, shapes unchanged, program running.
truncate -s 500 "$record"
xdotool key l
wait_log "readFromFile: shape record is damaged" || fail "damaged file: no message"
wait_log "picker: $record not loaded, shapes unchanged" || fail "damaged file: not refused"
[ "$(grep -cxF 'readFromFile: shape record is damaged' "$log")" -eq 1 ] || fail "damaged file: message count"
app_alive || fatal "the program ended after loading a damaged file"
point 440 120
wait_pixel 440 120 FFFF00 || fail "after the damaged load the disc is not picked"

# 'p' saves the frame on screen: same size as the window and the same pixels as the X server's picture.
xdotool key p
if wait_log "picker: saved screenshot to $screenshot"; then
  import -window "$wid" "$work/xwindow.png" 2>/dev/null
  size=$(identify -format '%wx%h' "$screenshot" 2>/dev/null)
  [ "$size" = "${winW}x${winH}" ] || fail "screenshot: size $size, window ${winW}x${winH}"
  differ=$(compare -metric AE "$screenshot" "$work/xwindow.png" null: 2>&1)
  [ "$differ" = 0 ] || fail "screenshot: $differ pixels differ from the X server's picture of the window"
  # Orientation: the disc, picked and so yellow, sits in the window's lower half.
  disc=$(convert "$screenshot" -format "%[hex:p{440,$((winH - 1 - 120))}]" info: 2>/dev/null)
  [ "$disc" = FFFF00 ] || fail "screenshot: the picked disc is $disc at window (440, 120)"
else
  fail "screenshot: no confirmation"
fi

# Escape ends the program with status 0.
xdotool key Escape
await_exit 10 || fatal "Escape did not end the program"
[ "$APP_STATUS" -eq 0 ] || fail "exit status $APP_STATUS after Escape"
e2e_finish

# Shared helpers of the end-to-end window tests (sourced). Geometry is read with xwininfo as
# "X Y WIDTH HEIGHT": absolute upper-left corner and size in screen pixels, y down.

fail() { echo "FAIL: $*" >&2; exit 1; }

screen_size() { xwininfo -root | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}'; }

window_geometry() {
  xwininfo -id "$1" 2>/dev/null |
    awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /Width:/{w=$2} /Height:/{h=$2}
         END{print x, y, w, h}'
}

ktu_windows() { xdotool search --name '^ktu$' 2>/dev/null | sort; }

# Starts the program in the background and sets APP_PID and APP_WINDOW (the new viewable window
# titled "ktu"); windows of that title that existed before are ignored.
start_app() {
  local before after candidate
  before=$(ktu_windows)
  "$@" &
  APP_PID=$!
  APP_WINDOW=""
  for _ in $(seq 1 200); do
    after=$(ktu_windows)
    for candidate in $after; do
      if ! grep -qx "$candidate" <<<"$before" &&
        xwininfo -id "$candidate" 2>/dev/null | grep -q 'IsViewable'; then
        APP_WINDOW=$candidate
        return 0
      fi
    done
    kill -0 "$APP_PID" 2>/dev/null || fail "the program ended before its window appeared"
    sleep 0.05
  done
  fail "no window titled ktu appeared"
}

stop_app() { kill "$APP_PID" 2>/dev/null; wait "$APP_PID" 2>/dev/null; }

# Waits up to 5 s for the window to take the geometry "X Y WIDTH HEIGHT".
expect_geometry() {
  local want=$1 what=$2 got=""
  for _ in $(seq 1 100); do
    got=$(window_geometry "$APP_WINDOW")
    [ "$got" = "$want" ] && { echo "ok: $what: $got"; return 0; }
    sleep 0.05
  done
  fail "$what: window at '$got', expected '$want'"
}

# Sends one key to the window: the pointer is moved into it and it gets the input focus, since
# without a window manager keys go to the window under the pointer.
press() {
  local x y w h
  read -r x y w h <<<"$(window_geometry "$APP_WINDOW")"
  xdotool mousemove $((x + w / 2)) $((y + h / 2))
  xdotool windowfocus "$APP_WINDOW" 2>/dev/null
  xdotool key "$1"
}

# Waits up to $2 seconds for the program to end and sets APP_STATUS to its exit status.
wait_exit() {
  local limit=$(($2 * 20))
  for _ in $(seq 1 "$limit"); do
    if ! kill -0 "$APP_PID" 2>/dev/null; then
      wait "$APP_PID"
      APP_STATUS=$?
      return 0
    fi
    sleep 0.05
  done
  stop_app
  fail "$1: the program was still running after $2 s"
}

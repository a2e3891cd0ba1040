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

# Sends keys to the window: the pointer is moved into it and it gets the input focus, since
# without a window manager keys go to the window under the pointer.
press() {
  local x y w h
  read -r x y w h <<<"$(window_geometry "$APP_WINDOW")"
  xdotool mousemove $((x + w / 2)) $((y + h / 2))
  xdotool windowfocus "$APP_WINDOW" 2>/dev/null
  xdotool key $1  # one key or several, e.g. "F1 F1"
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

# The window manager's decoration of a window as "LEFT RIGHT TOP BOTTOM" (_NET_FRAME_EXTENTS), or
# "0 0 0 0" where the manager reports none.
frame_extents() {
  local extents
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ',')
  echo "${extents:-0 0 0 0}"
}

# Waits up to 5 s for the window's frame to have its corner at X Y and the drawing area to be
# WIDTH x HEIGHT ("X Y WIDTH HEIGHT"); without a window manager the frame is the window itself.
expect_frame_geometry() {
  local want=$1 what=$2 got="" x y w h left right top bottom
  for _ in $(seq 1 100); do
    read -r x y w h <<<"$(window_geometry "$APP_WINDOW")"
    read -r left right top bottom <<<"$(frame_extents "$APP_WINDOW")"
    got="$((x - left)) $((y - top)) $w $h"
    [ "$got" = "$want" ] && { echo "ok: $what: frame at ${got% * *}, area $w x $h"; return 0; }
    sleep 0.05
  done
  fail "$what: frame corner and area '$got', expected '$want'"
}

# Starts a window manager on DISPLAY and sets WM_PID; "none" starts nothing. Each manager gets a
# private configuration folder, so nothing of the user's is read or written. icewm runs without
# its task bar, whose work area would otherwise keep a tall window from its requested place.
start_wm() {
  WM_NAME=$1
  WM_PID=""
  WM_HOME=$(mktemp -d /tmp/kt-wm.XXXXXX)
  case $WM_NAME in
    none) return 0 ;;
    openbox) HOME=$WM_HOME openbox >"$WM_HOME/log" 2>&1 & ;;
    fluxbox)
      # No wallpaper: fluxbox's background setter would otherwise pop up a message window here.
      mkdir -p "$WM_HOME/.fluxbox"
      printf 'background: none\n' >"$WM_HOME/.fluxbox/overlay"
      printf 'session.styleOverlay: %s/.fluxbox/overlay\n' "$WM_HOME" >"$WM_HOME/.fluxbox/init"
      HOME=$WM_HOME fluxbox >"$WM_HOME/log" 2>&1 & ;;
    icewm)
      printf 'ShowTaskBar=0\n' >"$WM_HOME/preferences"
      HOME=$WM_HOME ICEWM_PRIVCFG=$WM_HOME icewm >"$WM_HOME/log" 2>&1 & ;;
    i3)
      printf 'default_border normal\n' >"$WM_HOME/config"
      HOME=$WM_HOME i3 -c "$WM_HOME/config" >"$WM_HOME/log" 2>&1 & ;;
    twm)
      printf 'RandomPlacement\nUsePPosition "on"\n' >"$WM_HOME/twmrc"
      HOME=$WM_HOME twm -f "$WM_HOME/twmrc" >"$WM_HOME/log" 2>&1 & ;;
    *) fail "unknown window manager $WM_NAME" ;;
  esac
  WM_PID=$!
  # An EWMH manager announces itself on the root window; twm does not, so it gets a moment.
  for _ in $(seq 1 100); do
    kill -0 "$WM_PID" 2>/dev/null || { cat "$WM_HOME/log" >&2; fail "$WM_NAME ended at start"; }
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    [ "$WM_NAME" = twm ] && { sleep 1; return 0; }
    sleep 0.05
  done
  fail "$WM_NAME did not start"
}

# A manager that does not end on SIGTERM within a second is killed.
stop_wm() {
  if [ -n "${WM_PID:-}" ]; then
    kill "$WM_PID" 2>/dev/null
    for _ in $(seq 1 20); do kill -0 "$WM_PID" 2>/dev/null || break; sleep 0.05; done
    kill -9 "$WM_PID" 2>/dev/null
    wait "$WM_PID" 2>/dev/null
  fi
  [ -n "${WM_HOME:-}" ] && rm -rf "$WM_HOME"
  WM_PID=""
  WM_HOME=""
}

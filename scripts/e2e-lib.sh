# shellcheck shell=bash
# Shared end-to-end library (sourced by the window, demo, example, tool and soak scripts): start a
# program, find its window with a bounded wait, press keys, wait for its exit status with a bound,
# and stop everything it started by PID; count failed checks. Geometry is read with xwininfo as
# "X Y WIDTH HEIGHT": absolute upper-left corner and size in screen pixels, y down. The window
# functions need DISPLAY (scripts/with-xvfb.sh).
#
# Sourcing sets the clean-up trap: on exit the program (APP_PID), the window manager (WM_PID) and
# the work folder (E2E_WORK, from e2e_workdir) go, each by its own PID or path.
#   E2E_NAME            the name that reports start with (default: the script's name)
#   E2E_WINDOW_SECONDS  how long start_app waits for the window (default 20)
#   E2E_LOG             a file of the program's output, shown when a run fails

E2E_NAME=${E2E_NAME:-$(basename "$0" .sh)}
E2E_FAILURES=0
APP_PID=""
WM_PID=""
WM_HOME=""
E2E_WORK=""

e2e_cleanup() {
  stop_app
  stop_wm
  [ -n "$E2E_WORK" ] && rm -rf "$E2E_WORK"
  E2E_WORK=""
}
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM

# A failed check that ends the run at once; the program's output follows when E2E_LOG names it.
fatal() {
  echo "FAIL: $*" >&2
  if [ -n "${E2E_LOG:-}" ] && [ -s "$E2E_LOG" ]; then
    echo "--- program output:" >&2
    cat "$E2E_LOG" >&2
  fi
  exit 1
}

# A failed check after which the run goes on; e2e_finish reports the count.
fail() {
  echo "FAIL: $*"
  E2E_FAILURES=$((E2E_FAILURES + 1))
}

# Ends the run: status 1 after any failed check (with the program's output), 0 otherwise.
e2e_finish() {
  if [ "$E2E_FAILURES" -ne 0 ]; then
    [ -n "${E2E_LOG:-}" ] && { echo "--- program output:"; cat "$E2E_LOG"; }
    echo "$E2E_NAME: $E2E_FAILURES failure(s)"
    exit 1
  fi
  echo "$E2E_NAME: passed"
  exit 0
}

# require_tools TOOL...: status 2 when one is not installed.
require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$E2E_NAME: $tool is not installed (scripts/setup.sh)" >&2; exit 2; }
  done
}

# Makes a private work folder, E2E_WORK, removed at exit.
e2e_workdir() { E2E_WORK=$(mktemp -d "/tmp/kt-$E2E_NAME.XXXXXX"); }

screen_size() { xwininfo -root | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}'; }

window_geometry() {
  xwininfo -id "$1" 2>/dev/null |
    awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /Width:/{w=$2} /Height:/{h=$2}
         END{print x, y, w, h}'
}

ktu_windows() { xdotool search --name '^ktu$' 2>/dev/null | sort; }

# start_app [--log FILE] [--errors FILE] PROGRAM ARGS...: starts the program in the background and
# sets APP_PID and APP_WINDOW (the new viewable window titled "ktu"; windows of that title that
# existed before are ignored). --log sends its output there (both streams unless --errors names a
# file for standard error). Fails when the program ends first or no window appears within
# E2E_WINDOW_SECONDS.
start_app() {
  local log="" errors="" before after candidate rounds
  while :; do
    case $1 in
      --log) log=$2; shift 2 ;;
      --errors) errors=$2; shift 2 ;;
      *) break ;;
    esac
  done
  before=$(ktu_windows)
  if [ -n "$log" ] && [ -n "$errors" ]; then
    "$@" >"$log" 2>"$errors" &
  elif [ -n "$log" ]; then
    "$@" >"$log" 2>&1 &
  elif [ -n "$errors" ]; then
    "$@" 2>"$errors" &
  else
    "$@" &
  fi
  APP_PID=$!
  APP_WINDOW=""
  rounds=$((${E2E_WINDOW_SECONDS:-20} * 20))
  for _ in $(seq 1 "$rounds"); do
    after=$(ktu_windows)
    for candidate in $after; do
      if ! grep -qx "$candidate" <<<"$before" &&
        xwininfo -id "$candidate" 2>/dev/null | grep -q 'IsViewable'; then
        APP_WINDOW=$candidate
        return 0
      fi
    done
    kill -0 "$APP_PID" 2>/dev/null || fatal "the program ended before its window appeared"
    sleep 0.05
  done
  fatal "no window titled ktu appeared within ${E2E_WINDOW_SECONDS:-20} s"
}

app_alive() { [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; }

# Stops the program by its PID, if it still runs.
stop_app() {
  if [ -n "$APP_PID" ]; then
    kill "$APP_PID" 2>/dev/null
    wait "$APP_PID" 2>/dev/null
  fi
  APP_PID=""
}

# await_exit SECONDS: waits up to SECONDS for the program to end; then sets APP_STATUS to its exit
# status and returns 0. Returns 1 while it still runs.
await_exit() {
  local limit=$(($1 * 20))
  for _ in $(seq 1 "$limit"); do
    if ! kill -0 "$APP_PID" 2>/dev/null; then
      wait "$APP_PID"
      APP_STATUS=$?
      APP_PID=""
      return 0
    fi
    sleep 0.05
  done
  return 1
}

# wait_exit WHAT SECONDS: as await_exit, but a program still running is stopped and the run fails.
wait_exit() {
  await_exit "$2" && return 0
  stop_app
  fatal "$1: the program was still running after $2 s"
}

# wait_log LINE: waits up to 5 s for the program to print LINE (whole) into E2E_LOG.
wait_log() {
  for _ in $(seq 50); do grep -qxF "$1" "$E2E_LOG" && return 0; sleep 0.1; done
  return 1
}

# Waits up to 5 s for the window to take the geometry "X Y WIDTH HEIGHT".
expect_geometry() {
  local want=$1 what=$2 got=""
  for _ in $(seq 1 100); do
    got=$(window_geometry "$APP_WINDOW")
    [ "$got" = "$want" ] && { echo "ok: $what: $got"; return 0; }
    sleep 0.05
  done
  fatal "$what: window at '$got', expected '$want'"
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
  fatal "$what: frame corner and area '$got', expected '$want'"
}

# Starts a window manager on DISPLAY and sets WM_PID; "none" starts nothing. Each manager gets a
# private configuration folder, so nothing of the user's is read or written. icewm runs without
# its task bar, whose work area would otherwise keep a tall window from its requested place.
start_wm() {
  WM_NAME=$1
  WM_PID=""
  [ "$WM_NAME" = none ] && return 0
  WM_HOME=$(mktemp -d /tmp/kt-wm.XXXXXX)
  case $WM_NAME in
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
    *) fatal "unknown window manager $WM_NAME" ;;
  esac
  WM_PID=$!
  # An EWMH manager announces itself on the root window; twm does not, so it gets a moment.
  for _ in $(seq 1 100); do
    kill -0 "$WM_PID" 2>/dev/null || { cat "$WM_HOME/log" >&2; fatal "$WM_NAME ended at start"; }
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    [ "$WM_NAME" = twm ] && { sleep 1; return 0; }
    sleep 0.05
  done
  fatal "$WM_NAME did not start"
}

# A manager that does not end on SIGTERM within a second is killed.
stop_wm() {
  if [ -n "$WM_PID" ]; then
    kill "$WM_PID" 2>/dev/null
    for _ in $(seq 1 20); do kill -0 "$WM_PID" 2>/dev/null || break; sleep 0.05; done
    kill -9 "$WM_PID" 2>/dev/null
    wait "$WM_PID" 2>/dev/null
  fi
  [ -n "$WM_HOME" ] && rm -rf "$WM_HOME"
  WM_PID=""
  WM_HOME=""
}

#!/usr/bin/env bash
# Runs a command with an X display. When DISPLAY is unset, starts a private Xvfb (KT_XVFB_SCREEN,
# default 1280x1024x24) on a free display number, runs the command against it and stops that Xvfb
# by its PID afterwards. The clean-up trap is set before Xvfb starts, so an interrupted start leaves
# nothing behind. The command's exit status is returned.
set -u
if [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi
command -v Xvfb >/dev/null || { echo "with-xvfb: Xvfb is not installed (apt-get install xvfb)" >&2; exit 2; }
geometry="${KT_XVFB_SCREEN:-1280x1024x24}"
xvfb_pid=""
fifo=$(mktemp -u /tmp/kt-xvfb.XXXXXX)
cleanup() {
  rm -f "$fifo"
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp -noreset 3>"$fifo" 2>/dev/null &
xvfb_pid=$!
display_number=""
read -r -t 60 display_number <"$fifo" || true
rm -f "$fifo"
if [ -z "$display_number" ]; then
  echo "with-xvfb: Xvfb did not start" >&2
  exit 2
fi
export DISPLAY=":$display_number"
"$@"
exit $?

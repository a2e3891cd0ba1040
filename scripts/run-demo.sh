#!/usr/bin/env bash
# Runs the cloth demonstration. Installs what is missing and builds first.
# With a display ($DISPLAY set) the demo opens full screen on it: Escape ends it, F1 toggles full screen.
# Without one it runs on a private virtual display (Xvfb) for a few seconds, saves a screenshot, presses
# Escape and says where the picture is.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" demo
# The demo preset configures the library and the program only: no test or benchmark libraries.
"$root/scripts/build.sh" demo --target drapo
drapo="$root/build/demo/demo/drapo"

if [ -n "${DISPLAY:-}" ]; then
  exec "$drapo"
fi

shot="${KT_SCREENSHOT:-$root/build/drapo-screenshot.png}"
seconds="${KT_DEMO_SECONDS:-8}"
export KT_XVFB_SCREEN="${KT_XVFB_SCREEN:-1280x1024x24}"
# shellcheck disable=SC2016
"$root/scripts/with-xvfb.sh" bash -c '
  set -u
  E2E_NAME=run-demo
  source "$1"
  start_app "$2"
  sleep "$3"
  import -window root "$4"
  press Escape
  wait_exit Escape 10
  exit "$APP_STATUS"
' demo "$root/scripts/e2e-lib.sh" "$drapo" "$seconds" "$shot"
echo "No display here: the demo ran on a virtual one for ${seconds} s. Screenshot: $shot"

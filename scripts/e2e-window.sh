#!/usr/bin/env bash
# Runs the end-to-end window tests (geometry through F1 and Escape, shut-down status) against the
# drapo program of a build directory, each on a private Xvfb unless DISPLAY is set.
# Usage: scripts/e2e-window.sh [BUILD_DIR]   (default build/default)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
program="${1:-$root/build/default}/demo/drapo"
[ -x "$program" ] || { echo "e2e-window: no program at $program; build first" >&2; exit 2; }
status=0
for test in window winddown; do
  echo "== $test"
  "$root/scripts/with-xvfb.sh" "$root/tests/e2e/$test.sh" "$program" || status=1
done
exit $status

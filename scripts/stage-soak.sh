#!/usr/bin/env bash
# Soak and memory stage: the short (CI) variant of scripts/soak.sh, all three parts: drapo for 60 s in the
# sanitizer build, 200 frames under valgrind memcheck, and resident memory at 10 s against 60 s.
# About 3 minutes on a 2-core machine once the builds are up to date.
set -euo pipefail
exec bash "$(cd "$(dirname "$0")" && pwd)/soak.sh"

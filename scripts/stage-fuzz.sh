#!/usr/bin/env bash
# Test stage: runs each fuzz target (shape records, shape programs, settings programs) for
# KT_FUZZ_SECONDS each (default 60, so about three minutes in all; 0 skips).
set -euo pipefail
seconds="${KT_FUZZ_SECONDS:-60}"
[ "$seconds" -gt 0 ] || { echo "fuzzing skipped (KT_FUZZ_SECONDS=0)"; exit 0; }
exec "$(dirname "$0")/fuzz.sh" "$seconds"

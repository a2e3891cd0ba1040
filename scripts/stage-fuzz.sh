#!/usr/bin/env bash
# Test stage: fuzzes the shape-record reader for KT_FUZZ_SECONDS (default 60; 0 skips).
set -euo pipefail
seconds="${KT_FUZZ_SECONDS:-60}"
[ "$seconds" -gt 0 ] || { echo "fuzzing skipped (KT_FUZZ_SECONDS=0)"; exit 0; }
exec "$(dirname "$0")/fuzz.sh" "$seconds"

#!/usr/bin/env bash
# Runs the whole test suite: installs what is missing, builds, and runs the CTest suite in the normal
# build and in the sanitizer build (address + undefined), then the stages that need their own builds.
# Tests that need a window get a private Xvfb when DISPLAY is unset (scripts/with-xvfb.sh).
# Knobs: KT_SKIP_ASAN=1 skips the sanitizer build; KT_FUZZ_SECONDS (default 60) bounds the fuzzing run,
# 0 skips it.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh" || { echo "setup failed"; exit 1; }

passed=0
failed=0
failures=()

# run_ctest NAME PRESET: builds the preset and runs its CTest suite, adding to the totals.
run_ctest() {
  local name=$1 preset=$2 log
  echo "== $name: build"
  if ! "$root/scripts/build.sh" "$preset"; then
    failed=$((failed + 1)); failures+=("$name build"); return
  fi
  echo "== $name: ctest"
  log=$(mktemp)
  ctest --preset "$preset" -j 2 2>&1 | tee "$log"
  local summary total bad
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$summary" ]; then
    failed=$((failed + 1)); failures+=("$name ran no test")
  else
    bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
    total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$summary")
    passed=$((passed + total - bad)); failed=$((failed + bad))
    [ "$bad" -eq 0 ] || failures+=("$name: $bad of $total failed")
  fi
  rm -f "$log"
}

# run_stage NAME COMMAND...: one pass/fail stage outside CTest.
run_stage() {
  local name=$1; shift
  echo "== $name"
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); failures+=("$name"); fi
}

run_ctest "unit and end-to-end tests" default
if [ "${KT_SKIP_ASAN:-0}" != 1 ]; then
  ASAN_OPTIONS="detect_leaks=0:abort_on_error=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    run_ctest "sanitizer build (address + undefined)" asan
fi
for stage in "$root"/scripts/stage-*.sh; do
  [ -e "$stage" ] || continue
  run_stage "$(basename "$stage" .sh)" bash "$stage"
done

echo
if [ ${#failures[@]} -gt 0 ]; then
  printf 'failed: %s\n' "${failures[@]}"
fi
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# Runs the whole test suite: installs what is missing, builds, and runs the CTest suite in the normal
# build and in the sanitizer build (address + undefined), then the stages that need their own builds.
# Tests that need a window get a private Xvfb when DISPLAY is unset (scripts/with-xvfb.sh).
# The hash tests run once more per instruction set (KT_SIMD=scalar, sse2, avx2, avx512; a set the
# machine lacks falls back to the best it has) and in the plain-path build (preset plain).
# Knobs: KT_SKIP_ASAN=1 skips the sanitizer build; KT_FUZZ_SECONDS (default 60) bounds the fuzzing run,
# 0 skips it.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh" || { echo "setup failed"; exit 1; }

passed=0
failed=0
failures=()

# run_ctest NAME PRESET [CTEST_ARGS...]: builds the preset and runs its CTest suite (or the tests that
# the arguments select), adding to the totals. Returns 1 when the build failed.
run_ctest() {
  local name=$1 preset=$2
  echo "== $name: build"
  if ! "$root/scripts/build.sh" "$preset"; then
    failed=$((failed + 1)); failures+=("$name build"); return 1
  fi
  run_built_ctest "$@"
}

# run_built_ctest NAME PRESET [CTEST_ARGS...]: runs CTest in a build that is already up to date. Pass
# or fail is ctest's exit status; the JUnit report only supplies the counts for the summary line.
run_built_ctest() {
  local name=$1 preset=$2 junit status suite total bad
  shift 2
  echo "== $name: ctest"
  junit=$(mktemp --suffix=.xml)
  ctest --preset "$preset" -j 2 --no-tests=error --output-junit "$junit" "$@"
  status=$?
  # The attributes of <testsuite> are spread over lines: join them first.
  suite=$(tr -s '\n\t' '  ' <"$junit" | grep -o '<testsuite [^>]*' | head -n 1)
  total=$(sed -nE 's/.* tests="([0-9]+)".*/\1/p' <<<"$suite")
  bad=$(sed -nE 's/.* failures="([0-9]+)".*/\1/p' <<<"$suite")
  rm -f "$junit"
  total=${total:-0}; bad=${bad:-0}
  if [ "$status" -ne 0 ]; then
    # A failure the report does not count (no test found, a crash of ctest itself) still fails.
    [ "$bad" -gt 0 ] || bad=1
    [ "$total" -ge "$bad" ] || total=$bad
    failures+=("$name: ctest exited with status $status ($bad of $total failed)")
  fi
  passed=$((passed + total - bad)); failed=$((failed + bad))
}

# run_stage NAME COMMAND...: one pass/fail stage outside CTest.
run_stage() {
  local name=$1; shift
  echo "== $name"
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); failures+=("$name"); fi
}

# The hash runs reuse the default build; when it failed, that is counted once, not once per run.
if run_ctest "unit and end-to-end tests" default; then
  for simd in scalar sse2 avx2 avx512; do
    KT_SIMD=$simd run_built_ctest "hash tests, KT_SIMD=$simd" default -R '\.hash'
  done
fi
run_ctest "plain-path build: hash tests" plain -R '\.hash'
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

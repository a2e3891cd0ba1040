#!/usr/bin/env bash
# Builds the "fuzz" preset (clang, libFuzzer, ASan + UBSan) and runs the shape-record fuzzer for a
# bounded time. Usage: scripts/fuzz.sh [seconds]   (default 60)
# The seed corpus of valid records is regenerated into tests/fuzz/corpus; new inputs the fuzzer
# finds go to a working corpus in the build directory. Prints the number of executions reached and
# exits non-zero when the fuzzer reports a finding (its input is left in <build>/artifacts; copy it
# into tests/fuzz/regressions so that the unit tests replay it from then on).
set -euo pipefail

seconds="${1:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KT_FUZZ_BUILD_DIR:-$root/build/fuzz}"

cd "$root"
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j2 --target kt_fuzz_record kt_fuzz_record_seeds

"$build/tests/fuzz/kt_fuzz_record_seeds" "$root/tests/fuzz/corpus"
mkdir -p "$build/corpus-record" "$build/artifacts"
log="$build/fuzz-record.log"

set +e
"$build/tests/fuzz/kt_fuzz_record" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$build/artifacts/" "$build/corpus-record" "$root/tests/fuzz/corpus" >"$log" 2>&1
status=$?
set -e

executions="$(awk '/stat::number_of_executed_units/ {print $2}' "$log" | tail -n 1)"
if [ -z "$executions" ]; then
  # A crash ends the run before the final statistics; take the last progress line instead.
  executions="$(grep -Eo '^#[0-9]+' "$log" | tail -n 1 | tr -d '#')"
fi
echo "fuzz_record: ${executions:-0} executions in ${seconds} s (log: $log)"
if [ "$status" -ne 0 ]; then
  echo "fuzz_record: finding (exit status $status); inputs in $build/artifacts:" >&2
  ls -1 "$build/artifacts" >&2 || true
  tail -n 40 "$log" >&2
  exit 1
fi

#!/usr/bin/env bash
# Builds the "fuzz" preset (clang, libFuzzer, ASan + UBSan) and runs each fuzz target for a bounded
# time, one after the other. Usage: scripts/fuzz.sh [--long] [seconds] [target...]
#   seconds  time per target (default 60; --long makes it 1800, half an hour each)
#   target   record, shapes, settings (default: all three)
# Each target starts from its committed seeds (tests/fuzz/corpus*, the record seeds regenerated
# first) plus a working corpus in the build directory. Prints the executions each target reached and
# exits non-zero when any reports a finding: its input is left in <build>/artifacts/<target>/; once
# the fault is fixed, copy it into tests/fuzz/regressions (record) or tests/fuzz/regressions/<target>
# so that the unit tests replay it from then on.
set -euo pipefail

seconds=60
if [ "${1:-}" = "--long" ]; then
  seconds=1800
  shift
fi
if [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(record shapes settings)

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KT_FUZZ_BUILD_DIR:-$root/build/fuzz}"

cd "$root"
cmake --preset fuzz -B "$build" >/dev/null
build_targets=(kt_fuzz_record_seeds)
for t in "${targets[@]}"; do build_targets+=("kt_fuzz_$t"); done
cmake --build "$build" -j2 --target "${build_targets[@]}"
"$build/tests/fuzz/kt_fuzz_record_seeds" "$root/tests/fuzz/corpus"

seeds_of() {
  case "$1" in
    record) echo "$root/tests/fuzz/corpus" ;;
    *) echo "$root/tests/fuzz/corpus-$1" ;;
  esac
}

status=0
for t in "${targets[@]}"; do
  seeds="$(seeds_of "$t")"
  mkdir -p "$build/corpus-$t" "$build/artifacts/$t" "$seeds"
  log="$build/fuzz-$t.log"
  set +e
  "$build/tests/fuzz/kt_fuzz_$t" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$t/" "$build/corpus-$t" "$seeds" >"$log" 2>&1
  result=$?
  set -e
  executions="$(awk '/stat::number_of_executed_units/ {print $2}' "$log" | tail -n 1)"
  if [ -z "$executions" ]; then
    # A crash ends the run before the final statistics; take the last progress line instead.
    executions="$(grep -Eo '^#[0-9]+' "$log" | tail -n 1 | tr -d '#')"
  fi
  echo "fuzz_$t: ${executions:-0} executions in ${seconds} s (log: $log)"
  if [ "$result" -ne 0 ]; then
    echo "fuzz_$t: finding (exit status $result); inputs in $build/artifacts/$t:" >&2
    ls -1 "$build/artifacts/$t" >&2 || true
    tail -n 40 "$log" >&2
    status=1
  fi
done
exit $status

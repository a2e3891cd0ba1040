#!/usr/bin/env bash
# Before and after in one run: the cloth and shape benchmarks of two bench builds (A and B),
# alternated ROUNDS times on every instruction-set path, each round's median of REPS Google
# Benchmark repetitions (real time). Prints per benchmark the median of the round medians for A and
# B, their ratio B/A and the round medians, grouped by path (KT_SIMD).
# Usage: scripts/bench-compare.sh A-build-dir B-build-dir [paths] [reps] [rounds] [filter]
#   paths defaults to "avx512 avx2 sse2"; the shape benchmarks need a display (scripts/with-xvfb.sh).
#   KT_BENCH_RAW=file keeps every round's figures (path, program, side, round, benchmark, time).
set -u
a=${1:?usage: bench-compare.sh A-build-dir B-build-dir [paths] [reps] [rounds] [filter]}
b=${2:?usage: bench-compare.sh A-build-dir B-build-dir [paths] [reps] [rounds] [filter]}
paths=${3:-avx512 avx2 sse2}
reps=${4:-3}
rounds=${5:-2}
filter=${6:-.}
for dir in "$a" "$b"; do
  for exe in bench_cloth bench_shapes; do
    [ -x "$dir/bench/$exe" ] || { echo "bench-compare: $dir/bench/$exe is not built" >&2; exit 2; }
  done
done
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp)
trap 'rm -f "$out"' EXIT
echo "load before: $(uptime)"
for path in $paths; do
  for round in $(seq 1 "$rounds"); do
    for side in A B; do
      dir=$a; [ "$side" = B ] && dir=$b
      for exe in bench_cloth bench_shapes; do
        KT_SIMD=$path "$here/with-xvfb.sh" "$dir/bench/$exe" --benchmark_filter="$filter" \
          --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true 2>/dev/null |
          awk -v p="$path" -v s="$side" -v r="$round" -v e="$exe" \
            '$1 ~ /_median$/ { sub(/_median$/, "", $1); print p, e, s, r, $1, $2 }' >>"$out"
      done
    done
  done
done
echo "load after: $(uptime)"
[ -n "${KT_BENCH_RAW:-}" ] && cp "$out" "$KT_BENCH_RAW"
# Median of the round medians per (path, program, benchmark, side); the time unit is the program's
# own (us for the cloth, ns for the shapes).
awk '
  function median(list,   n, v, i, j, t) {
    n = split(list, v, " ")
    for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (v[j] + 0 < v[i] + 0) { t = v[i]; v[i] = v[j]; v[j] = t }
    return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
  }
  {
    key = $1 SUBSEP $2 SUBSEP $5
    if (!(key in seen)) { seen[key] = 1; order[++count] = key }
    runs[key, $3] = runs[key, $3] " " $6
  }
  END {
    for (i = 1; i <= count; i++) {
      split(order[i], k, SUBSEP)
      group = "KT_SIMD=" k[1] " " k[2]
      if (group != last) { print "=== " group; last = group }
      ma = median(runs[order[i], "A"]); mb = median(runs[order[i], "B"])
      printf "%-32s A %9.1f  B %9.1f  B/A %6.3f  A[%s ] B[%s ]\n", k[3], ma, mb, (ma > 0 ? mb / ma : 0),
             runs[order[i], "A"], runs[order[i], "B"]
    }
  }' "$out"

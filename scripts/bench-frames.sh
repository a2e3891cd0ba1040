#!/usr/bin/env bash
# Frame rate of the cloth demonstration against its floor, in one run on one X server: bench_frames
# (drapo's own callbacks and application) and bench_bare_frames (the same frames sent from
# precomputed arrays), alternated RUNS times under a private Xvfb of KT_XVFB_SCREEN (default
# 1280x1024x24). Prints every run, the median rate of each, the ratio frames / bare and the median
# of the runs' own ratios (each run against the bare run after it). Then bench_paired_frames draws
# both kinds of frames in one process, in alternated blocks of ten, for ROUNDS rounds of 330 frames
# each: the ratio of its total times is the finer figure, as two blocks a tenth of a second apart
# see nearly the same spell of the machine, where two runs seconds apart do not.
# Usage: scripts/bench-frames.sh [build-dir] [runs] [rounds]
#   (build-dir defaults to build/bench, the bench preset; runs to 5; rounds to 10, 0 for none)
set -u
here=$(cd "$(dirname "$0")" && pwd)
build="${1:-$here/../build/bench}"
runs="${2:-5}"
rounds="${3:-10}"
frames="$build/bench/bench_frames"
bare="$build/bench/bench_bare_frames"
paired="$build/bench/bench_paired_frames"
for exe in "$frames" "$bare" "$paired"; do
  [ -x "$exe" ] || { echo "bench-frames: $exe is not built" >&2; exit 2; }
done
export KT_XVFB_SCREEN="${KT_XVFB_SCREEN:-1280x1024x24}"
unset DISPLAY
# shellcheck disable=SC2016
"$here/with-xvfb.sh" bash -c '
  frames=$1 bare=$2 runs=$3 paired=$4 rounds=$5
  rate() { sed -n "s/.* \([0-9.]*\) frames per second.*/\1/p"; }
  median() { sort -g | awk "{ v[NR] = \$1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }"; }
  echo "load: $(uptime)"
  f_rates="" b_rates="" pairs=""
  for r in $(seq 1 "$runs"); do
    out=$("$frames") || { echo "bench_frames failed" >&2; exit 1; }
    echo "frames run $r: $out"
    f_rate=$(echo "$out" | rate)
    out=$("$bare") || { echo "bench_bare_frames failed" >&2; exit 1; }
    echo "bare   run $r: $out"
    b_rate=$(echo "$out" | rate)
    f_rates="$f_rates $f_rate" b_rates="$b_rates $b_rate"
    pairs="$pairs $(awk -v f="$f_rate" -v b="$b_rate" "BEGIN { print f / b }")"
  done
  f=$(echo $f_rates | tr " " "\n" | median)
  b=$(echo $b_rates | tr " " "\n" | median)
  echo "median frames per second: frames $f, bare $b"
  awk -v f="$f" -v b="$b" "BEGIN { printf \"ratio frames / bare: %.3f (%.1f %%)\n\", f / b, 100 * f / b }"
  # Each run next to the bare run after it, so that a slower or faster spell of the machine moves
  # both: the median of those ratios.
  p=$(echo $pairs | tr " " "\n" | median)
  awk -v p="$p" "BEGIN { printf \"median of the pairwise ratios: %.3f (%.1f %%)\n\", p, 100 * p }"
  if [ "$rounds" -gt 0 ]; then
    "$paired" "$rounds" || { echo "bench_paired_frames failed" >&2; exit 1; }
  fi
  echo "load: $(uptime)"
' bench-frames "$frames" "$bare" "$runs" "$paired" "$rounds"

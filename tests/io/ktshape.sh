#!/usr/bin/env bash
# The ktshape tool on real files: usage errors, info, check and convert, a model turned into a shape
# record and back, and refusals with their messages and exit statuses.
# Usage: ktshape.sh PATH/TO/ktshape
set -u
tool=${1:?usage: ktshape.sh PATH/TO/ktshape}
root=$(cd "$(dirname "$0")/../.." && pwd)
models=${KT_ASSIMP_MODELS:-/usr/share/assimp/models}
[ -d "$models" ] || { echo "ktshape.sh: $models is missing (Debian package assimp-testmodels)"; exit 1; }
E2E_NAME=ktshape.sh
source "$root/scripts/e2e-lib.sh"
e2e_workdir
work=$E2E_WORK

# run ARGS...: runs the tool, setting status, out and err.
run() {
  "$tool" "$@" >"$work/out" 2>"$work/err"
  status=$?
  out=$(cat "$work/out")
  err=$(cat "$work/err")
}
has_line() { grep -qxF -- "$2" <<<"$1"; }

# Usage errors: a usage line on standard error and status 2.
while IFS='|' read -r name args; do
  read -r -a argv <<<"$args"
  run "${argv[@]}"
  [ "$status" -eq 2 ] || fail "$name: status $status, not 2"
  [[ "$err" == usage:\ ktshape* ]] || fail "$name: no usage line on standard error: '$err'"
done <<'CASES'
no verb|
unknown verb|frobnicate x
info without file|info
info with two files|info a b
check without file|check
convert with one file|convert a
convert with three files|convert a b c
unknown option|convert --fast a b
format without id|convert a b --format
CASES

run --help
[ "$status" -eq 0 ] && [[ "$out" == usage:\ ktshape* ]] && grep -q convert <<<"$out" || fail "--help: status $status, '$out'"

# A model into a record and back: the record is whole and holds every triangle.
run convert "$models/PLY/Wuson.ply" "$work/wuson.ktrec"
[ "$status" -eq 0 ] && [ -z "$out" ] || fail "convert ply to record: status $status, '$out'"
run check "$work/wuson.ktrec"
[ "$status" -eq 0 ] && [ -z "$out" ] || fail "check of a converted record: status $status, '$out'"
run info "$work/wuson.ktrec"
for line in "format: shape record" "drawStyle: 4 (triangles)" "listLength: 11184" "indexListLength: 11196" \
  "whole: yes" "triangles: 3732"; do
  has_line "$out" "$line" || fail "info of the record lacks '$line'"
done
run info "$models/PLY/Wuson.ply"
has_line "$out" "triangles: 3732" && has_line "$out" "vertices: 11184" || fail "info of the model: '$out'"

# A record of triangle strips (3 x 5 mesh: 2 strips of 8 triangles) through PLY and back: the PLY
# written from the round-tripped record is byte for byte the one written from the original.
cp "$root/tests/fuzz/corpus/mesh3x5" "$work/mesh.ktrec"
run info "$work/mesh.ktrec"
has_line "$out" "triangles: 16" || fail "mesh record: '$out'"
for step in "mesh.ktrec mesh.ply" "mesh.ply back.ktrec" "back.ktrec back.ply"; do
  read -r from to <<<"$step"
  run convert "$work/$from" "$work/$to"
  [ "$status" -eq 0 ] || fail "convert $from $to: status $status, '$out'"
done
cmp -s "$work/mesh.ply" "$work/back.ply" || fail "the PLY of the round-tripped record differs"
run info "$work/back.ktrec"
has_line "$out" "triangles: 16" && has_line "$out" "drawStyle: 4 (triangles)" || fail "round trip: '$out'"

# check: status 0 only when every file is a whole record; each damaged one named with the message.
head -c 200 "$work/wuson.ktrec" >"$work/short.ktrec"
cp "$work/wuson.ktrec" "$work/trailing.ktrec"; printf 'x' >>"$work/trailing.ktrec"
: >"$work/empty.ktrec"
run check "$work/wuson.ktrec" "$work/short.ktrec" "$work/mesh.ktrec" "$work/trailing.ktrec" "$work/empty.ktrec" \
  "$models/PLY/cube.ply"
[ "$status" -eq 1 ] || fail "check with damaged files: status $status"
for f in short.ktrec trailing.ktrec empty.ktrec; do
  has_line "$out" "$work/$f: readFromFile: shape record is damaged" || fail "check: no message for $f: '$out'"
done
has_line "$out" "$models/PLY/cube.ply: readFromFile: shape record is damaged" || fail "check: a PLY passed as a record"
[ "$(wc -l <<<"$out")" -eq 4 ] || fail "check: expected 4 lines, got '$out'"
run info "$work/short.ktrec"
[ "$status" -eq 1 ] && has_line "$out" "whole: no" || fail "info of a damaged record: status $status, '$out'"

# Refusals of convert: one line naming the file, status 1, no output file.
run convert "$work/empty.ktrec" "$work/x.ply"
[ "$status" -eq 1 ] && [ ! -e "$work/x.ply" ] && has_line "$out" "$work/empty.ktrec: readFromFile: shape record is damaged" ||
  fail "convert of a damaged record: status $status, '$out'"
: >"$work/empty.obj"
run convert "$work/empty.obj" "$work/x.ktrec"
[ "$status" -eq 1 ] && [ ! -e "$work/x.ktrec" ] && [[ "$out" == "import: cannot read $work/empty.obj: "* ]] ||
  fail "convert of an empty model: status $status, '$out'"
run convert "$work/wuson.ktrec" "$work/missing/dir/x.glb"
[ "$status" -eq 1 ] && [[ "$out" == "export: cannot write $work/missing/dir/x.glb: "* ]] ||
  fail "convert into a missing directory: status $status, '$out'"
run convert "$work/wuson.ktrec" /dev/full --format stlb
[ "$status" -eq 1 ] && [[ "$out" == "export: cannot write /dev/full: "* ]] || fail "convert onto a full disk: '$out'"

e2e_finish

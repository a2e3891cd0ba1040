#!/usr/bin/env bash
# check-wide-isolation.sh BUILD_DIR: checks that the wide kernels stay in their own object files, so a
# machine without AVX2 / AVX-512F never executes one of their instructions.
# - Baseline objects (names without Avx2 / Avx512) of ktcore, ktframework and the cloth module hold no
#   ymm or zmm register and no VEX- or EVEX-encoded instruction.
# - Kernel objects hold no fused multiply-add, and define no global or weak symbol other than functions
#   named for their instruction set: an inline helper emitted there as a weak symbol could otherwise be
#   the copy the linker keeps for baseline callers.
# With no kernel objects only the first check applies. Exits 0 when all pass.
set -uo pipefail
build=${1:?usage: check-wide-isolation.sh BUILD_DIR}
[ -d "$build" ] || { echo "check-wide-isolation: no build directory $build" >&2; exit 2; }
targets=(ktcore ktframework drapoapp)

# Instructions of one object that need more than the baseline: prefixes skipped, the first opcode byte
# is C4/C5 (VEX) or 62 (EVEX) in 64-bit code, or an operand is a ymm/zmm register.
wide_instructions() {
    objdump -d --insn-width=15 "$1" | awk -F'\t' '
        NF >= 3 {
            n = split($2, byte, " "); i = 1
            while (i <= n && byte[i] ~ /^(f0|f2|f3|2e|36|3e|26|64|65|66|67)$/) i++
            if (byte[i] ~ /^(c4|c5|62)$/ || $3 ~ /%[yz]mm/) print "  " $1 " " $3
        }'
}

objects=()
for target in "${targets[@]}"; do
    while IFS= read -r -d '' obj; do objects+=("$obj"); done \
        < <(find "$build" -path "*/CMakeFiles/$target.dir/*" -name '*.o' -print0)
done
[ ${#objects[@]} -gt 0 ] || { echo "check-wide-isolation: no object files of ${targets[*]} under $build" >&2; exit 2; }

failed=0 kernels=0
for obj in "${objects[@]}"; do
    name=$(basename "$obj")
    case $name in
        *Avx512*) isa=Avx512 ;;
        *Avx2*) isa=Avx2 ;;
        *) isa="" ;;
    esac
    if [ -z "$isa" ]; then
        found=$(wide_instructions "$obj" | head -n 5)
        if [ -n "$found" ]; then
            echo "$obj: baseline object with wide instructions:"; echo "$found"; failed=1
        fi
        continue
    fi
    kernels=$((kernels + 1))
    found=$(objdump -d "$obj" | grep -E $'\t''vf(n)?m(add|sub)' | head -n 5)
    if [ -n "$found" ]; then
        echo "$obj: fused multiply-add in a kernel object:"; echo "$found"; failed=1
    fi
    # Global and weak definitions (upper-case types, u, v, w): only functions (T, W) named for the set,
    # and the pointer to the C++ personality routine that every object using exceptions shares.
    found=$(nm --defined-only "$obj" | awk -v isa="$isa" '
        $2 ~ /^[A-Zuvw]$/ && $3 != "DW.ref.__gxx_personality_v0" &&
        !($2 ~ /^[TW]$/ && index($3, isa) > 0) { print "  " $2 " " $3 }' | head -n 5)
    if [ -n "$found" ]; then
        echo "$obj: kernel object exports symbols not named $isa:"; echo "$found"; failed=1
    fi
done
echo "check-wide-isolation: ${#objects[@]} objects, $kernels kernel objects: $([ $failed -eq 0 ] && echo ok || echo FAILED)"
exit $failed

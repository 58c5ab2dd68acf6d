#!/usr/bin/env bash
# Checks the object code of the transform kernels' bodies for what the run-time tests cannot
# see: the x87 body uses no SSE or MMX register and calls nothing, and waits for pending
# faults; the SSE2 body uses no x87 instruction, never touches MXCSR, makes every 16-byte
# access an aligned one, and calls its four steps, each a sized function symbol.
# Arguments: the object files, one per argument or separated by ';' (a CMake list).
set -euo pipefail

objects=()
for argument in "$@"; do
    IFS=';' read -ra listed <<<"$argument"
    objects+=("${listed[@]}")
done

status=0
fail() {
    echo "$1"
    status=1
}

for object in "${objects[@]}"; do
    listing=$(objdump -d --no-show-raw-insn -M intel "$object")
    instructions=$(grep -P '^\s+[0-9a-f]+:\t' <<<"$listing" | cut -f2)
    name=$(basename "$object")
    case "$name" in
        fpujpg*)
            grep -E '\b(x|y|z)?mm[0-9]+\b' <<<"$instructions" >/dev/null &&
                fail "$name: the x87 body uses vector registers"
            grep -E '^call' <<<"$instructions" >/dev/null && fail "$name: the x87 body calls out"
            grep -E '^fwait' <<<"$instructions" >/dev/null ||
                fail "$name: no FWAIT, a fault of the last store would escape the guard"
            ;;
        ssejpg*)
            grep -E '^f[a-z]+' <<<"$instructions" >/dev/null &&
                fail "$name: the SSE2 body uses x87 instructions"
            grep -E '^(ldmxcsr|stmxcsr|fxrstor|xrstor)' <<<"$instructions" >/dev/null &&
                fail "$name: the SSE2 body touches MXCSR"
            if grep -i -E 'xmmword ptr' <<<"$instructions" | grep -v -E '^movapd ' >/dev/null; then
                fail "$name: a 16-byte memory operand outside MOVAPD:"
                grep -i -E 'xmmword ptr' <<<"$instructions" | grep -v -E '^movapd ' | head -3
            fi
            symbols=$(readelf -sW "$object")
            for step in ConvertPixelPair ClearArea RowPassStep ColumnPassStep; do
                grep -E "^call .*<$step>" <<<"$instructions" >/dev/null ||
                    fail "$name: $step is never called"
                grep -E "[1-9][0-9]* FUNC .* $step\$" <<<"$symbols" >/dev/null ||
                    fail "$name: $step is not a sized function symbol"
            done
            ;;
    esac
done
exit $status

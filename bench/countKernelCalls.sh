#!/usr/bin/env bash
# Counts, with callgrind, the calls each Hamming kernel makes to its inner routines in one
# call, and prints them beside the counts its fixed work implies, reckoned from the repetition
# and step counts of the kernels' headers. Run by hand (about half a minute for all of them);
# never under CI.
#
# Usage: bench/countKernelCalls.sh [BUILD_DIR] [KERNEL ...]
#   BUILD_DIR defaults to build/; the kernels default to all of them.
# Exit status 1 when any count differs from the expected one.
set -euo pipefail

buildDir=${1:-build}
shift || true
program="$buildDir/bench/kernelOnce"
[[ -x $program ]] || { echo "$program not built (make build)" >&2; exit 2; }
command -v valgrind >/dev/null || { echo "valgrind is missing (scripts/install-deps.sh)" >&2; exit 2; }

# The code steps, encode repetitions and decode repetitions of the Hamming kernels whose macros
# start with PREFIX, read from their headers as the kernels are built with them.
sourceDir=$(cd "$(dirname "$0")/.." && pwd)
kernelCounts() { # PREFIX
    local name expansion
    for name in CODE_STEPS ENCODE_REPETITIONS DECODE_REPETITIONS; do
        expansion=$({
            printf '#include "hamming/%s"\n' bit8hamUnit.h bit32hamUnit.h mmxhamUnit.h ssehamUnit.h
            echo "$1_$name"
        } | cpp -P -D__ASSEMBLER__ -I"$sourceDir" | tail -n 1)
        echo $((expansion))
    done
}

# kernel routine expected-calls, one routine per line, for a pair of kernels whose macros start
# with PREFIX: four bit tests per encode step and eight per check step of PREFIX_CODE_STEPS,
# each a call of ROUTINE.
scalarExpectations() { # ENCODE DECODE ROUTINE PREFIX
    local steps encodes decodes
    { read -r steps; read -r encodes; read -r decodes; } < <(kernelCounts "$4")
    echo "$1 $3 $((4 * steps * encodes))"
    echo "$2 $3 $((8 * steps * decodes))"
}

# The same for a pair of vector kernels: the assembly body called once, per encode step one
# ParityTerms of four LaneMask terms, per check step one SyndromeTerms of eight and one
# AcceptNibbles.
vectorExpectations() { # ENCODE DECODE PREFIX
    local steps encodes decodes
    { read -r steps; read -r encodes; read -r decodes; } < <(kernelCounts "$3")
    echo "$1 $1Repetitions 1"
    echo "$1 ParityTerms $((steps * encodes))"
    echo "$1 LaneMask $((4 * steps * encodes))"
    echo "$2 $2Repetitions 1"
    echo "$2 SyndromeTerms $((steps * decodes))"
    echo "$2 LaneMask $((8 * steps * decodes))"
    echo "$2 AcceptNibbles $((steps * decodes))"
}

expectations=$(
    scalarExpectations Ham8Encode Ham8Decode SpreadFlag8 HAM8
    scalarExpectations Ham32Encode Ham32Decode SpreadFlag32 HAM32
    vectorExpectations HamMmxEncode HamMmxDecode HAM_MMX
    vectorExpectations HamSseEncode HamSse2Decode HAM_SSE
)

kernels=("$@")
if [[ ${#kernels[@]} -eq 0 ]]; then
    mapfile -t kernels < <(awk 'NF { print $1 }' <<<"$expectations" | uniq)
fi

workDir=$(mktemp -d)
trap 'rm -rf "$workDir"' EXIT

status=0
printf '%-14s %-24s %12s %12s\n' kernel routine measured expected
for kernel in "${kernels[@]}"; do
    out="$workDir/$kernel.out"
    valgrind --tool=callgrind --callgrind-out-file="$out" --toggle-collect="$kernel" \
        --compress-strings=no --compress-pos=no "$program" "$kernel" >/dev/null 2>"$workDir/log" ||
        { echo "$kernel: run failed"; cat "$workDir/log"; status=1; continue; }
    # Calls are recorded as a cfn= line naming the callee, followed by calls=COUNT.
    awk '/^cfn=/ { callee = substr($0, 5) }
         /^calls=/ { split(substr($0, 7), field, " "); calls[callee] += field[1] }
         END { for (name in calls) print name, calls[name] }' "$out" >"$workDir/calls"
    while read -r name routine expected; do
        [[ $name == "$kernel" ]] || continue
        measured=$(awk -v routine="$routine" '$1 == routine { print $2 }' "$workDir/calls")
        measured=${measured:-0}
        mark=""
        [[ $measured == "$expected" ]] || { mark="  <- differs"; status=1; }
        printf '%-14s %-24s %12s %12s%s\n' "$kernel" "$routine" "$measured" "$expected" "$mark"
    done <<<"$expectations"
done
exit $status

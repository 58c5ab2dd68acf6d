#!/usr/bin/env bash
# Checks, in the symbol tables of the programs, that the kernels' code is laid out the same in
# each: every routine of the kernel block (the function symbols of its code section) sits at
# the same offset modulo 4096 in every program, every routine but the compiler's cold
# fragments starts on a 64-byte boundary, and each kernel of the test table is in the block
# (KERNEL_ONCE, which lists them when called without a kernel, is one of the programs).
# Usage: checkKernelBlock.sh BLOCK_OBJECT KERNEL_ONCE PROGRAM...
set -euo pipefail

block=$1
shift
kernels=$("$1" 2>&1 | sed -n 's/^Kernels: //p' || true)
[[ -n $kernels ]] || { echo "$1 lists no kernels"; exit 1; }

# The block's routines in their order: name and offset in the code section.
section=$(readelf -SW "$block" | sed -n 's/^ *\[ *\([0-9]*\)\] \.text\.kernel_block .*/\1/p')
routines=$(readelf -sW "$block" | awk -v section="$section" '$4 == "FUNC" && $7 == section {
    print $2, $8 }' | sort)
[[ -n $routines ]] || { echo "$block: no routines in .text.kernel_block"; exit 1; }

status=0
fail() {
    echo "$*"
    status=1
}

for kernel in $kernels; do
    grep -q " $kernel\$" <<<"$routines" || fail "$kernel is not in the kernel block"
done

# One line per routine and program: the routine's n-th address in that program's symbol table,
# n counting the routines of the same name in the block (the MMX and SSE units each have a
# LaneMask, for instance).
declare -A placed
for program in "$@"; do
    symbols=$(nm --defined-only "$program")
    declare -A seen=()
    while read -r _ name; do
        n=$((${seen[$name]:-0} + 1))
        seen[$name]=$n
        address=$(awk -v name="$name" '$3 == name { print $1 }' <<<"$symbols" | sort |
            sed -n "${n}p")
        if [[ -z $address ]]; then
            fail "$(basename "$program"): no routine $name (#$n)"
            continue
        fi
        address=$((16#$address))
        if [[ $name != *.cold ]] && ((address % 64 != 0)); then
            fail "$(basename "$program"): $name at $(printf '%#x' "$address"),"\
                "not on a 64-byte boundary"
        fi
        key="$name#$n"
        page=$((address % 4096))
        if [[ -n ${placed[$key]:-} && ${placed[$key]} != "$page" ]]; then
            fail "$(basename "$program"): $name at offset $page of its page,"\
                "elsewhere at ${placed[$key]}"
        fi
        placed[$key]=$page
    done <<<"$routines"
    unset seen
done
echo "$(wc -l <<<"$routines") routines checked in $#"' programs'
exit $status

#!/usr/bin/env bash
# Counts, with callgrind, the work one call of each transform kernel does, and prints it beside
# the counts the kernels are laid out to do: the SSE2 kernel's step calls, the x87 kernel's
# executed x87 instructions by kind. Run by hand after `make build`; takes about a minute.
#
# Usage: bench/transformWork.sh [build directory, default build]
#
# callgrind does not emulate the x87 unit's 80-bit precision nor its unmasked exceptions; the
# counts are exact all the same, since the kernels' paths do not depend on the values.
set -euo pipefail

build=${1:-build}
program=$build/tests/kernelOnce
[[ -x $program ]] || { echo "no $program: run make build first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A kernel's repetitions per call, read from its header as the kernel is built with it.
sourceDir=$(cd "$(dirname "$0")/.." && pwd)
repetitions() { # HEADER MACRO
    printf '#include "transform/%s"\n%s\n' "$1" "$2" | cpp -P -D__ASSEMBLER__ -I"$sourceDir" |
        tail -n 1
}
sse2Repetitions=$(repetitions ssejpgUnit.h YUV_FOURIER_SSE2_REPETITIONS)
fpuRepetitions=$(repetitions fpujpgUnit.h YUV_FOURIER_FPU_REPETITIONS)

profile() {
    valgrind --tool=callgrind --dump-instr=yes --dump-line=no \
        --callgrind-out-file="$work/$1.out" "$program" "$2" >/dev/null 2>"$work/$1.log" ||
        { cat "$work/$1.log" >&2; exit 1; }
}

# Calls made by `caller`, per callee: "name count" lines.
callsFrom() {
    awk -v caller="$1" '
        /^c?fn=\(/ {
            id = $1; sub(/^c?fn=/, "", id)
            name = $0; sub(/^[^ ]* ?/, "", name)
            if (name != "") names[id] = name
        }
        /^fn=/ { current = names[id] }
        /^cfn=/ { callee = names[id] }
        /^calls=/ && current == caller { n = $1; sub(/^calls=/, "", n); calls[callee] += n }
        END { for (c in calls) print c, calls[c] }
    ' "$2"
}

# Executions per instruction address inside `function`: "address count" lines (address in hex
# as objdump prints it). Positions are compressed: "+n"/"-n" relative, "*" unchanged; the line
# after "calls=" carries the call site and an inclusive cost that is not the function's own.
executionsIn() {
    awk -v function_name="$1" '
        function hex(text,    value, i) {
            value = 0
            for (i = 3; i <= length(text); i++)
                value = value * 16 + index("0123456789abcdef", tolower(substr(text, i, 1))) - 1
            return value
        }
        function position(token) {
            if (token == "*") return last
            if (token ~ /^0x/) return hex(token)
            return last + token
        }
        /^c?fn=\(/ {
            id = $1; sub(/^c?fn=/, "", id)
            name = $0; sub(/^[^ ]* ?/, "", name)
            if (name != "") names[id] = name
        }
        /^fn=/ { inside = names[id] == function_name; next }
        /^(c?ob|c?fl|c?fi|fe|cfn)=/ { next }
        /^calls=/ { callLine = 1; next }
        /^(0x|\+|-|\*)/ {
            last = position($1)
            if (callLine) { callLine = 0; next }
            if (inside) count[last] += $2
        }
        END { for (a in count) printf "%x %d\n", a, count[a] }
    ' "$2"
}

echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo

profile sse2 YuvFourierSse2
echo "YuvFourierSse2, one call: calls of its steps"
printf '  %-16s %12s %12s %14s\n' step calls expected "instr./call"
selfCost=$(executionsIn YuvFourierSse2Repetitions "$work/sse2.out" | awk '{ s += $2 } END { print s }')
callsFrom YuvFourierSse2Repetitions "$work/sse2.out" >"$work/sse2.calls"
# Per repetition: 32 pixel pairs, 2 areas cleared, 192 steps in each pass.
for entry in ConvertPixelPair:32 ClearArea:2 RowPassStep:192 ColumnPassStep:192; do
    step=${entry%%:*}
    expected=$((${entry##*:} * sse2Repetitions))
    calls=$(awk -v s="$step" '$1 == s { print $2 }' "$work/sse2.calls")
    own=$(executionsIn "$step" "$work/sse2.out" | awk '{ s += $2 } END { print s + 0 }')
    printf '  %-16s %12s %12s %14s\n' "$step" "${calls:-0}" "$expected" \
        "$(awk -v o="$own" -v c="${calls:-0}" 'BEGIN { if (c > 0) printf "%.2f", o / c }')"
done
echo "  (the loop of YuvFourierSse2Repetitions itself: $selfCost instructions)"
echo

profile fpu YuvFourierFpu
echo "YuvFourierFpu, one call: x87 instructions executed in YuvFourierFpuRepetitions"
objdump -d --no-show-raw-insn -M intel "$program" |
    awk '/^[0-9a-f]+ <YuvFourierFpuRepetitions>:/ { on = 1; next } /^$/ { on = 0 }
         on && /^ +[0-9a-f]+:\t/ { a = $1; sub(/:$/, "", a); split($0, f, "\t"); split(f[2], m, " "); print a, m[1] }' \
        >"$work/fpu.mnemonics"
executionsIn YuvFourierFpuRepetitions "$work/fpu.out" >"$work/fpu.counts"
# Expected per repetition (YUV_FOURIER_FPU_REPETITIONS per call), and once per call for FWAIT: colour conversion
# 64 pixels (3 loads, 9 constants, 6 FMUL + 3 FMULP, 6 FADDP, 1 FXCH, 3 FSTP each); each pass
# 192 zeroings (FLDZ + FSTP) and 1536 terms (FLD, FMUL, FADD, FSTP).
awk -v repetitions="$fpuRepetitions" '
    FNR == NR { mnemonic[$1] = $2; next }
    { if (!($1 in mnemonic)) { print "  address " $1 " not in the listing"; bad = 1 }
      executed[mnemonic[$1]] += $2 }
    END {
        split("fld:3840 fldz:384 fmul:3456 fmulp:192 fadd:3072 faddp:384 fxch:64 fstp:3648", e, " ")
        printf "  %-6s %12s %12s\n", "instr.", "executed", "expected"
        for (i = 1; i in e; i++) {
            split(e[i], kv, ":")
            printf "  %-6s %12d %12d\n", kv[1], executed[kv[1]], kv[2] * repetitions
            delete executed[kv[1]]
        }
        printf "  %-6s %12d %12d\n", "fwait", executed["fwait"], 1
        delete executed["fwait"]
        for (m in executed) if (m ~ /^f/) printf "  %-6s %12d %12s\n", m, executed[m], "none"
        exit bad
    }' "$work/fpu.mnemonics" "$work/fpu.counts"

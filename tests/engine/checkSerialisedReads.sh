#!/usr/bin/env bash
# Checks the harness's timed section in the programs' object code. A kernel call (a call through
# a register) that a time-stamp counter read precedes in straight-line code is a timed call of
# the harness; that read and every counter read after it in the same function (the read after
# the call, those of the next runs) must follow a CPUID, with no jump or call between the CPUID
# and the read. The clock-rate reads, outside the timed section, come before it. At least one
# timed call must be found in each program.
# Usage: checkSerialisedReads.sh PROGRAM...
set -euo pipefail

status=0
for program in "$@"; do
    objdump -d --no-show-raw-insn -M intel "$program" | awk -v program="$(basename "$program")" '
        function report(message) { print program ": " message; bad = 1 }
        # A counter read at instruction i is serialised when a CPUID comes before it in the
        # same straight-line run.
        function serialised(i,    j) {
            for (j = i - 1; j > 0 && !(j in transfer); j--) if (op[j] == "cpuid") return 1
            return 0
        }
        /^[0-9a-f]+ <.*>:$/ { function_name = $2; functions++; next }
        /^ +[0-9a-f]+:\t/ {
            n++
            split($0, field, "\t")
            split(field[2], word, " ")
            op[n] = word[1]
            operand[n] = word[2]
            at[n] = function_name " " field[1]
            inFunction[n] = functions
            if (op[n] ~ /^(j|call|ret|loop)/) transfer[n] = 1
            if (op[n] == "rdtsc" || op[n] == "rdtscp") read[n] = 1
        }
        END {
            for (i = 1; i <= n; i++) {
                if (op[i] != "call" || operand[i] !~ /^r[a-z0-9]+$/) continue
                before = 0
                for (j = i - 1; j > 0 && !(j in transfer); j--) if (j in read) { before = j; break }
                if (!before) continue
                timed++
                reads = 0
                for (j = before; j <= n && inFunction[j] == inFunction[i]; j++) {
                    if (!(j in read)) continue
                    reads++
                    if (!serialised(j)) report("counter read at " at[j] " follows no CPUID")
                }
                if (reads < 2) report("no counter read after the kernel call at " at[i])
            }
            if (!timed) report("no kernel call between two counter reads found")
            else print program ": " timed " timed kernel calls checked"
            exit bad
        }' || status=1
done
exit $status

#!/usr/bin/env bash
# Runs one kernel once (kernelOnce) under callgrind, which counts calls and instructions
# exactly, and compares its work with the counts given:
#   ROUTINE=COUNT           calls of ROUTINE during the kernel's call
#   ROUTINE:MNEMONIC=COUNT  executions of the instruction MNEMONIC inside ROUTINE
# COUNT may be a product (8*4096*801).
# With --cores N the kernel's test is timed as the every-core run times it (N worker processes,
# ten calls each), and the counts must hold in each worker's profile.
# Usage: checkKernelWork.sh KERNEL_ONCE KERNEL [--cores N] EXPECTATION...
set -euo pipefail

program=$1
kernel=$2
shift 2
run=("$program" "$kernel")
workers=0
if [[ ${1:-} == --cores ]]; then
    workers=$2
    run+=(--cores "$workers")
    shift 2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Every process writes a profile of its own (a worker is forked with the program's state).
valgrind --tool=callgrind --callgrind-out-file="$work/out.%p" --toggle-collect="$kernel" \
    --dump-instr=yes --dump-line=no --compress-strings=no --compress-pos=no \
    "${run[@]}" >"$work/log" 2>&1 &
parent=$!
wait "$parent" || { cat "$work/log"; exit 1; }
profiles=("$work"/out.*)
if ((workers > 0)); then
    # The program's own profile holds no kernel call; the workers' hold them all.
    rm "$work/out.$parent"
    profiles=("$work"/out.*)
    ((${#profiles[@]} == workers)) ||
        { echo "$kernel: ${#profiles[@]} worker profiles, not $workers"; cat "$work/log"; exit 1; }
fi

# "calls ROUTINE COUNT" for every routine called, "at ROUTINE ADDRESS COUNT" for every
# instruction executed. A calls= line is followed by the call's own position and cost, which
# belong to the callee's inclusive cost, not to the instruction's executions.
countsOf() {
    awk '/^fn=/ { current = substr($0, 4); next }
         /^cfn=/ { callee = substr($0, 5); next }
         /^calls=/ { split(substr($0, 7), field, " "); calls[callee] += field[1]; skip = 1; next }
         /^0x/ { if (skip) skip = 0; else executed[current " " $1] += $2 }
         END { for (name in calls) print "calls", name, calls[name]
               for (key in executed) print "at", key, executed[key] }' "$1"
}

# The mnemonic at each address of ROUTINE, from the program's own listing.
mnemonicsOf() {
    objdump -d --no-show-raw-insn -M intel "$program" |
        awk -v routine="<$1>:" '$2 == routine { inside = 1; next } /^$/ { inside = 0 }
            inside && /^ +[0-9a-f]+:\t/ { split($0, field, "\t"); split(field[2], word, " ")
                                          print "0x" substr($1, 1, length($1) - 1), word[1] }'
}

status=0
for profile in "${profiles[@]}"; do
    countsOf "$profile" >"$work/counts"
    who=$kernel
    ((workers == 0)) || who="$kernel/${profile##*.}"
    for expectation in "$@"; do
        what=${expectation%%=*}
        expected=$((${expectation#*=}))
        if [[ $what == *:* ]]; then
            routine=${what%%:*}
            mnemonic=${what#*:}
            measured=$(awk -v routine="$routine" -v mnemonic="$mnemonic" '
                FNR == NR { if ($2 == mnemonic) wanted[$1] = 1; next }
                $1 == "at" && $2 == routine && ($3 in wanted) { total += $4 }
                END { print total + 0 }' <(mnemonicsOf "$routine") "$work/counts")
        else
            measured=$(awk -v routine="$what" '$1 == "calls" && $2 == routine { total += $3 }
                                              END { print total + 0 }' "$work/counts")
        fi
        mark=""
        [[ $measured == "$expected" ]] || { mark="  <- differs"; status=1; }
        printf '%-20s %-30s %12s %12s%s\n' "$who" "$what" "$measured" "$expected" "$mark"
    done
done
exit $status

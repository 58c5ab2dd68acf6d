#!/usr/bin/env bash
# A sparse --baseline under a 1 GiB address-space limit: files of 1 GB and 16 GiB of holes only
# are refused in one line (exit 1), a file of 16 GiB with four records at its end compares with
# its first record alone as the reference (exit 0); each run ends within 2 s and 100 MB.
# Usage: sparseBaseline.sh RUNNER WORK
set -euo pipefail
runner=$1 work=$2
rm -rf "$work"
mkdir -p "$work/cpus"
cd "$work"
trap 'rm -rf "$work"' EXIT

# A record of processor NAME whose every cycle value is VALUE.
record() {
    python3 -c 'import sys, struct
name = sys.argv[1].encode()
head = bytes([len(name)]) + name.ljust(128, b"\0") + bytes(3 * 129)
sys.stdout.buffer.write(head + struct.pack("<I", int(sys.argv[2])) * 200)' "$1" "$2"
}
record stored 100 > cpus/stored.dat
truncate -s 1G hole1g.dat
truncate -s 16G hole16g.dat
truncate -s $((13054612 * 1316)) tail16g.dat  # 16 GiB, whole records
for value in 120 130 140 150; do record "tail $value" "$value"; done >> tail16g.dat

failed=0
check() {  # BASELINE STATUS PATTERN: the run's exit status and a pattern its output must match
    local status=0
    /usr/bin/time -f '%e %M' -o usage prlimit --as=1073741824 \
        "$runner" --compare --cpus cpus --baseline "$1" > out 2> err || status=$?
    read -r seconds kilobytes < <(tail -n 1 usage)
    if [[ $status -ne $2 ]] || ! grep -Eq "$3" out err ||
       ! awk -v s="$seconds" -v k="$kilobytes" 'BEGIN { exit !(s < 2 && k < 102400) }'; then
        echo "--baseline $1: exit $status in $seconds s, $kilobytes kB; stderr: $(head -c 300 err)"
        failed=1
    fi
}
refusal='it holds no record \(none that is not a hole or all zero\)'
check hole1g.dat 1 "^korvex2-console: cannot read baseline hole1g.dat: $refusal\$"
check hole16g.dat 1 "^korvex2-console: cannot read baseline hole16g.dat: $refusal\$"
check tail16g.dat 0 '^tail16g\.dat#13054613 .*tail 120 .* ref'
if grep -q 'tail 130' out; then
    echo "a record of tail16g.dat other than its first joined the comparison"
    failed=1
fi
exit $failed

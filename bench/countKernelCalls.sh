#!/usr/bin/env bash
# Counts, with callgrind, the calls each Hamming kernel makes to its inner routines in one
# call, and prints them beside the counts its fixed work implies. Run by hand (about half a
# minute for all of them); never under CI.
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

# kernel routine expected-calls, one routine per line.
expectations="
Ham8Encode SpreadFlag8 $((4 * 4096 * 1601))
Ham8Decode SpreadFlag8 $((8 * 4096 * 801))
Ham32Encode SpreadFlag32 $((4 * 1024 * 10000))
Ham32Decode SpreadFlag32 $((8 * 1024 * 5000))
HamMmxEncode HamMmxEncodeRepetitions 1
HamMmxEncode ParityTerms $((512 * 50000))
HamMmxEncode LaneMask $((4 * 512 * 50000))
HamMmxDecode HamMmxDecodeRepetitions 1
HamMmxDecode SyndromeTerms $((512 * 15000))
HamMmxDecode LaneMask $((8 * 512 * 15000))
HamMmxDecode AcceptNibbles $((512 * 15000))
HamSseEncode HamSseEncodeRepetitions 1
HamSseEncode ParityTerms $((256 * 50000))
HamSseEncode LaneMask $((4 * 256 * 50000))
HamSse2Decode HamSse2DecodeRepetitions 1
HamSse2Decode SyndromeTerms $((256 * 15000))
HamSse2Decode LaneMask $((8 * 256 * 15000))
HamSse2Decode AcceptNibbles $((256 * 15000))
"

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

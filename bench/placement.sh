#!/usr/bin/env bash
# Does the kernels' speed depend on where the link puts their code? Runs the timing programs
# build/bench/placement_<bytes> (placement.cpp), which link 0, 16, 32, 48 and 400 bytes of
# other code before the kernel layer, in interleaved rounds, and prints per kernel the best call
# under each placement (millions of time-stamp cycles, best over the rounds), max/min across the
# placements, and where the kernel landed (its offset within its page). The kernel block keeps
# that offset the same whatever comes before it; exit status 1 when it does not.
# Usage: bench/placement.sh [BUILD_DIR] [ROUNDS]   (defaults: build, 3; a round takes about
# 40 s on an idle 2-vCPU machine)
set -euo pipefail

build=${1:-build}
rounds=${2:-3}
placements=(0 16 32 48 400)
for bytes in "${placements[@]}"; do
    program=$build/bench/placement_$bytes
    [[ -x $program ]] || { echo "no $program: make build" >&2; exit 2; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "Placement of the kernels' code: $rounds rounds, load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((round = 1; round <= rounds; round++)); do
    for bytes in "${placements[@]}"; do
        "$build/bench/placement_$bytes" | sed "s/^/$bytes /" >>"$work/results"
    done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

awk -v placements="${placements[*]}" '
    { key = $2 SUBSEP $1
      if (!(key in best) || $4 < best[key]) best[key] = $4
      offset[key] = $3
      if (!($2 in seen)) { seen[$2] = 1; order[++kernels] = $2 } }
    END {
        count = split(placements, bytes, " ")
        printf "%-15s", "kernel"
        for (p = 1; p <= count; p++) printf " %8s", "+" bytes[p]
        printf " %8s  %s\n", "max/min", "offset in page"
        for (k = 1; k <= kernels; k++) {
            name = order[k]; low = 0; high = 0; offsets = ""; moved = 0
            printf "%-15s", name
            for (p = 1; p <= count; p++) {
                value = best[name, bytes[p]]
                printf " %8.2f", value / 1e6
                if (!low || value < low) low = value
                if (value > high) high = value
                if (p > 1 && offset[name, bytes[p]] != offset[name, bytes[1]]) moved = 1
                offsets = offsets (p > 1 ? "/" : "") offset[name, bytes[p]]
            }
            printf " %8.3f  %s\n", high / low, moved ? offsets " (moves)" : offset[name, bytes[1]]
            if (moved) anyMoved = 1
        }
        exit anyMoved
    }' "$work/results"

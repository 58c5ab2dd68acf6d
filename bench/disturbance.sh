#!/usr/bin/env bash
# The console runner on a quiet machine and beside intermittent neighbours, in turns: each round
# one quiet run, then one run while every processor gets bursts of busy work (120 ms busy every
# 400 ms, one shell loop per processor). Per test it prints, over the rounds:
#   best l/q     median of the loaded runs' best over median of the quiet runs' best
#   average l/q  the same for the average of the ten stored calls (what bars and files keep)
#   disturbed    the most disturbed calls of one run, quiet / loaded (all calls made)
#   extra        the most extra calls of one run, quiet / loaded
# "-" where the program's JSON does not say (before it measured disturbance).
# Usage: bench/disturbance.sh [build folder] [rounds, default 3]. About 30 s a run.
set -euo pipefail

rounds=${2:-3}
source "$(dirname "$0")/neighbours.sh"

# One neighbour: busy for 120 ms, idle for 280 ms, until killed. The time is EPOCHREALTIME in
# microseconds, without its decimal separator (a point or a comma, as the locale says).
burst_loop() {
    local now end
    while :; do
        now=${EPOCHREALTIME//[^0-9]/}
        end=$((10#$now + 120000))
        while ((10#$now < end)); do now=${EPOCHREALTIME//[^0-9]/}; done
        sleep 0.28
    done
}

run_console() { # NAME
    mkdir -p "$work/$1"
    (cd "$work/$1" && "$console" --no-pause --json "$work/$1.json" >"$work/$1.log" 2>&1) ||
        { cat "$work/$1.log" >&2; exit 1; }
}

for ((round = 1; round <= rounds; round++)); do
    run_console "quiet-$round"
    for ((cpu = 0; cpu < $(nproc); cpu++)); do
        burst_loop &
        neighbours+=($!)
    done
    run_console "loaded-$round"
    stop_neighbours
done

echo "Disturbance: $rounds rounds on $(nproc) processors, $(uname -n), $(date -u +%FT%TZ)"
jq -rs --argjson rounds "$rounds" '
    def median: sort | if length % 2 == 1 then .[length / 2 | floor]
                       else (.[length / 2 - 1] + .[length / 2]) / 2 end;
    def ratio(a; b): if a == null or b == null or b == 0 then "-"
                     else (a / b * 1000 | round / 1000 | tostring) end;
    def most(f): map(f) | if any(. == null) then "-" else (max | tostring) end;
    def disturbed: if .calls == null then null
                   else ([.calls[], (.replaced_calls // [])[]] | map(select(.disturbed)) | length)
                   end;
    .[:$rounds] as $quiet | .[$rounds:] as $loaded |
    ["test", "best l/q", "average l/q", "disturbed q/l", "extra q/l"],
    (range(0; $quiet[0].tests | length) as $t |
        [$quiet[] | .tests[$t]] as $q | [$loaded[] | .tests[$t]] as $l |
        [$t + 1,
         ratio($l | map(.best.cycles) | median; $q | map(.best.cycles) | median),
         ratio($l | map(.average.cycles) | median; $q | map(.average.cycles) | median),
         (($q | most(disturbed)) + "/" + ($l | most(disturbed))),
         (($q | most(.extra_calls)) + "/" + ($l | most(.extra_calls)))])
    | @tsv' \
    $(for ((r = 1; r <= rounds; r++)); do echo "$work/quiet-$r.json"; done) \
    $(for ((r = 1; r <= rounds; r++)); do echo "$work/loaded-$r.json"; done) | column -t -s $'\t'

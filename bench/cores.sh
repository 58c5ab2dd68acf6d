#!/usr/bin/env bash
# How the kernels scale over the machine's processors: the console runner with --cores N for
# N = 2 … the processors this process may use, in interleaved rounds, and per kernel the median
# over the rounds of its scaling (N × one-core best / the machine's figure, both of the same run;
# N = 1 is 1 by definition). A processor whose cores share nothing shows N; shared caches,
# memory bandwidth, hyper-threads or a hypervisor that overcommits show less.
# Usage: bench/cores.sh [build folder] [rounds, default 3]. A run takes about 20 s per N.
set -euo pipefail

build=$(realpath "${1:-build}")
rounds=${2:-3}
console=$build/korvex2-console
[[ -x $console ]] || { echo "no $console: run make build first" >&2; exit 1; }
processors=$(nproc)
((processors > 1)) || { echo "one processor: nothing to scale over"; exit 0; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "Scaling: $rounds rounds, N = 1…$processors, $(uname -n), load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((round = 1; round <= rounds; round++)); do
    for ((cores = 2; cores <= processors; cores++)); do
        mkdir -p "$work/run"
        (cd "$work/run" && "$console" --no-pause --cores "$cores" \
            --json "$work/$cores-$round.json" >"$work/$cores-$round.log" 2>&1) ||
            { cat "$work/$cores-$round.log" >&2; exit 1; }
    done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

header="kernel"
for ((cores = 1; cores <= processors; cores++)); do header+=$'\t'"N=$cores"; done
{
    echo "$header"
    for ((cores = 2; cores <= processors; cores++)); do
        for ((round = 1; round <= rounds; round++)); do echo "$work/$cores-$round.json"; done
    done | xargs jq -rs --argjson rounds "$rounds" '
        def median: sort | if length % 2 == 1 then .[length / 2 | floor]
                           else (.[length / 2 - 1] + .[length / 2]) / 2 end;
        def shown: if . == null then "-" else (. * 100 | round / 100 | tostring) end;
        [range(0; length; $rounds) as $first | .[$first:$first + $rounds]] as $byCores |
        range(0; .[0].tests | length) as $test |
        [$byCores[0][0].tests[$test].id, "1"] +
        [$byCores[] | [.[].cores.tests[$test].scaling] |
            if any(. == null) then null else median end | shown] | @tsv'
} | column -t -s $'\t'

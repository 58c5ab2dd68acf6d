#!/usr/bin/env bash
# One machine against itself: N runs of the console runner in each order (--order in-order and
# --order rounds, in turns, --no-pause), each saved as a result file under a description of its
# own (--cpu "run K") with its JSON run report beside it. It prints:
#   spread      per test and order, the largest over the smallest of the test's best across the
#               runs (1.000: the same best every run), and the median over the tests
#   same        per order, every run compared with the order's first (--compare --baseline):
#               the tests called real / inconclusive / ≈ ("significant" true / null / false).
#               It is one machine, so every "real" is a false alarm.
#   × 1.10      the first run against a copy of itself with every value × 1.10: "real" is right,
#   × 1.05      "≈" a difference missed; the same for × 1.05
# The runs keep their history in a folder of their own, not in the user's state folder.
# Usage: bench/sameMachine.sh [build folder] [runs per order, default 10]. A run takes 10-20 s.
set -euo pipefail

build=$(realpath "${1:-build}")
runs=${2:-10}
console=$build/korvex2-console
scaler=$build/bench/scaledRecord
[[ -x $console && -x $scaler ]] || { echo "no $console or $scaler: run make build first" >&2; exit 1; }
((runs >= 2)) || { echo "at least two runs per order are needed to compare" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME=$work/state
orders=(in-order rounds)

echo "Same machine: $runs runs per order, in turns, $(nproc) processors, $(uname -n)," \
    "$(date -u +%FT%TZ), load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((run = 1; run <= runs; run++)); do
    for order in "${orders[@]}"; do
        mkdir -p "$work/$order" "$work/cwd"
        (cd "$work/cwd" && "$console" --no-pause --order "$order" --cpu "run $run" \
            --save "$work/$order/run-$run.dat" --json "$work/$order/run-$run.json" \
            >"$work/$order-$run.log" 2>&1) || { cat "$work/$order-$run.log" >&2; exit 1; }
    done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "the last run's line on the orders: $(grep -h "расходятся между запусками" \
    "$work/rounds-$runs.log" || echo "none (both orders within 5 %, or too few runs)")"

# Per test of one order, as a JSON array: the largest best over the smallest across its runs
# (null where a run had no best).
spreads() { # ORDER
    jq -s '[range(0; .[0].tests | length) as $t | [.[] | .tests[$t].best.cycles] |
            if any(. == null or . == 0) then null else max / min end]' "$work/$1"/run-*.json
}

# "real inconclusive ≈" over every machine of FOLDER compared with BASELINE, the baseline's own
# entry left out.
verdicts() { # FOLDER BASELINE
    "$console" --compare --cpus "$1" --baseline "$2" --json - 2>/dev/null |
        jq -r --arg baseline "$(basename "$2")" '
            [.machines[] | select((.file | split("/") | last) != $baseline) | .tests[]
             | .significant] as $all
            | "\($all | map(select(. == true)) | length) \($all | map(select(. == null)) | length)"
              + " \($all | map(select(. == false)) | length)"'
}

echo
jq -rn --argjson ids "$(jq '[.tests[].id]' "$work/rounds/run-1.json")" \
    --argjson inorder "$(spreads in-order)" --argjson rounds "$(spreads rounds)" '
    def median: map(select(. != null)) | sort
                | if length == 0 then null elif length % 2 == 1 then .[length / 2 | floor]
                  else (.[length / 2 - 1] + .[length / 2]) / 2 end;
    def shown: if . == null then "-" else (. * 1000 | round / 1000 | tostring) end;
    ["test", "spread in-order", "spread rounds"],
    (range(0; $ids | length) as $t | [$ids[$t], ($inorder[$t] | shown), ($rounds[$t] | shown)]),
    ["median", ($inorder | median | shown), ($rounds | median | shown)] | @tsv' |
    column -t -s $'\t'

echo
printf '%-22s %6s %13s %4s\n' "comparison" real inconclusive "≈"
for order in "${orders[@]}"; do
    read -r real unsure same < <(verdicts "$work/$order" "$work/$order/run-1.dat")
    printf '%-22s %6s %13s %4s\n' "$order, same machine" "$real" "$unsure" "$same"
    for factor in 1.10 1.05; do
        mkdir -p "$work/$order-x$factor"
        "$scaler" "$work/$order/run-1.dat" "$factor" "$work/$order-x$factor/scaled.dat"
        read -r real unsure same < <(verdicts "$work/$order-x$factor" "$work/$order/run-1.dat")
        printf '%-22s %6s %13s %4s\n' "$order, x $factor" "$real" "$unsure" "$same"
    done
done

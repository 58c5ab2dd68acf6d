#!/usr/bin/env bash
# How fast run reports are read beside result files: --compare over COUNT run reports (default
# 10,000, each a copy of one real run's --json with every call, padded to about 82 kB as a run
# on many cores leaves it) and over COUNT one-record result files of the same run, in interleaved
# rounds; prints each round's seconds, the medians and their ratio (reports / result files),
# with the machine and its load average. The comparison printed is the same size for both, so
# the ratio is what reading the reports costs. Made in a temporary folder, removed at the end.
# Usage: bench/reportReading.sh [build folder] [rounds]; COUNT=… to change the count.
# Run it on a quiet machine (it takes about a minute after the one real run it starts).
set -euo pipefail

runner=$(realpath "${1:-build}")/korvex2-console
rounds=${2:-3}
count=${COUNT:-10000}
work=$(mktemp -d "${TMPDIR:-/tmp}/korvex-report-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

KORVEX2_RUN_LOCK="korvex2-report-bench-$$" "$runner" --no-pause --normal-priority \
    --save one.dat --json one.json > /dev/null
# Pad the report with quality lines (read and skipped: beyond the spreads' lines only warnings
# are kept) to the size a report of many cores has.
python3 - <<'PY'
import json
report = json.load(open("one.json"))
lines = report.setdefault("quality", {}).setdefault("lines", [])
line = "тест 1: 2 вызова из 10 ждали процессор (всего 4.1 мс), заменены"
while len(json.dumps(report, ensure_ascii=False, indent=2).encode()) < 82000:
    lines.append(line)
open("one.json", "w").write(json.dumps(report, ensure_ascii=False, indent=2))
PY
mkdir reports records
for ((i = 0; i < count; i++)); do
    cp one.json "reports/r$i.json"
    cp one.dat "records/r$i.dat"
done

seconds() {  # FOLDER
    /usr/bin/time -f %e -o time "$runner" --compare --cpus "$1" > /dev/null 2> err
    cat time
}
reports=() records=()
for ((round = 1; round <= rounds; round++)); do
    records+=("$(seconds records)")
    reports+=("$(seconds reports)")
    echo "round $round: $count result files ${records[-1]} s, $count reports ${reports[-1]} s"
done
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'), $(nproc) CPUs"
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "report size: $(stat -c %s one.json) bytes"
awk -v a="$(median "${reports[@]}")" -v b="$(median "${records[@]}")" \
    'BEGIN { printf "median: reports %.2f s, result files %.2f s, ratio %.2f\n", a, b, a / b }'

#!/usr/bin/env bash
# The page of --compare --html over MACHINES result records (default 1,000, the most a page
# shows) of random bytes, the worst case for its size: every description 128 characters of
# Windows-1251, two bytes each in UTF-8, and random figures. Prints the page's size, then, over
# ROUNDS loads (default 5) in Debian's chromium, headless, the median time the browser's own
# trace gives for parsing the page, computing its style, laying it out and painting it, and the
# wall time of the whole load beside that of an empty page. Also checks that a folder of 1,200
# records gives a page that says how many it left out. Made in a temporary folder, removed after.
# Usage: bench/htmlPage.sh [build folder]
set -euo pipefail

runner=$(realpath "${1:-build}")/korvex2-console
machines=${MACHINES:-1000}
rounds=${ROUNDS:-5}
work=$(mktemp -d "${TMPDIR:-/tmp}/korvex-html-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/cpus" "$work/more"
head -c $((machines * 1316)) /dev/urandom > "$work/cpus/machines.dat"
head -c $((1200 * 1316)) /dev/urandom > "$work/more/machines.dat"
"$runner" --compare --cpus "$work/cpus" --html "$work/page.html" > /dev/null
"$runner" --compare --cpus "$work/more" --html "$work/more.html" > /dev/null
echo '<!DOCTYPE html><title>empty</title>' > "$work/empty.html"

chromium=(chromium --headless --disable-gpu --no-first-run --disable-background-networking
          --disable-component-update --user-data-dir="$work/profile")
[[ $(id -u) -ne 0 ]] || chromium+=(--no-sandbox)

# Loads `page` once with a trace of the renderer; prints "wall parse style layout paint" in ms.
load() {
    local page=$1 start end
    start=$(date +%s%N)
    "${chromium[@]}" --trace-startup=devtools.timeline,blink --trace-startup-format=json \
        --trace-startup-file="$work/trace.json" --screenshot="$work/shot.png" \
        "file://$page" > /dev/null 2>&1
    end=$(date +%s%N)
    python3 - "$work/trace.json" $(((end - start) / 1000000)) <<'PYTHON'
import json, sys
events = json.load(open(sys.argv[1]))["traceEvents"]
total = {name: 0 for name in ("ParseHTML", "UpdateLayoutTree", "Layout", "Paint")}
for event in events:
    if event.get("ph") == "X" and event.get("name") in total:
        total[event["name"]] += event.get("dur", 0)
print(sys.argv[2], *("%.0f" % (total[name] / 1000) for name in total))
PYTHON
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

: > "$work/page.times"
: > "$work/empty.times"
for ((round = 0; round < rounds; ++round)); do
    load "$work/page.html" >> "$work/page.times"
    load "$work/empty.html" >> "$work/empty.times"
done
column_median() { awk -v c="$2" '{ print $c }' "$1" | median; }

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2-), $(nproc) logical processors"
echo "$machines machines: page $(stat -c %s "$work/page.html") bytes" \
     "($(grep -c '<svg>' "$work/page.html") bar cells)"
printf 'median of %d loads (ms): parse %s, style %s, layout %s, paint %s;' "$rounds" \
    "$(column_median "$work/page.times" 2)" "$(column_median "$work/page.times" 3)" \
    "$(column_median "$work/page.times" 4)" "$(column_median "$work/page.times" 5)"
printf ' whole load %s (an empty page: %s)\n' "$(column_median "$work/page.times" 1)" \
    "$(column_median "$work/empty.times" 1)"
echo "1200 machines: $(grep -o 'Показаны [0-9]* машин[^<]*' "$work/more.html")"

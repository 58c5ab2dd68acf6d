#!/usr/bin/env bash
# Memory and time of --compare over large result folders, made here in a temporary folder and
# removed at the end:
#   1. RECORDS records (default 100,000) in files of 1,000: the text comparison, --json and --csv,
#      each with its wall time and peak resident memory (GNU time); then the peak as a multiple
#      of the records' own size and each output's time as a multiple of the text comparison's.
#   2. LIMITED records (default 2,000,000) under an address-space limit of 1 GiB (prlimit): the
#      three commands' exit statuses and the lines they printed on standard error.
# Usage: bench/compareMemory.sh [build folder]; RECORDS=… LIMITED=… to change the counts.
# Needs about 3 GB in $TMPDIR (or /tmp) for the default counts.
set -euo pipefail

runner=$(realpath "${1:-build}")/korvex2-console
records=${RECORDS:-100000}
limited=${LIMITED:-2000000}
work=$(mktemp -d "${TMPDIR:-/tmp}/korvex-compare-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

# `count` records of random bytes in files of 1,000 records each, in the folder `folder`.
make_folder() {
    local folder=$1 count=$2
    mkdir -p "$folder"
    head -c $((count * 1316)) /dev/urandom |
        split -b $((1000 * 1316)) -a 5 -d --additional-suffix=.dat - "$folder/machines"
}

# Runs the console with `args`, standard output to $work/out; prints "seconds peak-kB".
measure() {
    /usr/bin/time -f '%e %M' -o "$work/time" "$runner" "$@" >"$work/out" 2>/dev/null || true
    cat "$work/time"
}

make_folder "$work/records" "$records"
bytes=$((records * 1316))
read -r text_s text_kb < <(measure --compare --cpus "$work/records")
read -r json_s json_kb < <(measure --compare --cpus "$work/records" --json "$work/c.json")
json_size=$(stat -c %s "$work/c.json")
read -r csv_s csv_kb < <(measure --compare --cpus "$work/records" --csv "$work/c.csv")
echo "$records records, $((bytes / 1000000)) MB; JSON $((json_size / 1000000)) MB"
printf '%-16s %8s %10s %14s %14s\n' command seconds peak_MB peak/records time/text
for row in "text $text_s $text_kb" "json $json_s $json_kb" "csv $csv_s $csv_kb"; do
    read -r name s kb <<<"$row"
    awk -v n="--compare $name" -v s="$s" -v kb="$kb" -v b="$bytes" -v t="$text_s" \
        'BEGIN { printf "%-16s %8.2f %10.0f %14.2f %14.2f\n", n, s, kb / 1000, kb * 1000 / b, s / t }'
done
rm -rf "$work/records" "$work/c.json" "$work/c.csv"

make_folder "$work/limited" "$limited"
echo
echo "$limited records under prlimit --as=1073741824:"
for output in "" "--json $work/l.json" "--csv $work/l.csv"; do
    # shellcheck disable=SC2086 # the output option and its file are two words
    status=0
    prlimit --as=1073741824 "$runner" --compare --cpus "$work/limited" $output \
        >/dev/null 2>"$work/err" || status=$?
    echo "--compare ${output%% *}: exit $status"
    sed 's/^/    /' "$work/err"
done

#!/usr/bin/env bash
# No folder includes a header of a folder above it: each folder may include only its own and
# those listed before it (the README's "Layout: where is X"); the kernels' folders share their
# type and work area both ways. The comparison rows
# (results/cpubenchUnit) keep their place beside the comparison window but rank with record/.
# Usage: checkFolderOrder.sh <source folder>
set -euo pipefail
cd "$1"
folders=(platform kernel:hamming:transform record renderers engine console ui results testrun)
declare -A rank
for i in "${!folders[@]}"; do
    for folder in ${folders[$i]//:/ }; do rank[$folder]=$i; done
done
rank_of() {
    case $1 in results/cpubenchUnit.*) echo "${rank[record]}" ;; *) echo "${rank[${1%%/*}]}" ;; esac
}
status=0
for folder in "${!rank[@]}"; do
    for file in "$folder"/*.{h,cpp}; do
        [ -e "$file" ] || continue
        own=$(rank_of "$file")
        while IFS= read -r header; do
            [ -n "${rank[${header%%/*}]:-}" ] || continue
            if (( $(rank_of "$header") > own )); then
                echo "$file includes $header, of a folder above its own"
                status=1
            fi
        done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
    done
done
exit $status

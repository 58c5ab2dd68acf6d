#!/usr/bin/env bash
# Runs the README's examples as a reader would copy them: every fenced block marked `sh`, in
# order, in one fresh folder, with the built programs first on the PATH. Each block runs under
# bash -euo pipefail and must succeed; its output is shown. Blocks that need other machines or
# a network are fenced without `sh` and left out.
# Usage: readmeExamples.sh README BUILD WORK
set -euo pipefail
readme=$1 build=$2 work=$3
rm -rf "$work"
mkdir -p "$work"
cd "$work"
export PATH="$build:$PATH"

blocks=0
block=""
inside=false
while IFS= read -r line; do
    if ! $inside && [[ $line == '```sh' ]]; then
        inside=true block=""
    elif $inside && [[ $line == '```' ]]; then
        inside=false
        blocks=$((blocks + 1))
        printf '### example %d\n%s\n### output\n' "$blocks" "$block"
        bash -euo pipefail -c "$block" || { echo "readmeExamples: example $blocks failed" >&2; exit 1; }
    elif $inside; then
        block+="$line"$'\n'
    fi
done < "$readme"
[[ $blocks -gt 0 ]] || { echo "readmeExamples: no example found" >&2; exit 1; }

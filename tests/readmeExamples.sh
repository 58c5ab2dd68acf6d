#!/usr/bin/env bash
# Runs the README's examples as a reader would copy them right after `make run`: every fenced
# block marked `sh`, in order, in one fresh folder whose `build` is the build folder BUILD. The
# programs are not on the PATH then: a bare korvex2-console or korvex2 finds a stand-in that
# fails, whatever is installed on this machine. Each block runs under bash -euo pipefail and
# must succeed; its output is shown. Blocks that need other machines or a network are fenced
# without `sh` and left out.
# Usage: readmeExamples.sh README BUILD WORK
set -euo pipefail
readme=$1 build=$2 work=$3
rm -rf "$work"
mkdir -p "$work/not-installed"
cd "$work"
ln -s "$(realpath "$build")" build
for program in korvex2 korvex2-console; do
    printf '#!/bin/sh\necho "%s is not on the PATH right after make run: call build/%s" >&2\nexit 127\n' \
        "$program" "$program" > "not-installed/$program"
    chmod +x "not-installed/$program"
done
export PATH="$work/not-installed:$PATH"

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

#!/usr/bin/env bash
# Every source file of the program's folders is listed in its folder's CMakeLists.txt under a
# layer (or as a program's main file), and its opening comment names that layer or program:
# "// Layer korvex_run: ..." or "// Program korvex2, ...".
# Usage: checkLayerComments.sh <source folder>
set -euo pipefail
cd "$1"
declare -A owner_of
for folder in platform kernel hamming transform record renderers results engine console ui testrun; do
    owner=""
    while IFS= read -r line; do
        if [[ $line =~ korvex_layer_files\(([a-z_]+) ]]; then
            owner="Layer ${BASH_REMATCH[1]}:"
        elif [[ $line =~ target_sources\(korvex_[a-z]+_kernels ]]; then
            owner="Layer korvex_kernels:"
        elif [[ $line =~ add_executable\(([a-z0-9-]+)\ ([A-Za-z]+\.cpp)\) ]]; then
            owner_of[$folder/${BASH_REMATCH[2]}]="Program ${BASH_REMATCH[1]},"
        elif [[ $line == *")"* ]]; then
            owner=""
        elif [[ -n $owner && $line =~ ^\ +([A-Za-z0-9]+\.(h|cpp|S))$ ]]; then
            owner_of[$folder/${BASH_REMATCH[1]}]=$owner
        fi
    done < "$folder/CMakeLists.txt"
done
status=0
for file in {platform,kernel,hamming,transform,record,renderers,results,engine,console,ui,testrun}/*.{h,cpp,S}; do
    [ -e "$file" ] || continue
    owner=${owner_of[$file]:-}
    if [ -z "$owner" ]; then
        echo "$file: not listed under a layer in its folder's CMakeLists.txt"
        status=1
    elif ! head -n 2 "$file" | grep -qF -- "// $owner"; then
        echo "$file: its opening comment does not say \"$owner\""
        status=1
    fi
done
exit $status

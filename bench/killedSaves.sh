#!/usr/bin/env bash
# Kills a process that saves over one file (save_loop) with SIGKILL at random moments, on each
# of the save's two ways, and counts what the file holds after each kill:
#   whole  all of one of the two contents;
#   torn   a mix of both, or of old and other bytes;
#   lost   missing, empty or short.
# rename:   a file of one link, 20,000 bytes, replaced by a new file renamed over it;
# in place: a file of two hard links, 1316 bytes (a result file), written in place, and its
#           other link, which must hold the same.
# Usage: bench/killedSaves.sh [build folder] [kills per way, 300]. About a minute.
set -euo pipefail

build=$(realpath "${1:-build}")
kills=${2:-300}
loop="$build/bench/save_loop"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# What `file` holds: whole, torn or lost, for contents of `size` bytes.
verdict() {
    local file=$1 size=$2
    [[ -f "$file" ]] || { echo lost; return; }
    local length
    length=$(stat -c %s "$file")
    ((length == size)) || { echo lost; return; }
    local kinds
    kinds=$(tr -d 'AB' <"$file" | wc -c)
    if ((kinds != 0)); then echo torn; return; fi
    if [[ $(tr -d 'A' <"$file" | wc -c) -eq 0 || $(tr -d 'B' <"$file" | wc -c) -eq 0 ]]; then
        echo whole
    else
        echo torn
    fi
}

for way in rename in-place; do
    folder="$work/$way"
    mkdir -p "$folder"
    if [[ $way == rename ]]; then size=20000; else size=1316; fi
    head -c "$size" /dev/zero | tr '\0' 'A' >"$folder/out.dat"
    [[ $way == in-place ]] && ln "$folder/out.dat" "$folder/other.dat"
    whole=0 torn=0 lost=0 linked=0
    for ((kill = 0; kill < kills; ++kill)); do
        "$loop" "$folder/out.dat" "$size" &
        pid=$!
        sleep "0.0$((RANDOM % 90 + 10))"
        kill -9 "$pid"
        wait "$pid" 2>/dev/null || true
        case $(verdict "$folder/out.dat" "$size") in
            whole) whole=$((whole + 1)) ;;
            torn) torn=$((torn + 1)) ;;
            lost) lost=$((lost + 1)) ;;
        esac
        if [[ $way == in-place && "$folder/out.dat" -ef "$folder/other.dat" ]]; then
            linked=$((linked + 1))
        fi
    done
    leftovers=$(find "$folder" -name '.korvex-*' | wc -l)
    echo "$way: $kills kills: $whole whole, $torn torn, $lost lost;" \
        "$leftovers temporaries left$([[ $way == in-place ]] && echo "; links kept $linked times")"
done

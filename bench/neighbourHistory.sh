#!/usr/bin/env bash
# A run beside a busy neighbour, measured against the machine's own record: three quiet runs make
# the record, then one run while a shell loop at nice 19 keeps every other processor busy, then
# one quiet run again. Per run it prints slower_by (how much slower than the best on record; the
# JSON's history) and the quality report's line on it, if any: the busy run should get one, the
# quiet run after it not. The runs keep their history in a folder of their own.
# Usage: bench/neighbourHistory.sh [build folder]. About 20 s a run.
set -euo pipefail

source "$(dirname "$0")/neighbours.sh"
export XDG_STATE_HOME=$work/state

echo "Busy neighbour against the record: $(nproc) processors, $(uname -n)," \
    "$(date -u +%FT%TZ), load before: $(cut -d' ' -f1-3 /proc/loadavg)"
run() {
    local name=$1
    (cd "$work" && "$console" --no-pause --json "$work/$name.json" >"$work/$name.log" 2>&1) ||
        { cat "$work/$name.log" >&2; exit 1; }
    local slower line
    slower=$(python3 -c 'import json,sys; h=json.load(open(sys.argv[1])).get("history") or {}; v=h.get("slower_by"); print("-" if v is None else "%+.1f %%" % (100*v))' "$work/$name.json")
    line=$(grep -h "медленнее лучшего на этой машине" "$work/$name.log" || echo "(no line)")
    printf '%-8s slower_by %8s   %s\n' "$name" "$slower" "$line"
}
for quiet in 1 2 3; do run "quiet-$quiet"; done
for ((cpu = 1; cpu < $(nproc); cpu++)); do
    nice -n 19 bash -c 'while :; do :; done' &
    neighbours+=($!)
done
run busy
stop_neighbours
run after

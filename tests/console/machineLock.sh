#!/usr/bin/env bash
# Two consoles started together: the second waits for the machine's lock, then refuses with exit
# status 3 and one line naming the first one's user and process id (the same user: no hint at
# --ignore-lock), and prints nothing on standard output.
# Usage: machineLock.sh RUNNER WORK
set -euo pipefail
runner=$1 work=$2
rm -rf "$work"
mkdir -p "$work"
cd "$work"
export KORVEX2_RUN_LOCK="korvex2-lock-test-$$"

"$runner" --no-pause > first.log 2>&1 &
first=$!
trap 'kill "$first" 2>/dev/null || true; rm -f "/run/korvex2/$KORVEX2_RUN_LOCK.lock"' EXIT
# The first line is printed once the run holds the lock.
until grep -q . first.log; do
    kill -0 "$first" 2>/dev/null || { echo "the first run ended early:"; cat first.log; exit 1; }
    sleep 0.1
done

status=0
"$runner" --no-pause > second.out 2> second.err || status=$?
expected="korvex2-console: another benchmark run is in progress on this machine (user $(id -un), process $first); two runs at once skew each other, so this one does not start"
if [[ $status -ne 3 || -s second.out || "$(cat second.err)" != "$expected" ||
      $(wc -l < second.err) -ne 1 ]]; then
    echo "second run: exit $status, stdout '$(cat second.out)', stderr '$(cat second.err)'"
    exit 1
fi
echo "the second run refused, naming process $first"

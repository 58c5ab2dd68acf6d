#!/usr/bin/env bash
# The machine's lock between two real users. A second user binding the lock's names holds no run
# of root's hostage: root's run goes on, warns naming that user, and its quality report (and
# JSON) says so; a second run of root's meanwhile still waits and then refuses naming root. While
# root's run holds the lock, the second user's run waits and then refuses naming root, or goes on
# with a warning under --ignore-lock.
# Usage: otherUsersLock.sh RUNNER WORK
set -euo pipefail
source "$(dirname "$0")/../support/secondUser.sh"
runner=$1 work=$2
rm -rf "$work"
mkdir -p "$work"
chown "$peer" "$work"
cd "$work"
export KORVEX2_RUN_LOCK="korvex2-lock-users-$$"
pids=()
trap 'kill "${pids[@]}" 2> /dev/null || true; rm -f "/run/korvex2/$KORVEX2_RUN_LOCK.lock"' EXIT
failed=0
fail() { echo "$*"; failed=1; }

# Started in the background; returns once FILE has a line matching PATTERN.
wait_for() {  # FILE PATTERN PROCESS
    until grep -q "$2" "$1" 2> /dev/null; do
        kill -0 "$3" 2> /dev/null || { echo "process $3 ended early:"; cat "$1"; exit 1; }
        sleep 0.1
    done
}

# The second user binds both of root's names without listening, as a hostage-taker would.
"${as_peer[@]}" /usr/bin/python3 -c 'import socket, sys, time
names = [socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) for _ in sys.argv[1:]]
for s, name in zip(names, sys.argv[1:]): s.bind("\0" + name)
print("bound", flush=True); time.sleep(600)' "$KORVEX2_RUN_LOCK" "$KORVEX2_RUN_LOCK-0" \
    > squatter.log &
pids+=($!)
wait_for squatter.log bound $!
"$runner" --no-pause --json root.json > root.out 2> root.err &
pids+=($!)
warning="^korvex2-console: warning: another user's benchmark run holds this machine \(user $peer, process unknown\); this run goes on all the same \(it runs as root\)"
wait_for root.err warning $!
# A second run of root's goes past no such names: it waits for the first and refuses.
status=0
start=$SECONDS
"$runner" --no-pause > second.out 2> second.err || status=$?
refusal="^korvex2-console: another benchmark run is in progress on this machine \(user root, process unknown\); two runs at once skew each other, so this one does not start$"
if [[ $status -ne 3 || $((SECONDS - start)) -lt 5 ]] || ! grep -Eq "$refusal" second.err; then
    fail "root's second run: exit $status after $((SECONDS - start)) s, $(cat second.err)"
fi
status=0
wait "${pids[1]}" || status=$?
[[ $status -eq 0 ]] && grep -Eq "$warning" root.err || fail "root's run: exit $status, $(cat root.err)"
grep -q "машину занимал запуск другого пользователя (пользователь $peer" root.out root.json ||
    fail "the quality report does not name $peer"
kill "${pids[0]}"
wait "${pids[0]}" 2> /dev/null || true

# Root's run holds the lock: the second user's run waits, then refuses naming root.
"$runner" > held.log 2>&1 &
pids+=($!)
wait_for held.log . $!
status=0
start=$SECONDS
"${as_peer[@]}" "$runner" --no-pause > peer.out 2> peer.err || status=$?
refusal="^korvex2-console: another benchmark run is in progress on this machine \(user root, process ${pids[2]}\); two runs at once skew each other, so this one does not start \(--ignore-lock starts it all the same\)$"
if [[ $status -ne 3 || $((SECONDS - start)) -lt 5 ]] || ! grep -Eq "$refusal" peer.err; then
    fail "the second user's run: exit $status after $((SECONDS - start)) s, $(cat peer.err)"
fi
# With --ignore-lock it goes on: its first line follows the warning.
"${as_peer[@]}" "$runner" --no-pause --ignore-lock > ignoring.out 2> ignoring.err &
pids+=($!)
wait_for ignoring.out . $!
grep -Eq "warning: another user's benchmark run holds this machine \(user root, process ${pids[2]}\); this run goes on all the same \(--ignore-lock\)" ignoring.err ||
    fail "--ignore-lock: $(cat ignoring.err)"
exit $failed

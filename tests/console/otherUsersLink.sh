#!/usr/bin/env bash
# Root writing an output through a link a second real user made in a folder of their own: the
# link as the output's name (to root's file, or to a new file in a folder only root may write)
# and as a folder on the way are refused with the reason before anything runs, and root's files
# stay as they were; a link of root's own is written through.
# Usage: otherUsersLink.sh RUNNER WORK
set -euo pipefail
source "$(dirname "$0")/../support/secondUser.sh"
runner=$1 work=$2
rm -rf "$work"
mkdir -p "$work/cpus" "$work/root-only" "$work/theirs"
cd "$work"
chmod 700 root-only
echo "root's own settings" > root-only/victim.conf
chmod 600 root-only/victim.conf
chown "$peer" theirs
"${as_peer[@]}" ln -s "$work/root-only/victim.conf" theirs/z.csv
"${as_peer[@]}" ln -s "$work/root-only/pwn.json" theirs/pwn.json
"${as_peer[@]}" ln -s "$work/root-only" theirs/folder
ln -s "$work/root-only/mine.csv" own.csv
head -c 1316 /dev/zero | tr '\0' '\1' > cpus/a.dat

failed=0
reason="a symbolic link on its way belongs to another user, and a file is never written through a link of anyone but the user writing and root"
for output in "--csv theirs/z.csv" "--json theirs/pwn.json" "--json theirs/folder/pwn.json"; do
    status=0
    # shellcheck disable=SC2086
    "$runner" --compare $output > out 2> err || status=$?
    expected="korvex2-console: cannot write ${output#* }: $reason"
    if [[ $status -ne 1 || "$(cat err)" != "$expected" ]]; then
        echo "$output: exit $status, stderr '$(cat err)'"
        failed=1
    fi
done
if [[ "$(cat root-only/victim.conf)" != "root's own settings" || "$(ls root-only)" != victim.conf ]]; then
    echo "the root-only folder changed: $(ls -l root-only)"
    failed=1
fi
status=0
"$runner" --compare --csv own.csv > out 2> err || status=$?
[[ $status -eq 0 && -s root-only/mine.csv ]] || { echo "own link: exit $status, $(cat err)"; failed=1; }
exit $failed

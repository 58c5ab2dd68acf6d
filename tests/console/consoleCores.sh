#!/usr/bin/env bash
# korvex2-console --cores: a count it cannot use is one line naming the reason (and the line
# naming --help), exit 2, no run; a run on two cores whose worker is killed (SIGKILL) in the
# middle of a test reports that test failed with the reason, times the other tests, exits 0,
# shows the figures on every core on its page and on that of its report read back by --compare,
# and leaves no process behind.
# Usage: consoleCores.sh RUNNER
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A copy under a name of its own, so that its workers can be told from other runs'.
runner=$work/korvex2-console-cores
cp "$1" "$runner"
cd "$work"
fail() {
    echo "consoleCores: $*" >&2
    exit 1
}

for value in 0 9999 x; do
    status=0
    "$runner" --cores "$value" >out.txt 2>err.txt || status=$?
    [[ $status -eq 2 && ! -s out.txt && $(wc -l <err.txt) -eq 2 ]] ||
        fail "--cores $value: exit $status, $(cat out.txt err.txt)"
    grep -q "^korvex2-console: --cores takes 'all' or a number from 1 to [0-9]* (.*), not '$value'\$" \
        err.txt || fail "--cores $value: $(cat err.txt)"
done

"$runner" --no-pause --normal-priority --cores 2 --json run.json --html run.html >out.txt 2>err.txt &
console=$!
victim=""
for ((attempt = 0; attempt < 1200; attempt++)); do
    victim=$(pgrep -P "$console" | head -1 || true)
    [[ -z $victim ]] || break
    sleep 0.1
done
[[ -n $victim ]] || fail "no worker started: $(cat out.txt err.txt)"
kill -KILL "$victim"
status=0
wait "$console" || status=$?
[[ $status -eq 0 ]] || fail "exit $status: $(cat out.txt err.txt)"
pgrep -f "$runner" >/dev/null && fail "a process of the run is left: $(pgrep -af "$runner")"

failed=$(grep -c "Тест не пройден (процесс [12] (процессор [0-9]*) завершён сигналом 9)\$" out.txt || true)
timed=$(grep -c " млн\. тактов, [0-9]* миллисекунд" out.txt || true)
# A test this processor cannot run is in neither block's figures.
unsupported=$(grep -c "^Тест не поддерживается этим процессором$" out.txt || true)
tests=$(jq '.tests | length' run.json)
[[ $failed -eq 1 && $((failed + timed + unsupported)) -eq $tests ]] ||
    fail "$failed tests failed and $timed timed of $tests: $(cat out.txt)"
[[ $(jq '[.cores.tests[] | select(.failure != null)] | length' run.json) -eq 1 &&
    $(jq '.cores.count' run.json) -eq 2 ]] || fail "the JSON's cores: $(jq -c .cores run.json)"
# The run's page shows its figures on every core, the killed worker's failure among them.
[[ $(grep -c '^<tr class="t"><th colspan="5">' run.html) -eq $tests &&
    $(grep -c "завершён сигналом 9" run.html) -eq 1 ]] || fail "run.html lacks the cores"
# Its report, read back by --compare, shows them too.
"$runner" --compare --cpus . --html page.html >/dev/null 2>err.txt || fail "--compare --html"
[[ $(grep -c '^<tr class="t"><th colspan="5">' page.html) -eq $tests &&
    $(grep -c "завершён сигналом 9" page.html) -eq 1 ]] || fail "its report's cores: $(cat err.txt)"
echo "consoleCores: the killed worker's test failed, the run went on"

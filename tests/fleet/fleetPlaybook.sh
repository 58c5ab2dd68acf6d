#!/usr/bin/env bash
# The fleet playbook over Ansible's local connection: two inventory hosts on this machine (the
# same host name, as cloned machines have), each a real run on one core and on every core, and
# a third whose runner is missing. Both result files and JSON reports must arrive under their
# inventory names, complete and distinct, with their run logs, and the comparison printed at the
# end and the page beside fleet.csv must list both, the comparison on one core and (from the
# JSON reports) on every core, the play ending with the page's path; the broken host gets a log
# saying why, no result, and no scratch folder left behind. The results go to korvex-results of
# the folder the playbook is started in, whatever PWD says. The hosts run with korvex_serial and
# Ansible's usual five forks, under a run lock of their own: run at once, the second would find
# the machine taken and fail.
# Usage: fleetPlaybook.sh PLAYBOOK RUNNER WORK
set -euo pipefail
playbook=$1 runner=$2 work=$3

rm -rf "$work"
mkdir -p "$work/ansible/tmp" "$work/scratch"
cd "$work"
# Nothing of the user's Ansible set-up counts, nothing needs a network or a terminal.
printf '[defaults]\n' > ansible.cfg
export ANSIBLE_CONFIG="$work/ansible.cfg" ANSIBLE_HOME="$work/ansible" ANSIBLE_LOCAL_TEMP="$work/ansible/tmp"
export ANSIBLE_REMOTE_TEMP="$work/ansible/tmp" ANSIBLE_HOST_KEY_CHECKING=False ANSIBLE_NOCOWS=1
export ANSIBLE_RETRY_FILES_ENABLED=False ANSIBLE_FORCE_COLOR=False ANSIBLE_STDOUT_CALLBACK=default
# The hosts' scratch folders are made here.
export TMPDIR="$work/scratch"
export KORVEX2_RUN_LOCK="korvex2-fleet-test-$$"
# Root's runs lock a file of this name (/run/korvex2): removed with the test.
trap 'rm -f "/run/korvex2/$KORVEX2_RUN_LOCK.lock"' EXIT
cat > hosts.ini <<INVENTORY
[bench]
web1 ansible_connection=local
web2 ansible_connection=local
broken ansible_connection=local korvex_console=$work/missing/korvex2-console

[all:vars]
ansible_python_interpreter=/usr/bin/python3
korvex_console=$runner
INVENTORY

fail() { echo "fleetPlaybook: $*" >&2; exit 1; }
status=0
PWD=/ ansible-playbook -i hosts.ini -e korvex_serial=1 \
    -e "korvex_options='--no-pause --normal-priority'" "$playbook" > output.txt 2>&1 || status=$?
cat output.txt
# 2: a host failed, and only that one.
[[ $status -eq 2 ]] || fail "ansible-playbook exited with $status"
for recap in 'broken .* failed=1' 'web1 .* failed=0' 'web2 .* failed=0' 'localhost .* failed=0'; do
    grep -qE "^$recap " output.txt || fail "the play recap lacks '$recap'"
done

# With one processor, --cores all is the one-core run alone.
processors=$(nproc)
coreRows=$((processors > 1 ? 1 : 0))
for host in web1 web2; do
    [[ $(stat -c %s "korvex-results/$host.dat") -eq 1316 ]] || fail "$host.dat is not one record"
    tests=$(jq '.tests | length' "korvex-results/$host.json")
    # A record is 516 bytes of description and two rows of ten 4-byte values per test; the
    # comparison compares the tests the records hold, the run's report has every test it ran.
    recordTests=$((($(stat -c %s "korvex-results/$host.dat") - 516) / 80))
    # A whole run: a versioned report with one entry per test the run's log lists.
    [[ $(jq '.schema | type' "korvex-results/$host.json") == '"number"' &&
        $(grep -cE "млн\. тактов$|^Тест не (пройден|поддерживается этим процессором)$" \
            "korvex-results/$host.log") -eq $tests ]] ||
        fail "$host.json is not a whole run"
    grep -q "Завершено..." "korvex-results/$host.log" || fail "$host.log does not hold the run"
    [[ $(jq '.cores.count // 1' "korvex-results/$host.json") -eq $processors ]] ||
        fail "$host.json lacks the run on all $processors processors"
    # A row in each test's table (under its "File" heading), whatever summary comes first, and
    # as many in the block of the runs on every core.
    rows=$(awk -v row="^ *\"$host.dat " '/^ *"Все ядра сразу",?$/{ cores = 1 }
                                         /^ *"File /{ table = 1; next } /^ *"",?$/{ table = 0 }
                                         table && $0 ~ row { ++n[cores + 0] }
                                         END { print n[0] + 0, n[1] + 0 }' output.txt)
    [[ $rows == "$recordTests $((recordTests * coreRows))" ]] ||
        fail "the comparison lacks $host (rows on one core, on every core: $rows)"
done
cmp -s korvex-results/web1.dat korvex-results/web2.dat &&
    fail "both hosts delivered the same result file"
grep -q "No such file or directory" korvex-results/broken.log || fail "broken.log does not say why"
[[ ! -e korvex-results/broken.dat && ! -e korvex-results/broken.json ]] ||
    fail "the broken host has results"
[[ -z $(ls -A scratch) ]] || fail "scratch folders left behind: $(ls scratch)"
[[ $(grep -c ',ham8-encode,' korvex-results/fleet.csv) -eq $((2 + 2 * coreRows)) ]] ||
    fail "fleet.csv lacks a host or a run on every core"
# The page beside it, with both hosts in the list of machines, its path the last thing said.
# Each host's figures on every core come from its JSON report, beside its result file.
cores=$(sed -n '/<section id="cores">/,/<\/section>/p' korvex-results/fleet.html)
for host in web1 web2; do
    grep -q "^<tr[^>]*><td>$host.dat<td>.*Linux" korvex-results/fleet.html ||
        fail "fleet.html lacks $host"
    [[ $(grep -c "^<tr[^>]*><td>$host.dat<td>" <<<"$cores") -eq $tests ]] ||
        fail "fleet.html lacks $host's figures on every core"
done
# And the fingerprint of the kernel code that ran, from the same reports, in the machine list.
code=$("$runner" --version | sed -n 's/^Kernel code //p')
[[ -n $code && $(grep -c "<td>$code\$" korvex-results/fleet.html) -eq 2 ]] ||
    fail "fleet.html lacks the kernel code $code"
[[ $(grep -o '"msg": "Fleet page: .*"' output.txt | tail -n 1) == \
    "\"msg\": \"Fleet page: $work/korvex-results/fleet.html\"" ]] ||
    fail "the play does not end with the page's path"
echo "fleetPlaybook: both hosts arrived, the broken one is logged"

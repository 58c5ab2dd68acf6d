#!/usr/bin/env bash
# The fleet playbook over Ansible's local connection: two inventory hosts on this machine (the
# same host name, as cloned machines have), each a real run. Both result files and JSON reports
# must arrive under their inventory names, complete and distinct, with their run logs, and the
# comparison printed at the end must list both.
# Usage: fleetPlaybook.sh PLAYBOOK RUNNER WORK
set -euo pipefail
playbook=$1 runner=$2 work=$3

rm -rf "$work"
mkdir -p "$work/ansible/tmp"
cd "$work"
# Nothing of the user's Ansible set-up counts, nothing needs a network or a terminal.
printf '[defaults]\n' > ansible.cfg
export ANSIBLE_CONFIG="$work/ansible.cfg" ANSIBLE_HOME="$work/ansible" ANSIBLE_LOCAL_TEMP="$work/ansible/tmp"
export ANSIBLE_REMOTE_TEMP="$work/ansible/tmp" ANSIBLE_HOST_KEY_CHECKING=False ANSIBLE_NOCOWS=1
export ANSIBLE_RETRY_FILES_ENABLED=False ANSIBLE_FORCE_COLOR=False ANSIBLE_STDOUT_CALLBACK=default
cat > hosts.ini <<'INVENTORY'
[bench]
web1 ansible_connection=local
web2 ansible_connection=local

[all:vars]
ansible_python_interpreter=/usr/bin/python3
INVENTORY

fail() { echo "fleetPlaybook: $*" >&2; exit 1; }
ansible-playbook -i hosts.ini -f 1 -e "korvex_console=$runner" -e "korvex_results=$work/results" \
    -e "korvex_options='--no-pause --normal-priority'" "$playbook" > output.txt 2>&1 ||
    { cat output.txt; fail "ansible-playbook failed"; }
cat output.txt

for host in web1 web2; do
    [[ $(stat -c %s "results/$host.dat") -eq 1316 ]] || fail "$host.dat is not one record"
    tests=$(jq '.tests | length' "results/$host.json")
    # A whole run: a report of schema 1 with one entry per test the run's log lists.
    [[ $(jq '.schema' "results/$host.json") == 1 &&
        $(grep -cE "млн\. тактов$|^Тест не пройден$" "results/$host.log") -eq $tests ]] ||
        fail "$host.json is not a whole run"
    grep -q "Завершено..." "results/$host.log" || fail "$host.log does not hold the run"
    [[ $(grep -c "^ *\"$host.dat " output.txt) -eq $tests ]] || fail "the comparison lacks $host"
done
cmp -s results/web1.dat results/web2.dat && fail "both hosts delivered the same result file"
[[ $(grep -c ',ham8-encode,' results/fleet.csv) -eq 2 ]] || fail "fleet.csv lacks a host"
echo "fleetPlaybook: both hosts arrived"

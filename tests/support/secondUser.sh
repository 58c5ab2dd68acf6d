# Sourced by the tests that need a second real user: `peer`, created where missing (a system
# account without a home or a login shell), and `as_peer`, the words that run a command as it
# ("${as_peer[@]}" COMMAND...: the command takes the process over, so $! of one started in the
# background is the command's).
# The tests skip (exit 77) unless they run as root.
if [[ $(id -u) -ne 0 ]]; then
    echo "a second user needs root to create and become"
    exit 77
fi
peer=korvex2-peer
# Two tests may create it at once: the one that loses finds it made.
getent passwd "$peer" > /dev/null ||
    useradd --system --no-create-home --shell /usr/sbin/nologin "$peer" 2> /dev/null ||
    getent passwd "$peer" > /dev/null
as_peer=(setpriv --reuid="$peer" --regid="$peer" --init-groups)

#!/usr/bin/env bash
# Runs a Qt test program the way a screen reader user runs the program: in a D-Bus session of
# its own (the AT-SPI bus and registry start on demand), with Qt's accessibility bridge on and
# a listener (runAnnouncementListener.py) already listening when the program starts. The
# program finds what the listener heard in the file named by KORVEX_HEARD.
# Usage: screenReaderSession.sh LISTENER PROGRAM [ARGUMENTS...] (under an X server)
set -euo pipefail
listener=$1
shift

if [[ -z ${KORVEX_IN_SESSION:-} ]]; then
    exec env KORVEX_IN_SESSION=1 dbus-run-session -- "$0" "$listener" "$@"
fi

work=$(mktemp -d)
listener_pid=
trap 'kill "$listener_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
export KORVEX_HEARD=$work/heard.txt
: >"$KORVEX_HEARD"
mkfifo "$work/ready"
"$listener" "$KORVEX_HEARD" >"$work/ready" &
listener_pid=$!
read -r -t 30 answer <"$work/ready" || answer=
[[ $answer == ready ]] || { echo "screenReaderSession: the listener did not start" >&2; exit 1; }

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$@"

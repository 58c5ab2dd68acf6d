#!/usr/bin/env bash
# The windows program on a Wayland desktop: with an X server at hand (as XWayland is) it opens
# its windows there, on Qt's xcb platform, and says nothing; without one it runs on Wayland and
# says once on standard error that the compositor places the windows.
# Usage (under a virtual X server): xvfb-run -a waylandSession.sh PROGRAM
# A headless Weston is the Wayland compositor; the session is announced as a desktop's is.
set -euo pipefail
program=$(realpath "$1")

work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston_pid= program_pid=
stop() {
    [[ -n $program_pid ]] && kill "$program_pid" 2>/dev/null || true
    [[ -n $weston_pid ]] && kill "$weston_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap stop EXIT
fail() {
    echo "waylandSession: $*" >&2
    exit 1
}

source "$(dirname "$0")/weston.sh"
start_weston

# Starts the program in a folder of its own with the Wayland session's environment and no Qt
# platform chosen; its standard error goes to $work/stderr.
start_program() {
    mkdir -p "$work/folder"
    (cd "$work/folder" && exec env -u QT_QPA_PLATFORM "$@" WAYLAND_DISPLAY=wayland-korvex \
        XDG_SESSION_TYPE=wayland "$program" 2>"$work/stderr") &
    program_pid=$!
}
stop_program() {
    kill "$program_pid"
    wait "$program_pid" 2>/dev/null || true
    program_pid=
}
# The program's own notes about Wayland on standard error (Qt's messages left aside).
notes() {
    grep -c '^korvex2: .*Wayland' "$work/stderr" || true
}

# With an X server: the main window appears on it.
start_program
for ((tries = 0; tries < 100; tries++)); do
    xdotool search --onlyvisible --pid "$program_pid" --name '^Тестирование$' >/dev/null 2>&1 && break
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended: $(cat "$work/stderr")"
    sleep 0.2
done
xdotool search --onlyvisible --pid "$program_pid" --name '^Тестирование$' >/dev/null 2>&1 ||
    fail "with an X server at hand the main window did not appear on it"
[[ $(notes) == 0 ]] || fail "on X11 it spoke of Wayland: $(cat "$work/stderr")"
stop_program

# Without one: it runs on Wayland and says so once.
start_program -u DISPLAY
for ((tries = 0; tries < 100; tries++)); do
    [[ $(notes) != 0 ]] && break
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended: $(cat "$work/stderr")"
    sleep 0.2
done
sleep 1
kill -0 "$program_pid" 2>/dev/null || fail "the program ended on Wayland: $(cat "$work/stderr")"
[[ $(notes) == 1 ]] || fail "expected one note about Wayland, got: $(cat "$work/stderr")"
stop_program
echo "waylandSession: X11 chosen with an X server at hand, Wayland (with one note) without"

#!/usr/bin/env bash
# Runs a Qt test program on Wayland: a headless Weston of its own (debug protocols on, so that
# `weston-debug scene-graph` can say where the compositor put each window), no X server, Qt's
# wayland platform. The runtime folder, the compositor and its log go when the program ends.
# Usage: westonSession.sh PROGRAM [ARGUMENTS...]
set -euo pipefail

work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston_pid=
trap '[[ -n $weston_pid ]] && kill "$weston_pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

source "$(dirname "$0")/weston.sh"
start_weston --debug

env -u DISPLAY WAYLAND_DISPLAY=wayland-korvex QT_QPA_PLATFORM=wayland "$@"

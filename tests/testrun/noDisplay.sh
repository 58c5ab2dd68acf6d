#!/usr/bin/env bash
# The windows program where no window system answers (no DISPLAY nor WAYLAND_DISPLAY, or a
# DISPLAY whose server does not answer): one line on standard error, naming the console runner,
# and exit status 1; never Qt's abort.
# Usage: noDisplay.sh PROGRAM
set -uo pipefail
program=$1
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
failed=0

while IFS='|' read -r what settings; do
    # shellcheck disable=SC2086 # the settings are words for env
    err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$runtime" \
              $settings "$program" 2>&1 >/dev/null)
    status=$?
    if [[ $status -ne 1 || $(wc -l <<< "$err") -ne 1 || $err != korvex2:*korvex2-console* ]]; then
        echo "$what: exit $status, standard error:" >&2
        echo "$err" >&2
        failed=1
    fi
done <<'CASES'
no display at all|
a display that does not answer|DISPLAY=:4711
the X11 platform chosen, no display|QT_QPA_PLATFORM=xcb
CASES
exit "$failed"

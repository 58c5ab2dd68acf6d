#!/usr/bin/env bash
# The windows program on a working display asked for a window-system plugin that does not exist:
# Qt's reasons on standard error (naming the plugin), exit status 1, and no claim that there is
# no display.
# Usage: unknownPlatform.sh PROGRAM (under an X server)
set -uo pipefail
err=$("$1" -platform bogus 2>&1 >/dev/null)
status=$?
if [[ $status -ne 1 || $err != *'"bogus"'* || $err == *'no display'* ]]; then
    echo "-platform bogus: exit $status, standard error:" >&2
    echo "$err" >&2
    exit 1
fi

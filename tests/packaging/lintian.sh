#!/usr/bin/env bash
# Builds the Debian package from the build tree BUILD into WORK and runs lintian on it: any
# error (E:) or warning (W:) fails, as it would keep the package out of a distribution.
# Usage: lintian.sh BUILD WORK
set -euo pipefail
build=$1 work=$2
rm -rf "$work"
mkdir -p "$work"
(cd "$build" && cpack -G DEB -B "$work" > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
package=$(find "$work" -maxdepth 1 -name 'korvex2_*.deb')
report=$(lintian --tag-display-limit 0 --show-overrides "$package" 2>&1)
echo "lintian $(lintian --version | cut -d' ' -f2) on ${package##*/}:"
echo "$report"
if grep -q '^[EW]: ' <<< "$report"; then
    echo "lintian: errors or warnings on $package" >&2
    exit 1
fi

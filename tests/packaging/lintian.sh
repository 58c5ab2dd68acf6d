#!/usr/bin/env bash
# Builds the Debian packages from the build tree BUILD into WORK and runs lintian on each: any
# error (E:) or warning (W:) fails, as it would keep a package out of a distribution. The
# console package must need no Qt library (servers install it alone), and the package with
# windows must depend on the console package of the same version.
# Usage: lintian.sh BUILD WORK
set -euo pipefail
build=$1 work=$2
rm -rf "$work"
mkdir -p "$work"
(cd "$build" && cpack -G DEB -B "$work" > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
failed=0
fail() { echo "lintian.sh: $*" >&2; failed=1; }

for name in korvex2 korvex2-console; do
    package=$(find "$work" -maxdepth 1 -name "${name}_*.deb")
    [[ -n $package ]] || { fail "no package $name"; continue; }
    report=$(lintian --tag-display-limit 0 --show-overrides "$package" 2>&1)
    echo "lintian $(lintian --version | cut -d' ' -f2) on ${package##*/}:"
    echo "$report"
    grep -q '^[EW]: ' <<< "$report" && fail "errors or warnings on $package"
done

console=$(find "$work" -maxdepth 1 -name 'korvex2-console_*.deb')
windows=$(find "$work" -maxdepth 1 -name 'korvex2_*.deb')
if [[ -n $console && -n $windows ]]; then
    relations=$(dpkg-deb -f "$console" Pre-Depends Depends Recommends Suggests)
    grep -qiE 'qt[0-9]|libqt' <<< "$relations" && fail "the console package needs Qt: $relations"
    version=$(dpkg-deb -f "$console" Version)
    [[ $(dpkg-deb -f "$windows" Depends) == *"korvex2-console (= $version)"* ]] ||
        fail "korvex2 does not depend on korvex2-console $version"
fi
exit "$failed"

#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need.
# Idempotent: packages already present are left alone and apt is not touched at all.
set -euo pipefail

packages=(
    build-essential cmake clang-format git
    qt6-base-dev qt6-qpa-plugins qt6-svg-dev libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev libxcb1-dev libxcb-xinput-dev qt6-translations-l10n
    xvfb xauth fonts-dejavu-core fonts-dejavu-extra imagemagick x11-apps x11-utils xdotool openbox
    qt6-wayland weston
    at-spi2-core python3-pyatspi dbus
    binutils valgrind clang libclang-rt-14-dev
    nlohmann-json3-dev libsimdjson-dev desktop-file-utils appstream dpkg-dev file gzip util-linux
    lintian ansible-core jq
    chromium
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install --no-install-recommends -y -qq "${missing[@]}"

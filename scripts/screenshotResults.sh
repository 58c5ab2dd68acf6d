#!/usr/bin/env bash
# Pictures of the comparison window and the system information dialog under a virtual display:
# builds the picture-taking program and writes the PNG files into build/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j 2 --target korvex_results_screenshots
mkdir -p build/screenshots
xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb \
    build/tests/korvex_results_screenshots build/screenshots

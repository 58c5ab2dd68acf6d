#!/usr/bin/env bash
# The windows program's figures beside the console's (windowsRun.cpp), under a virtual X server
# as a person's display. Hold the machine quiet meanwhile (about 20 s a round).
# Usage: bench/windowsRun.sh BUILD_FOLDER [ROUNDS]
set -euo pipefail
build=$1
rounds=${2:-4}
echo "$(nproc) processors, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2-), load $(cut -d' ' -f1-3 /proc/loadavg)"
xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb "$build/bench/windowsRun" "$rounds"

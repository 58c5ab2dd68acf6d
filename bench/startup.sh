#!/usr/bin/env bash
# Start-up of the real program over three result folders: an empty cpus/, one of 100,000 result
# files, one holding a single 2 GB sparse file. For each it measures, from the launch:
#   window      the main window is mapped;
#   responsive  a click on "Расширить" has taken effect (the window is 328 pixels high);
#   comparison  a click on "Bench" right after has shown the comparison (the folder is read);
# and the peak memory (VmHWM) once the comparison is shown. Times are medians of three starts;
# the last lines give each folder's figures as ratios to the empty folder's.
# Usage: bench/startup.sh [build folder]. Runs under its own virtual X server; about two minutes,
# and a few more the first time, which makes the folders in the build folder.
set -euo pipefail

build=$(realpath "${1:-build}")
folders="$build/startup-folders"  # made once, kept for later runs
if [[ -z "${KORVEX_STARTUP_BENCH_DISPLAY:-}" ]]; then
    if [[ ! -e "$folders/ready" ]]; then
        rm -rf "$folders"
        mkdir -p "$folders/empty/cpus" "$folders/files/cpus" "$folders/sparse/cpus"
        head -c $((100000 * 1316)) /dev/urandom |
            split -b 1316 -a 5 -d --additional-suffix=.dat - "$folders/files/cpus/machine"
        truncate -s 2G "$folders/sparse/cpus/big.dat"
        touch "$folders/ready"
    fi
    # A display number of its own: xvfb-run -a can hand two servers started at once the same one.
    # -noreset: the server would otherwise reset each time the program ends, and refuse the next
    # start's connection while it does.
    exec env KORVEX_STARTUP_BENCH_DISPLAY=1 xvfb-run -n $((300 + RANDOM % 600)) \
        -s "-screen 0 1280x1024x24 -noreset" bash "$0" "$build"
fi

seconds_since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }'; }
# Waits until `condition` holds while the program $pid runs, at most two minutes.
wait_until() {
    local deadline=$((SECONDS + 120))
    until "$@"; do
        if ! kill -0 "$pid" 2>/dev/null || ((SECONDS > deadline)); then
            echo "startup.sh: korvex2 ended or did not answer in $PWD" >&2
            kill "$pid" 2>/dev/null || true
            exit 1
        fi
        sleep 0.005
    done
}
window_id() { id=$(xdotool search --onlyvisible --name "^$1" 2>/dev/null | head -1) && [[ -n $id ]]; }
window_height() { [[ $(xwininfo -id "$1" | awk '/Height:/ { print $2 }') == "$2" ]]; }

# One start in folder $1: prints "window responsive comparison peak-kB".
pid=0
measure_start() {
    cd "$1"
    local start=$EPOCHREALTIME
    "$build/korvex2" &
    pid=$!
    local id main window responsive comparison peak
    wait_until window_id "Тестирование"
    main=$id
    window=$(seconds_since "$start")
    xdotool mousemove --window "$main" 100 76 click 1
    wait_until window_height "$main" 328
    responsive=$(seconds_since "$start")
    xdotool mousemove --window "$main" 280 76 click 1
    wait_until window_id "Bench"
    comparison=$(seconds_since "$start")
    peak=$(awk '/VmHWM/ { print $2 }' "/proc/$pid/status")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo "$window $responsive $comparison $peak"
}

median() { printf '%s\n' "$@" | sort -g | sed -n 2p; }

declare -A figures
for folder in empty files sparse; do
    windows=() responses=() comparisons=() peaks=()
    for _ in 1 2 3; do
        result=$(measure_start "$folders/$folder")
        read -r w r c p <<<"$result"
        windows+=("$w") responses+=("$r") comparisons+=("$c") peaks+=("$p")
    done
    figures[$folder]="$(median "${windows[@]}") $(median "${responses[@]}") \
$(median "${comparisons[@]}") $(printf '%s\n' "${peaks[@]}" | sort -g | tail -1)"
done

echo "Start-up of $build/korvex2 ($(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
    "$(nproc) logical processors), medians of 3 starts:"
printf '%-22s %10s %12s %12s %14s\n' "cpus/ holds" window responsive comparison "peak memory"
declare -A names=([empty]="nothing" [files]="100,000 result files" [sparse]="a 2 GB sparse file")
for folder in empty files sparse; do
    read -r w r c p <<<"${figures[$folder]}"
    printf '%-22s %8.3f s %10.3f s %10.3f s %11d MB\n' "${names[$folder]}" "$w" "$r" "$c" $((p / 1024))
done
read -r w0 r0 c0 p0 <<<"${figures[empty]}"
for folder in files sparse; do
    read -r w r c p <<<"${figures[$folder]}"
    awk -v n="${names[$folder]}" -v w="$w" -v r="$r" -v c="$c" -v p="$p" -v w0="$w0" -v r0="$r0" \
        -v c0="$c0" -v p0="$p0" 'BEGIN { printf "%-22s window ×%.2f, responsive ×%.2f, " \
        "comparison ×%.1f, peak memory ×%.1f of the empty folder\n", n, w / w0, r / r0, c / c0, p / p0 }'
done

# Sourced by the benchmarks that run the console beside neighbours: sets `console` (from the
# build folder in $1, default build) and a scratch folder `work`, and keeps the neighbours'
# processes in `neighbours` for stop_neighbours, which the exit also calls.
build=$(realpath "${1:-build}")
console=$build/korvex2-console
[[ -x $console ]] || { echo "no $console: run make build first" >&2; exit 1; }
work=$(mktemp -d)
neighbours=()
stop_neighbours() {
    for pid in "${neighbours[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${neighbours[@]}"; do wait "$pid" 2>/dev/null || true; done
    neighbours=()
}
trap 'stop_neighbours; rm -rf "$work"' EXIT

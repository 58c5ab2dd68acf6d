# Sourced by the Wayland sessions. start_weston [ARGUMENT...] starts a headless Weston on the
# socket wayland-korvex of $XDG_RUNTIME_DIR, its log in $work/weston.log, sets weston_pid and
# returns once the socket is there; otherwise the session fails with the log.
start_weston() {
    weston --backend=headless-backend.so --socket=wayland-korvex --idle-time=0 "$@" \
        >"$work/weston.log" 2>&1 &
    weston_pid=$!
    for ((tries = 0; tries < 100; tries++)); do
        [[ -S $XDG_RUNTIME_DIR/wayland-korvex ]] && return 0
        sleep 0.1
    done
    echo "$(basename "$0"): weston did not start: $(cat "$work/weston.log")" >&2
    exit 1
}

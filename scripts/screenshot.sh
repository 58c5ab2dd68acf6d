#!/usr/bin/env bash
# Takes screenshots of the real program's windows under a virtual X server and writes them to
# build/screenshots/: the main window collapsed, during a run, expanded after it (every line in
# full, test 9's label too), with its pop-up menu open, the comparison window the run ends with
# (run from the repository, which has no cpus/: the note naming that folder shows under the own
# row), the save dialog (in Russian), the about box and the banner; then, on a screen scaled 2×
# (QT_SCALE_FACTOR=2), the comparison window and the about box.
#
# There is no window manager, so the windows have no title bars and sit exactly where the
# program puts them. The program is driven like a person would drive it, with xdotool: the run
# is started at normal priority with pauses, pictured during its first pause, the pause box is
# unticked (it counts from the next pause on), and the run counts as finished once the program
# has used no processor time for longer than a pause.
set -euo pipefail
cd "$(dirname "$0")/.."

program=build/korvex2
out=build/screenshots
screen_size=1024x768
scaled_screen_size=2048x1536

if [[ -z ${1:-} ]]; then
    [[ -x $program ]] || { echo "screenshot: $program is missing; run 'make build'" >&2; exit 1; }
    mkdir -p "$out"
    rm -f "$out"/*.png
    xvfb-run -a -s "-screen 0 ${screen_size}x24" "$0" --inside-display
    exec xvfb-run -a -s "-screen 0 ${scaled_screen_size}x24" env QT_SCALE_FACTOR=2 "$0" --scaled
fi
phase=$1

"$program" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

fail() {
    echo "screenshot: $*" >&2
    exit 1
}

# The title a window shows (_NET_WM_NAME, UTF-8; the old WM_NAME may be empty).
window_title() {
    xprop -id "$1" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p'
}

# The first visible window of the program whose title matches the extended regular expression
# $1, waiting up to 30 seconds for it to appear.
find_window() {
    local attempt window
    for ((attempt = 0; attempt < 60; attempt++)); do
        for window in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
            if window_title "$window" | grep -Eq "$1"; then
                echo "$window"
                return 0
            fi
        done
        sleep 0.5
    done
    return 1
}

# Sets X, Y, WIDTH, HEIGHT to the window's place on the screen.
window_geometry() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
}

# capture NAME X Y WIDTH HEIGHT: the screen area, as $out/NAME.png.
capture() {
    import -window root "png:-" | convert - -crop "${4}x${5}+${2}+${3}" +repage "$out/$1.png"
    echo "wrote $out/$1.png (${4}x${5})"
}

click_at() {
    xdotool mousemove "$1" "$2" click "${3:-1}"
    sleep 0.5
}

# Processor time the program has used so far, in clock ticks.
cpu_ticks() {
    awk '{ print $14 + $15 }' "/proc/$pid/stat"
}

# Waits until the program has used no processor time for $1 seconds in a row (at most 10 min).
wait_until_idle() {
    local quiet_needed=$1 last current quiet=0 waited=0
    last=$(cpu_ticks)
    while ((quiet < quiet_needed * 2)); do
        sleep 0.5
        current=$(cpu_ticks)
        if ((current == last)); then quiet=$((quiet + 1)); else quiet=0; fi
        last=$current
        waited=$((waited + 1))
        ((waited < 1200)) || fail "the test run did not finish within 10 minutes"
    done
}

main=$(find_window 'Тестирование') || fail "the main window did not appear"
sleep 1
window_geometry "$main"
mx=$X my=$Y mw=$WIDTH

if [[ $phase == --scaled ]]; then
    # Every length on the screen is doubled. "Bench" shows the comparison window.
    click_at $((mx + 2 * 280)) $((my + 2 * 76))
    comparison=$(find_window '^Bench') || fail "the comparison window did not appear"
    sleep 1
    window_geometry "$comparison"
    capture comparison-scale2 "$X" "$Y" "$WIDTH" "$HEIGHT"
    xdotool windowunmap --sync "$comparison"
    # The pop-up menu's "О программе" opens the about box.
    click_at $((mx + 2 * 300)) $((my + 2 * 40)) 3
    click_at $((mx + 2 * 330)) $((my + 2 * 52))
    about=$(find_window '^About') || fail "the about box did not appear"
    sleep 1
    window_geometry "$about"
    capture about-scale2 "$X" "$Y" "$WIDTH" "$HEIGHT"
    echo "scaled screenshots in $out"
    exit 0
fi

banner=$(find_window '^Korvex 2$') || fail "the banner did not appear"
capture main-collapsed "$mx" "$my" "$mw" "$HEIGHT"

window_geometry "$banner"
capture banner "$X" "$Y" "$WIDTH" "$HEIGHT"

# "Расширить", then untick "Повышенный приоритет".
click_at $((mx + 100)) $((my + 76))
click_at $((mx + 134)) $((my + 16))

# "Начать тест": the clock measurement takes a second, the first test a few, then the first
# pause of five seconds keeps the lines still for the picture.
click_at $((mx + 56)) $((my + 28))
sleep 6
window_geometry "$main"
capture main-during-run "$mx" "$my" "$mw" "$HEIGHT"

# Untick "Приостанавливаться после каждого теста": no pause after the one under way. Seven
# quiet seconds outlast that pause, so they mean the run is over.
click_at $((mx + 134)) $((my + 40))
wait_until_idle 7

# The end of the run shows the comparison of this machine's results, on top.
comparison=$(find_window '^Bench') || fail "the comparison window did not appear after the run"
window_geometry "$comparison"
cx=$X cy=$Y
capture comparison-after-run "$X" "$Y" "$WIDTH" "$HEIGHT"

# Its first tool button opens the system information dialog, whose "Ок" asks for a file name.
click_at $((cx + 13)) $((cy + 14))
information=$(find_window '^Заполнение информации$') || fail "the information dialog did not appear"
window_geometry "$information"
click_at $((X + 221)) $((Y + 140))
save=$(find_window '^Сохранение информации$') || fail "the save dialog did not appear"
sleep 0.5
window_geometry "$save"
capture save-dialog "$X" "$Y" "$WIDTH" "$HEIGHT"
# Cancelling it closes the information dialog as well.
xdotool key Escape
sleep 0.5

# Hiding the comparison is as far as a person without a window manager can close it.
xdotool windowunmap --sync "$comparison"
sleep 0.5

window_geometry "$main"
capture main-expanded "$mx" "$my" "$mw" "$HEIGHT"

# A right click on the list box opens the window's pop-up menu where the pointer is.
menu_x=$((mx + 160)) menu_y=$((my + 200))
click_at "$menu_x" "$menu_y" 3
capture main-popup-menu "$mx" "$my" "$mw" "$HEIGHT"

# "О программе" opens the about box.
click_at $((menu_x + 30)) $((menu_y + 12))
about=$(find_window '^About') || fail "the about box did not appear"
sleep 0.5
window_geometry "$about"
capture about "$X" "$Y" "$WIDTH" "$HEIGHT"

# "OK" closes it.
click_at $((X + 180)) $((Y + 240))
if xdotool search --onlyvisible --pid "$pid" | grep -qx "$about"; then
    fail "OK did not close the about box"
fi
echo "screenshots in $out"

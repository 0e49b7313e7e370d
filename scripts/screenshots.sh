#!/usr/bin/env bash
# Screenshots of the panel as an operator sees it: the real program on the
# default simulated bench, in a virtual X server (Xvfb) with the openbox
# window manager, driven through the keyboard and the mouse by xdotool.
#
#   scripts/screenshots.sh [folder]      (default: docs/screenshots)
#
# Builds the default preset first. Needs the packages of scripts/setup.sh
# (xvfb, openbox, xdotool, imagemagick). Not part of the test run: a picture
# is judged by eye.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=${1:-docs/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)

cmake --preset default >/dev/null
cmake --build --preset default --target p_ksil2 >/dev/null

work=$(mktemp -d)
display=:$((90 + RANDOM % 100))
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 800x700x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 0.5

# The program started in a folder of its own that holds the switch-code
# library, as scripts/run.sh starts it beside it; the protocols and the state
# (the module flashes) go there too.
cp "$root/build/default/bin/libtvksil2_math.so" "$work/"
(cd "$work" && KSIL_STATE_DIR="$work/state" KSIL_HISTORY_FILE="$work/history.sqlite" LANG=C.UTF-8 exec "$root/build/default/bin/p_ksil2" >"$work/p_ksil2.log" 2>&1) &
pids+=($!)

# The first visible window whose title matches, waited for (at most 20 s).
window() {
    for _ in $(seq 200); do
        if id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) && [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        kill -0 "${pids[2]}" 2>/dev/null || { echo "the program ended: $(cat "$work/p_ksil2.log")" >&2; exit 1; }
        sleep 0.1
    done
    echo "no window \"$1\"" >&2
    exit 1
}
shot() {
    sleep "${2:-0.6}"
    import -window root "$work/shot.png"
    # The main window's area; 8-bit colour keeps the files small.
    convert "$work/shot.png" -crop 760x680+20+10 +repage +dither -colors 96 -define png:compression-level=9 \
        "$out/$1.png"
    echo "$out/$1.png"
}
# A window of its own (the charts), without the window manager's frame.
windowshot() {
    sleep "${3:-1.0}"
    import -window "$2" "$work/shot.png"
    convert "$work/shot.png" +dither -colors 96 -define png:compression-level=9 "$out/$1.png"
    echo "$out/$1.png"
}
key() { xdotool key --clearmodifiers "$@"; sleep 0.3; }
# A click at a point of the main window (its menu bar at the top).
click() { xdotool mousemove --window "$mp" "$1" "$2" click 1; sleep 0.4; }
typed() { xdotool type --delay 40 "$1"; sleep 0.2; }

# Start-up: the carrier choice, then the multimeter the search offers; Enter chooses.
window "Выбор инструмента" >/dev/null
shot 01-carrier-choice 0.8
key Return
sleep 1.5
if xdotool search --onlyvisible --name "Выберите" >/dev/null 2>&1; then key Return; fi
mp=$(window "КСИЛ2-4л")
shot 02-calibration 1.0

# Menu "Выполнить...": the automatic calibration; its closing summary over the
# measured table, which CP marks as not yet in the flash.
click 162 8
key Down
key Return
window "^Калибровка КСИЛ2-4Л$" >/dev/null
shot 09-calibration-summary 0.5
key Return

click 142 112
# Page "Поверка", the automatic verification: "Автоповерка", then "Запустить"; a look while
# it runs, then the verdict.
click 498 157
click 290 157
shot 03-run-in-progress 1.2
window "^КСИЛ2-4Л$" >/dev/null
shot 04-verdict 0.5
key Return

# "Графики": the run's deviations against the norm; the window closed again
# (openbox closes on Alt+F4).
click 392 157
charts=$(window "^Графики$")
windowshot 09-deviation-chart "$charts"
xdotool windowactivate --sync "$charts" key alt+F4
sleep 0.5

# Then one point by hand, out of norm, with the keyboard only after the first
# click: R_Z, Enter (focus on "Установить"), Enter (the channel is set, focus
# on R_I), the measured value, Enter (focus on "Ввести"), Enter (the row).
click 498 157
click 139 157
key ctrl+a
typed 1000
key Return
key Return
typed 1010
key Return
key Return
shot 05-manual-point

# The protocol viewer, its last line the out-of-norm manual point; Escape closes it.
click 498 249
window "^Поверка$" >/dev/null
shot 06-protocol-viewer 0.8
key Escape

# Page "Поверка КСИЛ5": a run started; the cursor waits in the measured value.
click 244 112
click 498 157
typed 1.1
shot 07-ksil5-run 0.5
key Return
click 498 157

# An automatic calibration (menu "Выполнить", its first item), then the charts
# again: the calibration's stages against their tolerance, and the drift of
# the module's stages across the calibrations the history holds.
click 162 8
key Down
key Return
window "^Калибровка КСИЛ2-4Л$" >/dev/null
key Return
click 142 112
click 392 157
charts=$(window "^Графики$")
xdotool windowactivate --sync "$charts"
key ctrl+Tab
key ctrl+Tab
windowshot 10-calibration-chart "$charts"
key ctrl+Tab
windowshot 11-drift-chart "$charts"
xdotool windowactivate --sync "$charts" key alt+F4
sleep 0.5

# ABOUT, from the menu "Справка".
click 223 8
key Down
key Return
shot 08-about 0.8


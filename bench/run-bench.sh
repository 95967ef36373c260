#!/usr/bin/env bash
# Runs krumlix_bench under an X server of its own (Xvfb, where the program's
# windows are shown through the xcb platform and its menu is looked for with
# xdotool) and a PulseAudio server of its own with a null sink
# (tests/with_pulseaudio.sh), whose monitor it records to time the sounds
# heard (sox makes the tones it plays). The last line printed is the
# figures line. A second X server, 1920 x 1080 with xfwm4, takes the run
# made fullscreen at 2x (F11 asks the window manager) and the window at 200 %
# beside it.
# Usage: bench/run-bench.sh [BUILD_DIR] [RUN_SECONDS]   (BUILD_DIR: build-tests,
# the folder ./test.sh builds into)
# With SOUND_SERVER=pipewire the sound server is PipeWire instead
# (tests/with_pipewire.sh).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$top/build-tests}" && pwd)
shift $(($# > 0 ? 1 : 0))
bench=$build/bench/krumlix_bench
game=$build/krumlix
if [ ! -x "$bench" ] || [ ! -x "$game/krumlix" ]; then
    echo "run-bench: build first: cmake --build $build" >&2
    exit 1
fi
server=${SOUND_SERVER:-pulseaudio}
case "$server" in
pulseaudio | pipewire) ;;
*) echo "run-bench: SOUND_SERVER is pulseaudio or pipewire" >&2; exit 1 ;;
esac
for tool in Xvfb xdotool parec pactl sox xfwm4 dbus-run-session; do
    command -v "$tool" >/dev/null || { echo "run-bench: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d)
cleanup() {
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    [ -n "${wm:-}" ] && kill -- "-$wm" 2>/dev/null || true
    [ -n "${xvfb2:-}" ] && kill "$xvfb2" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# -displayfd: the server takes a free display number and tells it.
# -noreset: the keyboard settings stay as they are when a client leaves.
Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; echo "run-bench: no Xvfb" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")"
export QT_QPA_PLATFORM=xcb
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

Xvfb -displayfd 3 -noreset -screen 0 1920x1080x24 3>"$work/display2" >"$work/xvfb2.log" 2>&1 &
xvfb2=$!
for _ in $(seq 100); do [ -s "$work/display2" ] && break; sleep 0.1; done
[ -s "$work/display2" ] || { cat "$work/xvfb2.log" >&2; echo "run-bench: no second Xvfb" >&2; exit 1; }
export KRUMLIX_BENCH_FULLSCREEN_DISPLAY=":$(head -n 1 "$work/display2")"
mkdir -p "$work/wmhome"
DISPLAY=$KRUMLIX_BENCH_FULLSCREEN_DISPLAY HOME=$work/wmhome XDG_CONFIG_HOME=$work/wmhome/.config \
    XDG_CACHE_HOME=$work/wmhome/.cache NO_AT_BRIDGE=1 \
    setsid dbus-run-session -- xfwm4 --compositor=off >"$work/xfwm4.log" 2>&1 &
wm=$!
for _ in $(seq 100); do
    DISPLAY=$KRUMLIX_BENCH_FULLSCREEN_DISPLAY xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null |
        grep -q 'window id' && break
    sleep 0.1
done

"$top/tests/with_$server.sh" "$bench" "$game" "$@"

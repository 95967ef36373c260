#!/usr/bin/env bash
# F11 on a real desktop: xfwm4 on Xvfb, or the Xwayland of a headless weston
# or mutter. The game window goes fullscreen through the window manager
# (_NET_WM_STATE_FULLSCREEN, the whole screen) from the menu and in a run,
# the menu stays over it with the keyboard, and F11 again gives back the
# window as it was: 640 x 456, where it stood, with its frame.
# Usage: tst_fullscreen.sh xfwm4|weston|mutter GAME_FOLDER XKB_RATE XSHOT ARTEFACT_DIR
set -uo pipefail
desktop=$1; shift
command -v "$desktop" >/dev/null || { echo "SKIP: $desktop is not installed"; exit 77; }
. "$(dirname "${BASH_SOURCE[0]}")/e2e/play.sh"
case_name=$desktop
if [ "$desktop" = xfwm4 ]; then
    start_e2e "$@" || exit 1
    start_xfwm4 || exit 1
else
    game_folder=$1 xshot=$3 artefacts=$4
    mkdir -p "$artefacts"
    work=$(mktemp -d)
    # The compositor's whole session goes, and is gone before the next test
    # starts its own (mutter takes a while to shut down).
    end_compositor() {
        [ -n "${compositor:-}" ] && kill -- -"$compositor" 2>/dev/null || return 0
        wait "$compositor" 2>/dev/null
        wait_until 5 session_ended || kill -KILL -- -"$compositor" 2>/dev/null
    }
    session_ended() { # no process of its group left but zombies, which init takes in its time
        cat /proc/[0-9]*/stat 2>/dev/null | awk -v group="$compositor" \
            '{ sub(/.*\) /, "") } $3 == group && $1 != "Z" { left = 1 } END { exit left }'
    }
    trap 'end_compositor; cleanup' EXIT
    export XDG_RUNTIME_DIR=$work/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    if [ "$desktop" = weston ]; then
        setsid weston --backend=headless-backend.so --use-pixman --xwayland --socket="krumlix-$$" \
            --idle-time=0 --width=1024 --height=768 --log="$work/log" >/dev/null 2>&1 &
        listening='s/.*xserver listening on display \(:[0-9]*\).*/\1/p'
    else
        # GNOME's compositor, with a session bus of its own; its Xwayland
        # lets in the clients of its authority file.
        WAYLAND_DISPLAY=krumlix-$$ HOME=$work setsid dbus-run-session -- mutter --wayland \
            --headless --virtual-monitor 1280x1024 --wayland-display="krumlix-$$" >"$work/log" 2>&1 &
        listening='s/.*Using public X11 display \(:[0-9]*\).*/\1/p'
    fi
    compositor=$!
    for _ in $(seq 100); do
        DISPLAY=$(sed -n "$listening" "$work/log" 2>/dev/null)
        [ -n "$DISPLAY" ] && break
        sleep 0.1
    done
    [ -n "$DISPLAY" ] || { echo "$desktop did not start"; cat "$work/log"; exit 1; }
    if [ "$desktop" = mutter ]; then
        XAUTHORITY=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* 2>/dev/null | head -n 1)
        export XAUTHORITY
    fi
    export DISPLAY WAYLAND_DISPLAY=krumlix-$$ XDG_SESSION_TYPE=wayland
    unset QT_QPA_PLATFORM
fi

# "X Y WIDTH HEIGHT" of a window's client area on the screen.
client_geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /Width:/ { w = $NF } /Height:/ { h = $NF } END { print x, y, w, h }'
}
fullscreen_state() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN; }
is_fullscreen() { fullscreen_state "$1" && [ "$(client_geometry "$1")" = "0 0 $screen" ]; }
# weston places every window itself (it takes no position from a program):
# there the window comes back at its size, wherever weston puts it.
is_window() {
    ! fullscreen_state "$1" || return 1
    if [ "$desktop" = weston ]; then
        [ "$(client_geometry "$1" | cut -d' ' -f3-4)" = "640 456" ]
    else
        [ "$(client_geometry "$1")" = "$normal" ]
    fi
}
# weston keeps no _NET_ACTIVE_WINDOW: there the keys that follow show it.
keyboard_in() { [ "$desktop" = weston ] || has_focus "$1"; }
frame() { xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //'; }
framed() { [ "$(frame "$1")" = "$2" ]; }
fixed_size() { # the window manager is told the window's size is fixed
    local hints; hints=$(xprop -id "$1" WM_NORMAL_HINTS)
    grep -q 'minimum size: 640 by 456' <<<"$hints" && grep -q 'maximum size: 640 by 456' <<<"$hints"
}

# The centre of a window's frame, "X Y".
frame_centre() {
    local x y w h l r t b
    read -r x y w h <<<"$(client_geometry "$1")"
    read -r l r t b <<<"$(frame "$1" | tr -d ,)"
    echo $((x - ${l:-0} + (w + ${l:-0} + ${r:-0}) / 2)) $((y - ${t:-0} + (h + ${t:-0} + ${b:-0}) / 2))
}
centred() { # centred WINDOW TOLERANCE: its frame's centre is the screen's
    local cx cy; read -r cx cy <<<"$(frame_centre "$1")"
    [ $((2 * cx - sw)) -le $((2 * $2)) ] && [ $((sw - 2 * cx)) -le $((2 * $2)) ] &&
        [ $((2 * cy - sh)) -le $((2 * $2)) ] && [ $((sh - 2 * cy)) -le $((2 * $2)) ]
}

fullscreen() {
    fresh_folder
    set_line "$work/game/setup.ini" 38 0
    set_line "$work/game/setup.ini" 50 0
    start_game || return
    screen=$(xdotool getdisplaygeometry)
    read -r sw sh <<<"$screen"
    local id menu; id=$(window_id '^Krumlix$') menu=$(window_id '^Welcome to Krumlix$')
    normal=$(client_geometry "$id")
    local border; border=$(frame "$id")
    [ "$(cut -d' ' -f3-4 <<<"$normal")" = "640 456" ] || fail "the window is $normal"
    fixed_size "$id" || fail "the window's size is not fixed at start"
    # The game and its menu stand in the very middle (weston places them itself).
    if [ "$desktop" != weston ]; then
        centred "$id" 1 || fail "the game is not centred: $normal, frame $border"
        centred "$menu" 1 || fail "the first menu is not centred: $(client_geometry "$menu"), frame $(frame "$menu")"
    fi
    # From the menu: fullscreen, the menu over it with the keyboard.
    xdotool key F11
    wait_until 5 is_fullscreen "$id" || fail "F11 in the menu: $(client_geometry "$id"), $(xprop -id "$id" _NET_WM_STATE)"
    sleep 0.5
    shot "fullscreen-$desktop-menu"
    keyboard_in "$menu" || fail "the menu lost the keyboard"
    # A run in fullscreen; F11 in it twice: the window, then fullscreen.
    xdotool key Return
    wait_until 10 no_window '^Welcome to Krumlix$' || { fail "Enter did not start a run"; return; }
    sleep 4
    is_fullscreen "$id" || fail "the run is not fullscreen"
    shot "fullscreen-$desktop-run"
    xdotool key F11
    wait_until 5 is_window "$id" || fail "F11 in the run: $(client_geometry "$id"), was $normal"
    wait_until 5 framed "$id" "$border" || fail "the frame is $(frame "$id"), was $border"
    xdotool key F11
    wait_until 5 is_fullscreen "$id" || fail "F11 again in the run: $(client_geometry "$id")"
    # The run ends; the menu opens over the fullscreen game, centred, with
    # the keyboard; F11 in it gives back the window.
    xdotool key Escape
    sleep 1
    xdotool key Return
    wait_until 10 has_window '^Welcome to Krumlix$' || { fail "no menu after the run"; return; }
    menu=$(window_id '^Welcome to Krumlix$')
    sleep 0.5
    shot "fullscreen-$desktop-menu-after-run"
    is_fullscreen "$id" || fail "the game is not fullscreen under the menu"
    wait_until 5 keyboard_in "$menu" || fail "the menu over the fullscreen game has no keyboard"
    [ "$desktop" = weston ] || centred "$menu" 1 || fail "the menu is not centred: $(client_geometry "$menu"), frame $(frame "$menu")"
    xdotool key F11
    wait_until 5 is_window "$id" || fail "F11 in the menu after the run: $(client_geometry "$id"), was $normal"
    wait_until 5 framed "$id" "$border" || fail "the frame is $(frame "$id"), was $border"
    sleep 0.5
    shot "fullscreen-$desktop-back"
    fixed_size "$id" || fail "the window's size is no longer fixed: $(xprop -id "$id" WM_NORMAL_HINTS | tr '\n' ' ')"
    cat "$work/game.log" >&2
    [ $case_failed -eq 0 ] && ok "F11 fullscreen ($screen) and back ($normal, frame $border), from the menu and in a run"
}
run_case fullscreen
summary "fullscreen on $desktop"

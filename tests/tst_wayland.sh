#!/usr/bin/env bash
# The game in a Wayland session as a desktop starts it: a headless weston
# with Xwayland, a runtime folder of its own, WAYLAND_DISPLAY, DISPLAY and
# XDG_SESSION_TYPE set. The program started from the staged folder and from
# the installed launcher shows its windows through Xwayland (the Wayland
# platform of Qt is installed and not used), and leaves the player's keyboard
# repeat as it is, while it runs and after: in a Wayland session the game
# repeats held keys itself. A screenshot of the whole session is kept for a
# look.
# Usage: tst_wayland.sh BUILD_DIR XKB_RATE ARTEFACT_DIR
set -uo pipefail
build=$1
xkb_rate=$2
artefacts=$3
mkdir -p "$artefacts"
work=$(mktemp -d)
failures=0
passes=0
cleanup() {
    [ -n "${game:-}" ] && kill "$game" 2>/dev/null
    [ -n "${weston:-}" ] && kill "$weston" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; failures=$((failures + 1)); case_failed=1; }
ok() { echo "ok: $*"; }

export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
socket="krumlix-$$"
# --idle-time=0: a headless output that went idle would never repaint, and
# the screenshooter waits for a repaint.
weston --backend=headless-backend.so --use-pixman --xwayland --socket="$socket" --debug \
    --idle-time=0 --width=1024 --height=768 --log="$work/weston.log" >/dev/null 2>&1 &
weston=$!
display=""
for _ in $(seq 100); do
    display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log" 2>/dev/null)
    [ -n "$display" ] && [ -S "$XDG_RUNTIME_DIR/$socket" ] && break
    sleep 0.1
done
[ -n "$display" ] || { echo "weston did not start"; cat "$work/weston.log"; exit 1; }
export WAYLAND_DISPLAY=$socket DISPLAY=$display XDG_SESSION_TYPE=wayland
unset QT_QPA_PLATFORM
for _ in $(seq 100); do "$xkb_rate" >/dev/null 2>&1 && break; sleep 0.1; done

screenshot() { # screenshot NAME: the whole session as weston shows it
    rm -f "$work"/wayland-screenshot-*.png
    (cd "$work" && timeout 10 weston-screenshooter) >/dev/null 2>&1
    local png; png=$(ls "$work"/wayland-screenshot-*.png 2>/dev/null | head -n 1)
    [ -n "$png" ] && mv "$png" "$artefacts/$1.png"
}
# The game's windows as X clients of Xwayland; Qt's Wayland platform would
# show them to weston directly and Xwayland would not know them.
menu_on_xwayland() { xdotool search --onlyvisible --name '^Welcome to Krumlix$' 2>/dev/null | head -n 1; }

# play START_COMMAND NAME: starts the game, checks it and ends it by SIGTERM.
play() {
    local name=$1; shift
    case_failed=0
    "$xkb_rate" 600 40 >/dev/null
    "$@" >"$work/$name.log" 2>&1 &
    game=$!
    local menu=""
    for _ in $(seq 200); do menu=$(menu_on_xwayland); [ -n "$menu" ] && break; sleep 0.1; done
    [ -n "$menu" ] || fail "$name: no menu window on Xwayland"
    [ -n "$(xdotool search --onlyvisible --name '^Krumlix$' 2>/dev/null)" ] || fail "$name: no game window"
    local hints; hints=$(xprop -id "$menu" _MOTIF_WM_HINTS 2>/dev/null | sed -n 's/.*= //p')
    sleep 1
    local repeat; repeat=$("$xkb_rate")
    [ "$repeat" = "600 40" ] || fail "$name: the player's repeat while running is $repeat"
    screenshot "wayland-$name"
    [ -f "$artefacts/wayland-$name.png" ] || fail "$name: no screenshot"
    kill -TERM "$game"
    for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$game" 2>/dev/null && fail "$name: the game did not end"
    game=""
    [ "$("$xkb_rate")" = "600 40" ] || fail "$name: the player's repeat is $("$xkb_rate") afterwards"
    [ $case_failed -eq 0 ] && { passes=$((passes + 1)); ok "$name: through Xwayland $DISPLAY, menu hints $hints, the player's repeat 600 40 while running and after"; }
}

# From the staged folder, as the README's run command starts it.
mkdir -p "$work/staged"
for f in "$build"/krumlix/*; do [ "$(basename "$f")" = krumlix ] || cp "$f" "$work/staged/"; done
play staged bash -c "cd '$work/staged' && exec '$build/krumlix/krumlix'"

# From the installed launcher, for a player with a home of their own.
cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1 || { cat "$work/install.log"; exit 1; }
mkdir -p "$work/home"
play launcher env HOME="$work/home" "$work/prefix/bin/krumlix"

echo "wayland: $passes passed, $failures failed"
[ $failures -eq 0 ]

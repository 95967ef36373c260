#!/usr/bin/env bash
# The game in a Wayland session as a desktop starts it: a headless weston
# with Xwayland, a runtime folder of its own, WAYLAND_DISPLAY, DISPLAY and
# XDG_SESSION_TYPE set. The program started from the staged folder and from
# the installed launcher shows its windows through Xwayland (the Wayland
# platform of Qt is installed and not used), and leaves the player's keyboard
# repeat as it is, while it runs and after: in a Wayland session the game
# repeats held keys itself. Where the X server refuses the game, its menu
# still appears, natively on Wayland. A screenshot of the whole session is
# kept for a look.
# Usage: tst_wayland.sh BUILD_DIR XKB_RATE ARTEFACT_DIR
set -uo pipefail
build=$1
xkb_rate=$2
artefacts=$3
mkdir -p "$artefacts"
work=$(mktemp -d)
. "$(dirname "${BASH_SOURCE[0]}")/e2e/play.sh"
case_name=wayland
trap '[ -n "${weston:-}" ] && kill "$weston" 2>/dev/null; cleanup' EXIT

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
wait_until 10 "$xkb_rate"

screenshot() { # screenshot NAME: the whole session as weston shows it
    rm -f "$work"/wayland-screenshot-*.png
    (cd "$work" && timeout 10 weston-screenshooter) >/dev/null 2>&1
    local png; png=$(ls "$work"/wayland-screenshot-*.png 2>/dev/null | head -n 1)
    [ -n "$png" ] && mv "$png" "$artefacts/$1.png"
}

# play START_COMMAND NAME: starts the game, checks it and ends it by SIGTERM.
play() {
    local name=$1; shift
    case_failed=0
    "$xkb_rate" 600 40 >/dev/null
    "$@" >"$work/$name.log" 2>&1 &
    game=$!
    # The game's windows as X clients of Xwayland; Qt's Wayland platform would
    # show them to weston directly and Xwayland would not know them.
    wait_until 20 has_window '^Welcome to Krumlix$' || fail "$name: no menu window on Xwayland"
    local menu; menu=$(window_id '^Welcome to Krumlix$')
    [ -n "$(xdotool search --onlyvisible --name '^Krumlix$' 2>/dev/null)" ] || fail "$name: no game window"
    local hints; hints=$(xprop -id "$menu" _MOTIF_WM_HINTS 2>/dev/null | sed -n 's/.*= //p')
    sleep 1
    local repeat; repeat=$("$xkb_rate")
    [ "$repeat" = "600 40" ] || fail "$name: the player's repeat while running is $repeat"
    screenshot "wayland-$name"
    [ -f "$artefacts/wayland-$name.png" ] || fail "$name: no screenshot"
    kill -TERM "$game"
    wait_until 10 ended "$game" || fail "$name: the game did not end"
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

# An X server that refuses the game (the session's authority not passed on,
# say): the game starts natively on Wayland instead. The Xvfb takes only
# clients with its cookie, which the game is not given.
refused_x() {
    case_failed=0
    xauth -q -f "$work/xauth" add :0 . "$(mcookie)"
    mkfifo "$work/displayfd"
    Xvfb -displayfd 9 -auth "$work/xauth" -nolisten tcp 9>"$work/displayfd" >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    local number=""
    read -r -t 10 number <"$work/displayfd" || true
    [ -n "$number" ] || { fail "refused: Xvfb did not start"; return; }
    XAUTHORITY=/nonexistent DISPLAY=:$number xdpyinfo >/dev/null 2>&1 && fail "refused: the X server takes clients"
    (cd "$work/staged" && unset XAUTHORITY && DISPLAY=:$number WAYLAND_DEBUG=client exec "$build/krumlix/krumlix") \
        >"$work/refused.log" 2>&1 &
    game=$!
    # The menu, as weston is told of it: a toplevel with its title, and a
    # buffer on it.
    for _ in $(seq 200); do grep -q 'set_title("Welcome to Krumlix")' "$work/refused.log" && break; sleep 0.1; done
    sleep 1
    kill -0 "$game" 2>/dev/null || fail "refused: the game ended: $(grep -v '^\[' "$work/refused.log" | tail -n 3)"
    grep -q 'set_title("Welcome to Krumlix")' "$work/refused.log" || fail "refused: no menu window on Wayland"
    # libwayland writes an object as wl_surface@12 up to 1.22, as wl_surface#12 from 1.23 on.
    grep -Eq 'wl_surface[@#][0-9]+\.attach\(wl_buffer[@#]' "$work/refused.log" || fail "refused: nothing drawn"
    screenshot wayland-refused-x
    kill -TERM "$game"
    wait_until 10 ended "$game" || fail "refused: the game did not end"
    game=""
    kill "$xvfb" 2>/dev/null
    [ $case_failed -eq 0 ] && { passes=$((passes + 1)); ok "refused: X server :$number refused the game, its menu appeared natively on Wayland"; }
}
refused_x

summary wayland

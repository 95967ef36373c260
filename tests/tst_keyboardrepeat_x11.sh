#!/usr/bin/env bash
# The running program sets the fastest keyboard repeat on a real X server and
# puts the player's own back when it ends: by Quit, and by SIGTERM.
# Read back by a client of its own. Usage: tst_keyboardrepeat_x11.sh KRUMLIX XKB_RATE
set -euo pipefail
krumlix=$1
xkb_rate=$2
work=$(mktemp -d)
display=":$((100 + RANDOM % 400))"
cleanup() {
    [ -n "${game:-}" ] && kill "$game" 2>/dev/null || true
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# -noreset: otherwise the server resets its keyboard settings whenever its
# last client leaves.
Xvfb "$display" -noreset -screen 0 1024x768x24 >"$work/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=$display
# An X11 session, whatever session the suite is run from.
unset WAYLAND_DISPLAY XDG_SESSION_TYPE
for _ in $(seq 100); do "$xkb_rate" >/dev/null 2>&1 && break; sleep 0.1; done

fail() { echo "FAIL: $*"; exit 1; }
wait_for() { # wait_for EXPECTED: the rate read back, within 10 s
    for _ in $(seq 100); do
        [ "$("$xkb_rate")" = "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

cp "$(dirname "$krumlix")"/* "$work/"
rm -f "$work/krumlix"
start_game() {
    (cd "$work" && exec "$krumlix") >"$work/game.log" 2>&1 &
    game=$!
}

# The player's own settings.
"$xkb_rate" 600 40 >/dev/null
[ "$("$xkb_rate")" = "600 40" ] || fail "could not set the player's repeat"

# 1. Quit from the menu.
start_game
wait_for "250 33" || fail "the game did not set the fastest repeat: $("$xkb_rate")"
menu=""
for _ in $(seq 100); do
    menu=$(xdotool search --name '^Welcome to Krumlix$' 2>/dev/null | head -n 1) && [ -n "$menu" ] && break
    sleep 0.1
done
[ -n "$menu" ] || fail "no menu window"
# "Quit" is the last of the menu's commands.
xdotool mousemove --window "$menu" 80 343 click 1
for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
kill -0 "$game" 2>/dev/null && fail "the game did not end on Quit"
game=""
[ "$("$xkb_rate")" = "600 40" ] || fail "Quit left the repeat at $("$xkb_rate")"
echo "ok: quit restores 600 40"

# 2. Ended by SIGTERM.
"$xkb_rate" 500 50 >/dev/null
start_game
wait_for "250 33" || fail "the game did not set the fastest repeat the second time"
kill -TERM "$game"
for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
game=""
[ "$("$xkb_rate")" = "500 50" ] || fail "SIGTERM left the repeat at $("$xkb_rate")"
echo "ok: SIGTERM restores 500 50"

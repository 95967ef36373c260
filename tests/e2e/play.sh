#!/usr/bin/env bash
# Helpers of the end-to-end tests that play the real program from outside:
# waits (each bounded), windows found by title, the game folder, the game
# started and ended, recordings of the sound server's null sink, screenshots.
# Needs $work, $game_folder, $xshot and $artefacts (start_e2e sets them); a
# recording needs KRUMLIX_TEST_SINK (with_pulseaudio.sh sets it).
. "$(dirname "${BASH_SOURCE[0]}")/desktop.sh"

failures=0 passes=0
fail() { echo "FAIL: $case_name: $*"; failures=$((failures + 1)); case_failed=1; }
ok() { echo "ok: $case_name: $*"; }
summary() { echo "$1: $passes passed, $failures failed"; [ $failures -eq 0 ]; }
# Ends what the test started (by the ids it kept; the game at once, however
# stuck) and removes its folder.
cleanup() {
    [ -n "${game:-}" ] && kill -KILL "$game" 2>/dev/null
    [ -n "${recorder:-}" ] && kill "$recorder" 2>/dev/null
    stop_desktop
    rm -rf "$work"
}

# wait_until SECONDS COMMAND...: retries the command every 0.1 s.
wait_until() {
    local limit=$1; shift
    local deadline=$((SECONDS + limit))
    while [ $SECONDS -le $deadline ]; do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}
# The set-up of a script that plays the game: its arguments GAME_FOLDER
# XKB_RATE XSHOT ARTEFACT_DIR, a work folder removed at its end, an X server.
start_e2e() {
    game_folder=$1 xkb_rate=$2 xshot=$3 artefacts=$4
    mkdir -p "$artefacts"
    work=$(mktemp -d)
    trap cleanup EXIT
    start_xvfb
}
# The game's own window of that title: GNOME's frames are windows of another
# program with their client's title.
window_id() {
    local id
    for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
        xprop -id "$id" WM_CLASS 2>/dev/null | grep -q '"Krumlix"$' && { echo "$id"; return; }
    done
}
has_window() { [ -n "$(window_id "$1")" ]; }
no_window() { [ -z "$(window_id "$1")" ]; }
ended() { ! kill -0 "$1" 2>/dev/null; }
has_focus() { [ "$(active_window)" = "$1" ]; }
# Sets X and Y to the client area's origin on the screen of a window, by id
# or by title (xdotool's getwindowgeometry counts the frame twice under a
# reparenting window manager).
window_at() {
    local id=$1
    [[ $id =~ ^[0-9]+$ ]] || id=$(window_id "$1")
    eval "$(xwininfo -id "$id" | sed -n 's/.*Absolute upper-left \([XY]\): *\(-*[0-9]*\)/\1=\2/p')"
}
menu_click() { # menu_click TOP: the menu word whose area starts at TOP
    window_at '^Welcome to Krumlix$'
    xdotool mousemove $((X + 77)) $((Y + $1 + 8)) click 1
}
# stored_text INT COUNT: COUNT characters of tarvil.hig from its INTth number.
stored_text() {
    od -An -v -t d4 -j $((4 * $1)) -N $((4 * $2)) "$work/game/tarvil.hig" | tr -s ' ' '\n' |
        grep -v '^$' | awk '{ printf "%c", $1 - 21739 }'
}
set_line() { # set_line FILE N VALUE: line N (from 0) of a CR LF file
    sed -i "$(($2 + 1))s/.*/$3\r/" "$1"
}
start_recording() {
    parec --device="$KRUMLIX_TEST_SINK.monitor" --raw --format=s16le --channels=1 \
        --rate=22050 --latency-msec=20 >"$work/rec.raw" 2>/dev/null &
    recorder=$!
    sleep 0.5
}
# Stops the recording and prints the seconds with sound in it.
heard_seconds() {
    kill "$recorder" 2>/dev/null; wait "$recorder" 2>/dev/null; recorder=""
    od -An -v -t d2 -w882 "$work/rec.raw" | awk '
        { peak = 0; for (i = 1; i <= NF; ++i) { v = $i < 0 ? -$i : $i; if (v > peak) peak = v }
          if (peak > 1000) loud++ }
        END { printf "%.2f\n", loud / 50 }'
}
shot() { "$xshot" "$artefacts/$1.png" "${@:2}"; }
# A fresh folder at LEVEL, every elephant rate ELEPHANTS and every bee rate
# BEES (the spin edits and the user's rates), no intro, the statistics
# after a run STATS (0 or 1).
rated_folder() { # rated_folder LEVEL ELEPHANTS BEES STATS
    fresh_folder
    local ini="$work/game/setup.ini" n
    set_line "$ini" 0 "$1"
    for n in 1 2 3 4 5 6 13 14 15 16 17 18; do set_line "$ini" $n "$2"; done
    for n in 7 8 9 10 11 12 19 20 21 22 23 24; do set_line "$ini" $n "$3"; done
    set_line "$ini" 38 0
    set_line "$ini" 50 "$4"
}
# From the menu: Enter starts a run, the hero turns to the far left and
# fires five shots along the ground at the bees.
shoot_five_bees() {
    xdotool key Return
    wait_until 10 no_window '^Welcome to Krumlix$' || { fail "Enter did not start a run"; return 1; }
    xdotool key Left Left Left
    sleep 3.3
    for _ in 1 2 3 4 5; do xdotool key space; sleep 0.4; done
}
# The after-run prompt in the area $prompt is shown.
prompt_shown() { [ "$("$xshot" "$work/s.png" $prompt)" -gt 300 ]; }
# A fresh copy of the staged game folder, without the program.
fresh_folder() {
    rm -rf "$work/game"
    mkdir -p "$work/game"
    for f in "$game_folder"/*; do [ "$(basename "$f")" = krumlix ] || cp "$f" "$work/game/"; done
}
start_game() {
    (cd "$work/game" && exec "$game_folder/krumlix") >"$work/game.log" 2>&1 &
    game=$!
    wait_until 20 has_window '^Welcome to Krumlix$' || { fail "no menu window: $(tail -n 5 "$work/game.log")"; return 1; }
    sleep 0.5
}
end_game() {
    [ -n "${game:-}" ] && kill "$game" 2>/dev/null && wait "$game" 2>/dev/null
    game=""
}
run_case() {
    case_name=$1; case_failed=0
    "$@"
    end_game
    [ $case_failed -eq 0 ] && passes=$((passes + 1))
}

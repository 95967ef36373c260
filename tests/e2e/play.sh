#!/usr/bin/env bash
# Helpers of the end-to-end tests that play the real program from outside:
# waits (each bounded), windows found by title, the game folder, the game
# started and ended, recordings of the sound server's null sink, screenshots.
# Needs $work, $game_folder, $xshot and $artefacts; a recording needs
# KRUMLIX_TEST_SINK (with_pulseaudio.sh sets it).

fail() { echo "FAIL: $case_name: $*"; failures=$((failures + 1)); case_failed=1; }
ok() { echo "ok: $case_name: $*"; }

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
window_id() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
has_window() { [ -n "$(window_id "$1")" ]; }
no_window() { [ -z "$(window_id "$1")" ]; }
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
# A fresh copy of the staged game folder, without the program.
fresh_folder() {
    rm -rf "$work/game"
    mkdir -p "$work/game"
    for f in "$game_folder"/*; do [ "$(basename "$f")" = krumlix ] || cp "$f" "$work/game/"; done
}
start_game() {
    (cd "$work/game" && exec "$game_folder/krumlix") >"$work/game.log" 2>&1 &
    game=$!
    wait_until 20 has_window '^Welcome to Krumlix$' || { fail "no menu window"; return 1; }
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

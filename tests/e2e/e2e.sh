#!/usr/bin/env bash
# Plays the real program as a player does: under an X server of its own, with
# the sound server of with_pulseaudio.sh, real keys and clicks (xdotool), and
# checks from outside what is seen, heard and written.
# Usage: e2e.sh GAME_FOLDER XKB_RATE XSHOT ARTEFACT_DIR
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/play.sh"
start_e2e "$@" || exit 1

# --- cases -----------------------------------------------------------------

# The windows appear, the intro is heard, the keyboard repeat is at its
# fastest while the game runs and back afterwards.
startup_and_quit() {
    fresh_folder
    "$xkb_rate" 600 40 >/dev/null
    start_recording
    start_game || return
    eval "$(xdotool getwindowgeometry --shell "$(window_id '^Krumlix$')")"
    [ "$WIDTH" = 640 ] && [ "$HEIGHT" = 456 ] || fail "game window is ${WIDTH}x$HEIGHT"
    local gx=$X gy=$Y
    sleep 3
    local heard; heard=$(heard_seconds)
    awk "BEGIN { exit !($heard > 1.5) }" || fail "intro heard for only $heard s"
    ok "intro heard for $heard s"
    [ "$(shot startup pixel $((gx + 5)) $((gy + 5)))" = "0 34 57" ] || fail "panel colour is not 0 34 57"
    [ "$(shot startup pixel $((gx + 10)) $((gy + 420)))" = "0 0 0" ] || fail "field is not black"
    [ "$("$xkb_rate")" = "250 33" ] || fail "repeat while running: $("$xkb_rate")"
    menu_click 331
    wait_until 10 ended "$game" || fail "Quit did not end the game"
    game=""
    [ "$("$xkb_rate")" = "600 40" ] || fail "repeat after Quit: $("$xkb_rate")"
    ok "window 640x456, panel and field colours, repeat set and restored"
}

# Bees only, at 999: the run ends when the first bee reaches the hero, a few
# seconds after 3:00, with "Tarvil die"; Enter brings back the menu.
bee_ends_the_run() {
    rated_folder 5 0 999 0
    start_game || return
    window_at '^Krumlix$'
    local gx=$X gy=$Y
    local prompt="white $((gx + 181)) $((gy + 117)) 281 29"
    start_recording
    local started=$SECONDS
    xdotool key Return
    wait_until 10 no_window '^Welcome to Krumlix$' || { fail "Enter did not start a run"; return; }
    wait_until 5 bash -c "[ \$('$xshot' '$work/s.png' $prompt) -lt 50 ]" || fail "prompt not hidden in the run"
    shot run_start
    wait_until 20 prompt_shown || { fail "the run did not end"; return; }
    local took=$((SECONDS - started))
    [ $took -ge 4 ] && [ $took -le 12 ] || fail "the run lasted $took s"
    sleep 1.5
    shot after_run
    local heard; heard=$(heard_seconds)
    awk "BEGIN { exit !($heard > 0.5) }" || fail "Tarvil die heard for only $heard s"
    ok "run ended after $took s with sound for $heard s"
    xdotool key Return
    wait_until 10 has_window '^Welcome to Krumlix$' || fail "Enter did not bring back the menu"
    ok "menu back after the run"
}

# A run that qualifies asks for a name; the file then holds it at rank 1
# with today's date.
qualifying_run() {
    rated_folder 2 0 999 0
    start_game || return
    shoot_five_bees || return
    sleep 2
    shot qualifying_end
    xdotool key Return
    wait_until 10 has_window '^Krumlix - congratulations$' || { fail "no name asked for"; return; }
    shot congratulations
    xdotool type --delay 30 "E2E Tester"
    xdotool key Return
    wait_until 10 no_window '^Krumlix - congratulations$' || fail "the name dialog stayed"
    sleep 0.5
    local name; name=$(stored_text 0 14)
    [ "$name" = "E2E Tester    " ] || fail "rank 1 holds '$name'"
    local day; day=$(date +%-d)
    local suffix=th
    case $day in 1|21|31) suffix=st;; 2|22) suffix=nd;; 3|23) suffix=rd;; esac
    local expected; expected=$(printf '%-19s' "$(date +%B) $day$suffix $(date +%Y)")
    local stored; stored=$(stored_text 14 19)
    [ "$stored" = "$expected" ] || fail "date '$stored', expected '$expected'"
    shot menu_with_entry
    cp "$work/game/tarvil.hig" "$work/qualified.hig"
    ok "entered as '$name' on '$stored'"
}

# "Save settings" writes back the file that was read, byte for byte; "Clear
# scores" then "Yes" writes the cleared table.
save_and_clear() {
    fresh_folder
    [ -f "$work/qualified.hig" ] && cp "$work/qualified.hig" "$work/game/tarvil.hig"
    cp "$work/game/setup.ini" "$work/setup.before"
    start_game || return
    shot menu
    menu_click 262
    wait_until 10 bash -c "[ \$(xdotool search --onlyvisible --name '^Krumlix\$' | wc -l) -ge 2 ]" ||
        fail "no settings-saved notice"
    cmp -s "$work/setup.before" "$work/game/setup.ini" || fail "setup.ini changed on saving"
    xdotool key Return
    sleep 0.5
    menu_click 211
    wait_until 10 has_window '^Krumlix - clear scores$' || { fail "no clear-scores dialog"; return; }
    shot clear_scores
    window_at '^Krumlix - clear scores$'
    xdotool mousemove $((X + 22 + 35 + 37)) $((Y + 16 + 106 + 12)) click 1
    wait_until 10 no_window '^Krumlix - clear scores$' || fail "the dialog stayed after Yes"
    sleep 0.3
    cmp -s "$game_folder/tarvil.hig" "$work/game/tarvil.hig" || fail "not the cleared table"
    [ "$(stat -c %s "$work/game/tarvil.hig")" = 2520 ] || fail "tarvil.hig is not 2520 bytes"
    shot menu_cleared
    ok "settings written back unchanged, scores cleared"
}

run_case startup_and_quit
run_case bee_ends_the_run
run_case qualifying_run
run_case save_and_clear

# A desktop scaled to 200 % through the X resource GNOME and KDE set: the
# windows are drawn at twice their size (the pictures for that ratio are
# checked by tst_scaling). Last, as the resource stays on the server.
scaled_by_xft_dpi() {
    echo 'Xft.dpi: 192' | xrdb -merge
    fresh_folder
    start_game || return
    eval "$(xdotool getwindowgeometry --shell "$(window_id '^Krumlix$')")"
    [ "$WIDTH" = 1280 ] && [ "$HEIGHT" = 912 ] || fail "game window at Xft.dpi 192 is ${WIDTH}x$HEIGHT"
    shot menu-xft-dpi-192 || fail "no screenshot"
    [ $case_failed -eq 0 ] && ok "at Xft.dpi 192 the windows are drawn at twice their size"
}
run_case scaled_by_xft_dpi

summary e2e

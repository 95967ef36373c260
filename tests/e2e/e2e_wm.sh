#!/usr/bin/env bash
# The real program under a real window manager (xfwm4 on an Xvfb of its
# own), as a player with a taskbar meets it: every window minimised and
# restored at each point of the cycle, the title-bar buttons, the focus
# after a dialog, and keys held down across windows (xdotool keydown/keyup).
# Usage: e2e_wm.sh GAME_FOLDER XKB_RATE XSHOT ARTEFACT_DIR (under with_pulseaudio.sh)
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/play.sh"
start_e2e "$@" || exit 1
start_xfwm4 || exit 1

is_state() { [ "$(wm_state "$1")" = "$2" ]; }
geometry() { xwininfo -id "$1" 2>/dev/null | grep -E 'Absolute|Width|Height' | tr -s ' ' | tr '\n' ' '; }

# xfwm4 offers no minimise for a window that asks for no minimise button,
# and every window of the game asks for none; what minimises them all the
# same is "show desktop" (Ctrl+Alt+D), which iconifies every window and on
# the second press restores them. Done twice; the window must really have
# been iconified and must come back where it was.
minimise_restore_twice() { # minimise_restore_twice WINDOW_ID WHAT
    local id=$1 what=$2 before after
    before=$(geometry "$id")
    for _ in 1 2; do
        xdotool key ctrl+alt+d
        wait_until 5 is_state "$id" Iconic || { fail "$what was not iconified: '$(wm_state "$id")'"; return 1; }
        sleep 0.3
        xdotool key ctrl+alt+d
        wait_until 5 is_state "$id" Normal || { fail "$what was not restored"; return 1; }
        sleep 0.5
    done
    after=$(geometry "$id")
    [ "$before" = "$after" ] || fail "$what came back at '$after', was '$before'"
}

# The MWM hints a window asks for: "FUNCTIONS DECORATIONS" in hex, or "none".
motif_hints() {
    xprop -id "$1" _MOTIF_WM_HINTS 2>/dev/null | sed -n 's/.*= //p' | awk -F', ' '{ print $2, $3 }'
}

# Names stored in the ten entries of tarvil.hig, one a line.
stored_names() { for e in 0 1 2 3 4 5 6 7 8 9; do stored_text $((e * 63)) 14; echo; done; }

# --- cases -----------------------------------------------------------------

# The window manager runs and manages the game's windows; the game window
# has no title-bar buttons and every other window only a close box.
window_manager_and_buttons() {
    fresh_folder
    set_line "$work/game/setup.ini" 38 0
    start_game || return
    local root_check; root_check=$(xprop -root _NET_SUPPORTING_WM_CHECK)
    grep -q 'window id' <<<"$root_check" || fail "no _NET_SUPPORTING_WM_CHECK on the root"
    local menu game_window
    menu=$(window_id '^Welcome to Krumlix$')
    game_window=$(window_id '^Krumlix$')
    is_state "$menu" Normal || fail "menu not managed: WM_STATE '$(wm_state "$menu")'"
    is_state "$game_window" Normal || fail "game window not managed"
    # xfwm4 lists CLOSE among the allowed actions of every window (its window
    # menu can close anything), so the buttons are read from what the game
    # asks for: the MWM functions (close 0x20, minimise 0x8, maximise 0x10)
    # and the screenshot.
    local menu_actions game_actions menu_hints game_hints
    menu_actions=$(allowed_actions "$menu")
    game_actions=$(allowed_actions "$game_window")
    menu_hints=$(motif_hints "$menu")
    game_hints=$(motif_hints "$game_window")
    echo "menu: hints $menu_hints, allows $menu_actions; game window: hints $game_hints, allows $game_actions"
    no_buttons() { local f=$(($1)); [ $((f & 0x38)) = 0 ]; }
    close_only() { local f=$(($1)); [ $((f & 0x20)) = 32 ] && [ $((f & 0x18)) = 0 ]; }
    no_buttons "${game_hints%% *}" || fail "the game window asks for buttons: $game_hints"
    close_only "${menu_hints%% *}" || fail "the menu asks for more than a close box: $menu_hints"
    grep -qwE 'MINIMIZE|MAXIMIZE_HORZ|MAXIMIZE_VERT' <<<"$menu_actions $game_actions" &&
        fail "a window can be minimised or maximised: $menu_actions / $game_actions"
    for top in 295 313; do # rules, about: close box only
        menu_click $top
        local title='^Krumlix - rules$'; [ $top = 313 ] && title='^Krumlix - about'
        wait_until 10 has_window "$title" || { fail "window at $top did not open"; continue; }
        local id; id=$(window_id "$title")
        local actions; actions=$(allowed_actions "$id")
        close_only "$(motif_hints "$id" | cut -d' ' -f1)" || fail "$title: hints $(motif_hints "$id")"
        grep -qwE 'MINIMIZE|MAXIMIZE_HORZ|MAXIMIZE_VERT' <<<"$actions" && fail "$title: $actions"
        shot "wm-$top"
        xdotool windowactivate --sync "$id" 2>/dev/null; xdotool key Return
        wait_until 5 no_window "$title" || fail "$title stayed open after Enter (its OK)"
        # The focus goes back to the menu that opened the dialog.
        wait_until 5 has_focus "$menu" || fail "focus after $title: $(active_window), menu is $menu"
    done
    shot wm-menu
    ok "WM manages the windows; menu: $menu_hints; game window: $game_hints"
}

# Sets, for the game window where it stands, prompt (which prompt_shown
# reads), the area of the after-run prompt, and upper, where the hero facing
# up or half left stands, black when he aims low.
game_window_areas() {
    window_at "$(window_id '^Krumlix$')"
    prompt="white $((X + 181)) $((Y + 117)) 281 29"
    upper="colour 0 0 0 $((X + 294)) $((Y + 56 + 324)) 38 16"
}

# A qualifying run with the statistics shown after it; every window that is
# up is minimised and restored twice at its point of the cycle. The run is
# entered once, no sound is played again, and each window is as it was.
minimise_and_restore_through_a_cycle() {
    rated_folder 2 0 999 1 # statistics after every run
    start_game || return
    local menu; menu=$(window_id '^Welcome to Krumlix$')
    local game_window; game_window=$(window_id '^Krumlix$')
    game_window_areas

    minimise_restore_twice "$menu" "the menu at start-up"
    no_window '^Krumlix - view stats' || fail "statistics opened on restoring the start-up menu"

    xdotool windowactivate --sync "$menu" 2>/dev/null; xdotool windowactivate --sync "$menu" 2>/dev/null
    shoot_five_bees || return
    wait_until 20 prompt_shown || { fail "the run did not end"; return; }
    sleep 2 # the end-of-run sound

    start_recording
    minimise_restore_twice "$game_window" "the after-run screen"
    no_window '^Welcome to Krumlix$' || fail "restoring the after-run screen opened the menu"
    prompt_shown || fail "the prompt is gone after the restore"
    shot wm-after-run-restored
    xdotool windowactivate --sync "$game_window" 2>/dev/null
    xdotool key Return
    wait_until 10 has_window '^Krumlix - congratulations$' || { fail "no name asked for"; return; }
    local form6; form6=$(window_id '^Krumlix - congratulations$')
    menu=$(window_id '^Welcome to Krumlix$') # the menu shown anew
    sleep 3 # the fanfare of the first place
    local heard; heard=$(heard_seconds)
    start_recording
    minimise_restore_twice "$form6" "the name entry"
    sleep 1
    local replayed; replayed=$(heard_seconds)
    awk "BEGIN { exit !($replayed < 0.1) }" || fail "sound for $replayed s on restoring the name entry"
    [ "$(xdotool search --onlyvisible --name '^Krumlix - congratulations$' | wc -l)" = 1 ] || fail "two name entries"
    xdotool windowactivate --sync "$form6" 2>/dev/null
    xdotool type --delay 30 "WM Tester"
    xdotool key Return
    wait_until 10 no_window '^Krumlix - congratulations$' || fail "the name dialog stayed"
    wait_until 10 has_window '^Krumlix - view stats for latest game$' || { fail "no statistics after the run"; return; }
    local stats; stats=$(window_id '^Krumlix - view stats for latest game$')
    sleep 0.5
    start_recording
    minimise_restore_twice "$stats" "the statistics"
    has_window '^Krumlix - view stats for latest game$' || fail "statistics caption changed on restore"
    shot wm-stats-restored
    # OK is not the default button (the track bar has the focus): click it.
    window_at "$stats"
    xdotool mousemove $((X + 342)) $((Y + 327)) click 1
    wait_until 10 no_window '^Krumlix - view stats' || fail "statistics stayed open"
    wait_until 5 has_focus "$menu" || fail "focus after the statistics: $(active_window), menu $menu"

    menu=$(window_id '^Welcome to Krumlix$')
    minimise_restore_twice "$menu" "the menu after the qualifying run"
    sleep 1
    no_window '^Krumlix - congratulations$' || fail "the name was asked for again"
    no_window '^Krumlix - view stats' || fail "the statistics opened again"
    replayed=$(heard_seconds)
    awk "BEGIN { exit !($replayed < 0.1) }" || fail "sound for $replayed s on restoring"
    local entered; entered=$(stored_names | grep -c '^WM Tester')
    [ "$entered" = 1 ] || fail "the run is in tarvil.hig $entered times"
    shot wm-menu-restored
    ok "fanfare $heard s once, the run entered $entered time(s), nothing replayed"
}

# Keys held down as xdotool holds them (keydown, a pause, keyup): the X
# server repeats them at the game's rate while it runs. A held Enter starts
# one run and does not end it; a held Left turns the hero to the far left
# within half a second; a held Enter that ends the run stays on the
# after-run screen; one held from there opens the menu and starts nothing.
held_keys() {
    rated_folder 0 0 0 0
    "$xkb_rate" 600 40 >/dev/null
    start_game || return
    [ "$("$xkb_rate")" = "250 33" ] || fail "repeat while running: $("$xkb_rate")"
    local menu; menu=$(window_id '^Welcome to Krumlix$')
    game_window_areas
    xdotool windowactivate --sync "$menu" 2>/dev/null
    xdotool keydown Return; sleep 1.5; xdotool keyup Return
    sleep 0.5
    no_window '^Welcome to Krumlix$' || fail "the held Enter did not start a run"
    [ "$("$xshot" "$work/s.png" $prompt)" -lt 50 ] || fail "the run the held Enter started has ended"
    xdotool keydown Left; sleep 0.45; xdotool keyup Left
    sleep 0.2
    local black; black=$(shot wm-held-left $upper)
    [ "$black" = 608 ] || fail "the hero is not at the far left after 0.45 s of Left ($black of 608 black)"
    xdotool keydown Return; sleep 1.5; xdotool keyup Return
    wait_until 5 prompt_shown || fail "Enter did not end the run"
    sleep 0.5
    no_window '^Welcome to Krumlix$' || fail "the held Enter went on into the menu"
    xdotool keydown Return; sleep 1.5; xdotool keyup Return
    wait_until 5 has_window '^Welcome to Krumlix$' || fail "Enter did not bring the menu"
    sleep 0.5
    has_window '^Welcome to Krumlix$' || fail "the held Enter started a run from the menu"
    kill "$game"; wait "$game" 2>/dev/null; game=""
    [ "$("$xkb_rate")" = "600 40" ] || fail "repeat after the end: $("$xkb_rate")"
    ok "held keys act once per window; far left after 0.45 s"
}

# A Wayland session where the game is an X client of the session's X server:
# the compositor owns the repeat, so the game leaves the player's 600 40 alone
# and repeats a held arrow itself at 250 ms and 30 a second. WAYLAND_DISPLAY
# names no compositor, so the toolkit still goes through X as it does under
# Xwayland. From aim 4 the far left takes three key-downs, the press and two
# repeats, within 283 ms: in 0.45 s the player's own repeat gives none.
own_repeats_in_a_wayland_session() {
    rated_folder 0 0 0 0
    "$xkb_rate" 600 40 >/dev/null
    XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY="krumlix-no-compositor-$$" start_game || return
    local repeat; repeat=$("$xkb_rate")
    [ "$repeat" = "600 40" ] || fail "the player's repeat changed at start-up: $repeat"
    local menu; menu=$(window_id '^Welcome to Krumlix$')
    game_window_areas
    xdotool windowactivate --sync "$menu" 2>/dev/null; xdotool key Return
    wait_until 10 no_window '^Welcome to Krumlix$' || { fail "Enter did not start a run"; return; }
    sleep 0.5
    xdotool keydown Left; sleep 0.45; xdotool keyup Left
    sleep 0.2
    local black; black=$(shot wm-own-repeat-left $upper)
    [ "$black" = 608 ] || fail "the hero is not at the far left after 0.45 s of Left ($black of 608 black)"
    repeat=$("$xkb_rate")
    [ "$repeat" = "600 40" ] || fail "the player's repeat during the run: $repeat"
    xdotool key Return
    wait_until 5 prompt_shown || fail "Enter did not end the run"
    xdotool key Return
    wait_until 10 has_window '^Welcome to Krumlix$' || { fail "Enter did not bring the menu"; return; }
    sleep 0.5
    menu_click 331 # Quit
    wait_until 10 ended "$game" || fail "Quit did not end the game"
    wait "$game" 2>/dev/null; game=""
    repeat=$("$xkb_rate")
    [ "$repeat" = "600 40" ] || fail "the player's repeat after Quit: $repeat"
    [ $case_failed -eq 0 ] && ok "far left after 0.45 s of Left at the game's own repeat; the player's 600 40 throughout"
}

run_case window_manager_and_buttons
run_case minimise_and_restore_through_a_cycle
run_case held_keys
run_case own_repeats_in_a_wayland_session

summary e2e_wm

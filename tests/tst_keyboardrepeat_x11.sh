#!/usr/bin/env bash
# However the real program ends, in its menu, in a dialog or in a run, the
# player's keyboard repeat is back on the X server within a second (read by a
# client of the test's own), the program ends with the status of the way it
# was ended, and the process that keeps the repeat ends with it, holding none
# of the program's files. A second start while it runs leaves the repeat
# alone and ends. Nothing is written to the player's profile. In a
# Wayland session the repeat is never touched and no such process starts.
# On Xvfb under xfwm4, whose Alt+F4 is the close box.
# Usage: tst_keyboardrepeat_x11.sh KRUMLIX XKB_RATE
set -uo pipefail
game_folder=$(cd "$(dirname "$1")" && pwd)
xkb_rate=$2
work=$(mktemp -d)
. "$(dirname "${BASH_SOURCE[0]}")/e2e/play.sh"
trap 'kill -KILL "${second:-}" 2>/dev/null; cleanup' EXIT
start_xvfb || exit 1
start_xfwm4 || exit 1
wait_until 10 "$xkb_rate" || { echo "FAIL: no keyboard repeat on $DISPLAY"; exit 1; }

# The player's profile, empty before and after. A session bus of no one's:
# without one the toolkit would have one started and note its address there.
profile=$work/profile
mkdir -p "$profile" && mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus HOME=$profile XDG_CONFIG_HOME=$profile/.config XDG_DATA_HOME=$profile/.local/share \
    XDG_CACHE_HOME=$profile/.cache XDG_STATE_HOME=$profile/.local/state

rate_is() { [ "$("$xkb_rate")" = "$1" ]; }
now_ms() { echo $((${EPOCHREALTIME/./} / 1000)); }
mkdir "$work/grouped"
printf '#!/bin/sh\nexec setsid "%s/krumlix"\n' "$game_folder" >"$work/grouped/krumlix"
chmod +x "$work/grouped/krumlix"
window_of() { xdotool search --onlyvisible --pid "$1" 2>/dev/null | head -n 1; }
is_iconic() { [ "$(wm_state "$1")" = Iconic ]; }
has_window_of() { [ -n "$(window_of "$1")" ]; }
alive() { [ -e "/proc/$1" ] && [ "$(cut -d' ' -f3 "/proc/$1/stat" 2>/dev/null)" != Z ]; }

# way where exit-status: a signal's name is sent to the program, one with
# "-group" to its whole process group, as a terminal's Ctrl+C is. "again": a
# second start in the same folder while the game runs, its windows
# minimised; it must end at once and leave the repeat as it is, then the
# first game ends, and the second if it still runs ("again-last": the other
# way round). "stopped": the same with the first game stopped, so that the
# second says it does not answer. The rows after the KILL ones start where a
# killed game left its lock and socket.
rows=(
    "quit menu 0" "close menu 0"
    "TERM menu 143" "TERM dialog 143" "TERM run 143" "INT run 130" "HUP dialog 129"
    "INT-group run 130" "SEGV menu 139" "ABRT run 134" "SEGV dialog 139"
    "KILL menu 137" "KILL dialog 137" "KILL run 137"
    "again menu 143" "again-last dialog 143" "stopped menu 143" "wayland menu 0"
)
# Starts the program a second time in the game's folder.
second_start() {
    (cd "$work/game" && exec "$game_folder/krumlix") >"$work/second.log" 2>&1 &
    second=$!
}
end_second() { # the second game, if it still runs, by its Quit; its status in $second_status
    local menu; menu=$(xdotool search --all --onlyvisible --pid "$second" --name '^Welcome to Krumlix$' | head -n 1)
    [ -n "$menu" ] && xdotool mousemove --window "$menu" 80 339 click 1 && wait_until 5 ended "$second"
    kill -TERM "$second" 2>/dev/null
    wait "$second" 2>/dev/null
    second_status=$? second=""
}
n=0
for row in "${rows[@]}"; do
    read -r way where status <<<"$row"
    case_name="$way in the $where"
    case_failed=0
    n=$((n + 1))
    player="$((400 + 10 * n)) 40" # the player's own, new each row
    "$xkb_rate" $player >/dev/null
    fresh_folder
    set_line "$work/game/setup.ini" 38 0 # no intro
    fastest="250 33"
    if [ "$way" = wayland ]; then
        fastest=$player
        XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY="krumlix-no-compositor-$$" start_game || continue
    else
        # A group of its own to be signalled whole: the program by setsid.
        launcher=$game_folder
        [ "$way" = INT-group ] && launcher=$work/grouped
        game_folder=$launcher start_game || continue
    fi
    wait_until 5 rate_is "$fastest" || fail "the repeat while it runs is $("$xkb_rate"), not $fastest"
    keeper=$(pgrep -P "$game" -x krumlix-repeat)
    if [ "$way" = wayland ]; then
        [ -z "$keeper" ] || fail "a keeper of the repeat was started in a Wayland session"
    elif [ -z "$keeper" ]; then
        fail "no keeper of the repeat"
    elif find "/proc/$keeper/fd" -lname "$work/*" ! -lname "$work/runtime/*.lock" | grep -q .; then
        fail "the keeper holds the program's files: $(find "/proc/$keeper/fd" -lname "$work/*" -printf '%l ')"
    elif [ "$(find "/proc/$keeper/fd" -lname "$work/runtime/*.lock" | wc -l)" != 2 ]; then
        fail "the keeper does not hold the game's two locks"
    fi
    menu=$(window_id '^Welcome to Krumlix$')
    case $where in
    dialog)
        xdotool mousemove --window "$menu" 80 303 click 1
        wait_until 10 has_window '^Krumlix - rules$' || fail "the rules did not open" ;;
    run)
        xdotool windowactivate --sync "$menu" key Return
        wait_until 10 no_window '^Welcome to Krumlix$' || fail "Enter did not start a run"
        sleep 0.5 ;;
    esac
    case $way in
    quit | wayland) xdotool mousemove --window "$menu" 80 339 click 1 ;;
    close) xdotool windowactivate --sync "$menu" key alt+F4 ;;
    again*)
        front=$(active_window)
        xdotool key ctrl+alt+d # xfwm4's "show desktop": every window minimised
        wait_until 5 is_iconic "$front" || fail "the window in front was not minimised"
        second_start
        wait_until 3 ended "$second" || fail "the second start still runs"
        wait_until 2 has_focus "$front" || fail "the window in front was not brought forward"
        is_iconic "$menu" && fail "the menu was not shown again"
        [ "$way" = again-last ] && end_second
        rate_is "$fastest" || fail "the repeat is $("$xkb_rate") after the second start, not $fastest"
        kill -TERM "$game" ;;
    stopped)
        kill -STOP "$game"
        second_start
        wait_until 5 has_window_of "$second" || fail "the second start showed no message"
        xdotool windowactivate --sync "$(window_of "$second")" key Return
        wait_until 3 ended "$second" || fail "the message did not end the second start"
        end_second
        [ "$second_status" = 1 ] || fail "the second start ended with status $second_status, not 1"
        rate_is "$fastest" || fail "the repeat is $("$xkb_rate") after the second start, not $fastest"
        kill -CONT "$game"
        kill -TERM "$game" ;;
    *-group) kill -"${way%-group}" -- "-$game" ;;
    *) kill -"$way" "$game" ;;
    esac
    for _ in $(seq 500); do kill -0 "$game" 2>/dev/null || break; sleep 0.02; done
    ended=$(now_ms)
    if kill -0 "$game" 2>/dev/null; then
        fail "the program did not end"
        end_game
        continue
    fi
    wait "$game" 2>/dev/null
    got=$?
    game=""
    [ "$got" = "$status" ] || fail "it ended with status $got, not $status"
    while ! rate_is "$player" && [ $(($(now_ms) - ended)) -lt 1000 ]; do sleep 0.02; done
    took=$(($(now_ms) - ended))
    rate_is "$player" || fail "the repeat is $("$xkb_rate") after 1 s, not the player's $player"
    if [ -n "${second:-}" ]; then
        end_second
        rate_is "$player" || fail "the repeat is $("$xkb_rate") after the second game, not $player"
    fi
    if [ -n "$keeper" ]; then
        while alive "$keeper" && [ $(($(now_ms) - ended)) -lt 3000 ]; do sleep 0.02; done
        gone=$(($(now_ms) - ended))
        alive "$keeper" && fail "the keeper of the repeat is still there 3 s after"
    fi
    left=$(find "$work/runtime" -name 'krumlix-*' -printf '%f ')
    [ -z "$left" ] || [ "$way" != "${way#KILL}" ] || fail "left in the runtime folder: $left"
    [ $case_failed -eq 0 ] && { passes=$((passes + 1)); ok "status $got, the player's $player back after $took ms${keeper:+, the keeper gone after $gone ms}"; }
done

case_name="the player's profile"
written=$(find "$profile" -type f)
[ -z "$written" ] || fail "written: $written"
echo "keyboard repeat: $passes of ${#rows[@]} ways passed, $failures failures"
[ $failures -eq 0 ]

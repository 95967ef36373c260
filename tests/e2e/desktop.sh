#!/usr/bin/env bash
# Desktops for the tests, each started from Debian packages by the test that
# sources this file, with a display, session bus and runtime folder of its
# own, so that tests running side by side cannot meet. Every wait is bounded.
# Needs $work (a folder of the test's own); sets DISPLAY and the pids that
# stop_desktop ends.

# An X server on a free display number of its own choosing, as an X11
# session: a Wayland session the suite is run from is not the one tested.
start_xvfb() {
    unset WAYLAND_DISPLAY XDG_SESSION_TYPE
    local fifo=$work/displayfd
    mkfifo "$fifo"
    Xvfb -displayfd 9 -noreset -screen 0 1024x768x24 9>"$fifo" >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    local number=""
    read -r -t 10 number <"$fifo" || true
    rm -f "$fifo"
    [ -n "$number" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; return 1; }
    export DISPLAY=":$number"
}

# xfwm4 on that server: it needs a session bus to reach its settings, and it
# keeps those settings, like the bus, in folders of the test's own. Its own
# session leader, so that the bus and the helpers it starts end with it.
start_xfwm4() {
    mkdir -p "$work/wmhome" "$work/wmruntime"
    chmod 700 "$work/wmruntime"
    HOME=$work/wmhome XDG_CONFIG_HOME=$work/wmhome/.config XDG_CACHE_HOME=$work/wmhome/.cache \
        XDG_RUNTIME_DIR=$work/wmruntime NO_AT_BRIDGE=1 \
        setsid dbus-run-session -- xfwm4 --compositor=off >"$work/xfwm4.log" 2>&1 &
    wm=$!
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    echo "xfwm4 did not take the screen"
    cat "$work/xfwm4.log"
    return 1
}

stop_desktop() {
    # Our own processes only, by the ids we started.
    [ -n "${wm:-}" ] && kill -- "-$wm" 2>/dev/null
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
    wm="" xvfb=""
}

# The window manager's state of a client window: Normal, Iconic or "".
wm_state() {
    xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/^[[:space:]]*window state: //p'
}
# The actions the window manager allows on a window, e.g. "MOVE CLOSE".
allowed_actions() {
    xprop -id "$1" _NET_WM_ALLOWED_ACTIONS 2>/dev/null | sed 's/.*= //; s/_NET_WM_ACTION_//g; s/,//g'
}
active_window() {
    printf '%d\n' "$(xprop -root _NET_ACTIVE_WINDOW | sed 's/.*# //; s/,.*//')" 2>/dev/null
}

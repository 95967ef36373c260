#!/usr/bin/env bash
# Runs a command against a PipeWire sound server of its own, reached through
# its PulseAudio protocol (pipewire-pulse), as on most desktops today, with a
# null sink whose monitor the command can record: PULSE_SERVER and
# KRUMLIX_TEST_SINK are set for it, as by with_pulseaudio.sh.
# Usage: with_pipewire.sh COMMAND...
set -euo pipefail
for tool in dbus-daemon pipewire wireplumber pipewire-pulse pactl; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
sink="krumlix_test_$$"
# Everything the servers read or write lies in our folder: their sockets,
# settings and state, so that parallel runs never meet.
export XDG_RUNTIME_DIR="$work/runtime" HOME="$work" XDG_CONFIG_HOME="$work/config" \
    XDG_STATE_HOME="$work/state" XDG_DATA_HOME="$work/data" PIPEWIRE_RUNTIME_DIR="$work/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
# No Bluetooth for our servers: WirePlumber 0.4 would watch logind's seats for
# it and quits on a machine where systemd is not running (a container, a
# chroot). Later versions do without that file and its setting.
mkdir -p "$XDG_CONFIG_HOME/wireplumber/bluetooth.lua.d"
echo 'bluez_monitor.enabled = false' >"$XDG_CONFIG_HOME/wireplumber/bluetooth.lua.d/51-no-bluetooth.lua"
pids=()
cleanup() {
    # Our own servers only, newest first, by the ids we started them with.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
dbus-daemon --session --nofork --address="unix:path=$work/bus" >"$work/dbus.log" 2>&1 &
pids+=($!)
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/bus"
for _ in $(seq 50); do [ -S "$work/bus" ] && break; sleep 0.1; done
pipewire >"$work/pipewire.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -S "$XDG_RUNTIME_DIR/pipewire-0" ] && break; sleep 0.1; done
wireplumber >"$work/wireplumber.log" 2>&1 &
pids+=($!)
pipewire-pulse >"$work/pipewire-pulse.log" 2>&1 &
pids+=($!)
# The server of the protocol, for a test that holds it up for a moment.
export KRUMLIX_TEST_SERVER_PID=$!
export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native" KRUMLIX_TEST_SINK="$sink"
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null || { tail "$work"/*.log >&2; exit 1; }
# The sink's monitor yields samples only once a session manager has linked
# the recording stream to it: without wireplumber a parec of the monitor
# stays empty (0 bytes in a second; both nodes stay suspended) and
# set-default-sink answers "Not supported". With wireplumber no driver of our
# own is needed: the null sink that pipewire-pulse makes is a driver itself
# (node.driver = true; pw-dump shows it "running" while parec records), and
# a second of recording brings 0.97 s of samples, silence included.
pactl load-module module-null-sink sink_name="$sink" >/dev/null
for _ in $(seq 50); do pactl list short sinks | grep -q "$sink" && break; sleep 0.1; done
pactl set-default-sink "$sink"
"$@"

#!/usr/bin/env bash
# Runs a command against a PulseAudio server of its own with a null sink,
# whose monitor the command can record: PULSE_SERVER and KRUMLIX_TEST_SINK
# are set for it. Usage: with_pulseaudio.sh COMMAND...
# Where pulseaudio is not installed (it cannot be beside pipewire-audio, as
# on most desktops), the command runs against PipeWire's PulseAudio protocol
# instead; with KRUMLIX_NEED_PULSEAUDIO=1, a test of PulseAudio itself, it is
# skipped (exit 77) with the reason.
set -euo pipefail
if ! command -v pulseaudio >/dev/null; then
    if [ "${KRUMLIX_NEED_PULSEAUDIO:-0}" = 1 ]; then
        echo "SKIP: pulseaudio is not installed (it would take pipewire-audio away); the same test runs on pipewire-pulse"
        exit 77
    fi
    echo "with_pulseaudio: pulseaudio is not installed, using pipewire-pulse" >&2
    exec "$(dirname "${BASH_SOURCE[0]}")/with_pipewire.sh" "$@"
fi
work=$(mktemp -d)
sink="krumlix_test_$$"
export PULSE_RUNTIME_PATH="$work/runtime" PULSE_STATE_PATH="$work/state" HOME="$work"
mkdir -p "$PULSE_RUNTIME_PATH" "$PULSE_STATE_PATH"
cleanup() {
    PULSE_SERVER="unix:$work/native" pactl exit >/dev/null 2>&1 || true
    # Our own server only: the pid file lies in our runtime folder.
    pid=$(cat "$PULSE_RUNTIME_PATH/pid" 2>/dev/null) && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
pulseaudio --daemonize=yes --exit-idle-time=-1 -n --use-pid-file=yes \
    --load="module-null-sink sink_name=$sink" \
    --load="module-native-protocol-unix socket=$work/native auth-anonymous=1" \
    --log-target=file:"$work/pulse.log" 2>>"$work/pulse.log" || { cat "$work/pulse.log"; exit 1; }
export PULSE_SERVER="unix:$work/native" KRUMLIX_TEST_SINK="$sink"
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink "$sink"
# The server itself, for a test that holds it up for a moment.
KRUMLIX_TEST_SERVER_PID=$(cat "$PULSE_RUNTIME_PATH/pid")
export KRUMLIX_TEST_SERVER_PID
"$@"

#!/usr/bin/env bash
# Writes the wave seeds of corpus/wave/ afresh with sox: a tenth of a second
# at half the full scale in each encoding a sound scheme may hold. The wave
# decoding test reads them too. Usage: make_wave_seeds.sh [DIR]
set -euo pipefail
out=${1:-$(dirname "${BASH_SOURCE[0]}")/corpus/wave}
mkdir -p "$out"
raw=$(mktemp)
trap 'rm -f "$raw"' EXIT
printf '\x00\x40%.0s' $(seq 800) >"$raw" # 800 frames of 16384
from=(-D -t raw -r 8000 -e signed -b 16 -c 1 -L "$raw")
sox "${from[@]}" -e ima-adpcm "$out/ima-adpcm.wav"
sox "${from[@]}" -e ms-adpcm "$out/ms-adpcm.wav"
sox "${from[@]}" -e u-law "$out/mu-law.wav"
sox "${from[@]}" -e a-law "$out/a-law.wav"
sox "${from[@]}" -e gsm-full-rate "$out/gsm.wav"
sox "${from[@]}" -e unsigned -b 8 "$out/pcm8.wav"
sox "${from[@]}" -b 24 "$out/pcm24.wav"
sox "${from[@]}" -e floating-point -b 32 "$out/float.wav"
# Three channels at 48000 Hz, a fiftieth of a second: mixed down, resampled.
sox "${from[@]}" -r 48000 -c 3 "$out/3ch-48000.wav" trim 0 0.02

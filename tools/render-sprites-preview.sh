#!/usr/bin/env bash
# Renders assets/sprites/*.svg at 1x and 2x and composes, to look at:
#   /tmp/sprites-sheet.png      every sprite at 1x and 2x on black, labelled
#   /tmp/sprites-scene.png      a still of the playing field at 1x (640 x 400)
#   /tmp/sprites-scene@2x.png   the same still from the 2x sprites (1280 x 800)
# Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert and montage.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-/tmp}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

names=(pos1 pos2 pos3 pos4 pos5 pos6 pos7 skud1 skud2 skud3 skud4 skud5 skud6 skud7
       fakkel ild1 ild2 jord eleleft1 eleleft2 eleright1 eleright2 elefluff
       bileft1 bileft2 biright1 biright2 bifluff)
for n in "${names[@]}"; do
    rsvg-convert --background-color=black -o "$work/$n.png" "$top/assets/sprites/$n.svg"
    rsvg-convert --background-color=black --zoom=2 -o "$work/$n@2x.png" "$top/assets/sprites/$n.svg"
done

# Contact sheet: one row per kind of sprite, each sprite at 1x beside its 2x
# rendering and labelled; the ground strip on rows of its own.
rows=("pos1 pos2 pos3 pos4 pos5 pos6 pos7"
      "skud1 skud2 skud3 skud4 skud5 skud6 skud7 ild1 ild2"
      "fakkel eleleft1 eleleft2 elefluff"
      "eleright2 eleright1 bileft1 bileft2 biright1 biright2 bifluff"
      "jord")
row_files=()
for ((r = 0; r < ${#rows[@]}; r++)); do
    tiles=()
    for n in ${rows[r]}; do
        if [ "$n" = jord ]; then
            convert -background black "$work/$n.png" "$work/$n@2x.png" -gravity south -splice 0x6 -gravity west -append "$work/pair-$n.png"
        else
            convert -background black "$work/$n.png" "$work/$n@2x.png" -gravity east -splice 6x0 -gravity south +append "$work/pair-$n.png"
        fi
        montage -background black -fill '#9090a0' -pointsize 11 -label "$n" "$work/pair-$n.png" \
            -geometry +8+6 "$work/tile-$n.png"
        tiles+=("$work/tile-$n.png")
    done
    convert -background black "${tiles[@]}" -gravity south +append "$work/row-$r.png"
    row_files+=("$work/row-$r.png")
done
convert -background black "${row_files[@]}" -gravity west -append "$out/sprites-sheet.png"

# The still scene: field positions as the game places them.
scene() {
    local s=$1 suffix=$2
    local -a layers=(
        fakkel 88 116   fakkel 378 116   ild1 164 175   ild2 454 175   jord 0 388
        pos4 300 326    eleleft1 100 10  eleright1 400 64
        bileft1 120 340 biright2 480 342
    )
    local args=()
    for ((i = 0; i < ${#layers[@]}; i += 3)); do
        args+=("$work/${layers[i]}$suffix.png" -geometry "+$((layers[i + 1] * s))+$((layers[i + 2] * s))" -composite)
    done
    convert -size "$((640 * s))x$((400 * s))" xc:black "${args[@]}" "$3"
}
scene 1 "" "$out/sprites-scene.png"
scene 2 "@2x" "$out/sprites-scene@2x.png"
echo "wrote $out/sprites-sheet.png $out/sprites-scene.png $out/sprites-scene@2x.png"

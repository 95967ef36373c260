#!/usr/bin/env bash
# Renders assets/pictures/*.svg the way the build does (PNG, then JPEG at
# the build's quality with full-resolution chroma) and composes, to look at:
#   /tmp/menu-mock.png          the menu window's client area (575 x 373) with
#                               the panel, the title, the web link and badge (3)
#   /tmp/menu-mock@2x.png       the same, enlarged without smoothing
#   /tmp/rulesposes@3x.png      the rules window's poses, enlarged 3 times
#   /tmp/badges@4x.png          the six level badges side by side, enlarged 4 times
# Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-/tmp}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for svg in "$top"/assets/pictures/*.svg; do
    name=$(basename "$svg" .svg)
    rsvg-convert -o "$work/$name.png" "$svg"
    case $name in
        badge* | weblink) quality=100 ;;
        *) quality=92 ;;
    esac
    convert "$work/$name.png" -quality $quality -sampling-factor 1x1 "$work/$name.jpg"
done

convert -size 575x373 xc:'rgb(0,34,57)' \
    "$work/menupanel.jpg" -geometry +4+1 -composite \
    "$work/titlebanner.jpg" -geometry +149+27 -composite \
    "$work/weblink.jpg" -geometry +450+344 -composite \
    "$work/badge3.jpg" -geometry +106+228 -composite \
    "$out/menu-mock.png"
convert "$out/menu-mock.png" -filter point -resize 200% "$out/menu-mock@2x.png"
convert "$work/rulesposes.jpg" -filter point -resize 300% "$out/rulesposes@3x.png"
convert "$work"/badge{1,2,3,4,5,u}.jpg +append -filter point -resize 400% "$out/badges@4x.png"
echo "wrote $out/menu-mock.png $out/menu-mock@2x.png $out/rulesposes@3x.png $out/badges@4x.png"

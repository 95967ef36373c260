#!/bin/sh
# Starts the installed game in a game folder of the player's own: the shipped
# settings, high scores, scheme and sounds are copied there on first start
# (a file that is already there is never overwritten), and the game runs with
# that folder as its working folder.
set -e
here=$(dirname "$(readlink -f "$0")")
shipped="$here/../share/krumlix"
program="$here/../libexec/krumlix/krumlix"
folder="${XDG_DATA_HOME:-$HOME/.local/share}/krumlix"
mkdir -p "$folder"
for file in "$shipped"/*; do
    [ -e "$folder/$(basename "$file")" ] || cp "$file" "$folder/"
done
cd "$folder"
# In a Wayland session the game runs through Xwayland, where it can set the
# fastest keyboard repeat and keep the buttons off its title bars.
if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -n "${WAYLAND_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then
    export QT_QPA_PLATFORM=xcb
fi
exec "$program" "$@"

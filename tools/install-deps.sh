#!/usr/bin/env bash
# Installs the Debian packages of tools/packages.txt that are missing: the
# [game] section, or with "tests" the [tests] section too.
# Usage: tools/install-deps.sh [game|tests]
#
# Nothing installed is ever removed or replaced: apt runs with --no-remove.
# The game's own packages must install that way or the command fails; a test
# package that cannot (pulseaudio where pipewire-audio is installed) is left
# out and named, and the tests that need it run against what the machine has
# or are skipped with the reason.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mode=${1:-game}
case $mode in game | tests) ;; *) echo "usage: $0 [game|tests]" >&2; exit 2 ;; esac

# section NAME: the packages listed under [NAME]
section() {
    awk -v want="[$1]" '/^[ \t]*(#|$)/ { next } /^\[/ { on = ($1 == want); next } on { print $1 }' \
        "$here/packages.txt"
}
missing_of() {
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || echo "$pkg"
    done
}
mapfile -t game < <(missing_of $(section game))
tests=()
[ "$mode" = tests ] && mapfile -t tests < <(missing_of $(section tests))
[ ${#game[@]} -eq 0 ] && [ ${#tests[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
apt_install() {
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-remove --no-install-recommends "$@"
}
$sudo apt-get update -qq
if [ ${#game[@]} -gt 0 ]; then
    echo "Installing for the game: ${game[*]}"
    apt_install "${game[@]}"
fi
if [ ${#tests[@]} -gt 0 ]; then
    echo "Installing for the tests: ${tests[*]}"
    if ! apt_install "${tests[@]}" 2>/dev/null; then
        # Some package would take another away: install the rest one by one,
        # each only where apt can do it without a removal.
        left_out=()
        for pkg in "${tests[@]}"; do
            if apt-get install -s -qq --no-remove --no-install-recommends "$pkg" >/dev/null 2>&1; then
                apt_install "$pkg"
            else
                left_out+=("$pkg")
            fi
        done
        [ ${#left_out[@]} -gt 0 ] &&
            echo "Not installed, as it would remove an installed package: ${left_out[*]}"
    fi
fi
exit 0

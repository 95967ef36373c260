#!/usr/bin/env bash
# Installs the Debian packages of tools/packages.txt that are missing: the
# [game] section, or with "tests" the [tests] section too.
# Usage: tools/install-deps.sh [game|tests]
#
# Nothing installed is ever removed or replaced: apt runs with --no-remove.
# The game's own packages must install that way or the command fails with
# apt's message. A test package that cannot be installed is left out and
# named with apt's reason (pulseaudio where pipewire-audio is installed: apt
# would remove it), and the tests that need it run against what the machine
# has or are skipped with the reason.
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
    local -A installed=()
    local pkg
    while read -r pkg; do installed[$pkg]=1; done < <(dpkg-query -W -f='${Package} ${Status}\n' "$@" \
        2>/dev/null | sed -n 's/ install ok installed$//p')
    for pkg in "$@"; do [ -n "${installed[$pkg]:-}" ] || echo "$pkg"; done
}
mapfile -t game < <(missing_of $(section game))
tests=()
[ "$mode" = tests ] && mapfile -t tests < <(missing_of $(section tests))
[ ${#game[@]} -eq 0 ] && [ ${#tests[@]} -eq 0 ] && exit 0

# As root, or through sudo; sudo resets the environment, so the frontend is
# set on its far side. Another apt at work (a desktop's updater) is waited for.
apt=(env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=120)
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "Missing Debian packages, and neither root nor sudo here to install them." >&2
        echo "As root, run:" >&2
        echo "    apt-get install --no-install-recommends ${game[*]} ${tests[*]}" >&2
        exit 1
    fi
    apt=(sudo "${apt[@]}")
fi
apt_install() {
    "${apt[@]}" install -y -qq --no-remove --no-install-recommends "$@"
}
"${apt[@]}" update -qq
if [ ${#game[@]} -gt 0 ]; then
    echo "Installing for the game: ${game[*]}"
    apt_install "${game[@]}"
fi
[ ${#tests[@]} -eq 0 ] && exit 0
echo "Installing for the tests: ${tests[*]}"
apt_install "${tests[@]}" 2>/dev/null && exit 0
# One of them cannot be installed: the rest one by one, each that apt's
# simulation installs without taking another package away.
for pkg in "${tests[@]}"; do
    if ! simulated=$(apt-get install -s -q --no-install-recommends "$pkg" 2>&1); then
        echo "Not installed: $pkg: $(grep '^E:' <<<"$simulated" || echo "$simulated")"
    elif removed=$(sed -n 's/^Remv \([^ ]*\).*/\1/p' <<<"$simulated" | tr '\n' ' ') && [ -n "$removed" ]; then
        echo "Not installed: $pkg, as it would remove ${removed% }"
    elif ! out=$(apt_install "$pkg" 2>&1); then
        echo "Not installed: $pkg: $(grep '^E:' <<<"$out" || echo "$out")"
    fi
done
exit 0

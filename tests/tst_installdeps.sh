#!/usr/bin/env bash
# Runs tools/install-deps.sh against stand-ins for apt-get, dpkg-query, sudo
# and id on PATH: which packages it installs, through what, and what it says
# of a package that cannot be installed. The stand-in apt refuses a removal
# only when asked to with --no-remove, as the real one does, and logs every
# removal it would make.
# Usage: tst_installdeps.sh
set -uo pipefail
script=$(cd "$(dirname "$0")/.." && pwd)/tools/install-deps.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
cat >"$work/bin/apt-get" <<'EOF'
#!/bin/bash
echo "apt-get $* [frontend=${DEBIAN_FRONTEND:-} uid=$FAKE_UID]" >>"$FAKE_LOG"
[ "$1" = -o ] && shift 2
[ "$1" = update ] && exit 0
[[ " $* " = *" -s "* ]] && sim=1 || sim=""
[[ " $* " = *" --no-remove "* ]] && keep=1 || keep=""
shift
pkgs=()
for p in "$@"; do case $p in -*) ;; *) pkgs+=("$p") ;; esac; done
# all or nothing, as apt does
for p in "${pkgs[@]}"; do
    [[ " $FAKE_MISSING " = *" $p "* ]] && { echo "E: Unable to locate package $p" >&2; exit 100; }
    [[ " $FAKE_REMOVES " = *" $p "* ]] && [ -n "$keep" ] &&
        { echo "E: Packages need to be removed but remove is disabled." >&2; exit 100; }
done
for p in "${pkgs[@]}"; do
    if [[ " $FAKE_REMOVES " = *" $p "* ]]; then
        echo "Remv pipewire-audio [1.0]"
        [ -z "$sim" ] && echo "REMOVED pipewire-audio for $p" >>"$FAKE_LOG"
    fi
    [ -z "$sim" ] && echo "INSTALLED $p" >>"$FAKE_LOG"
done
exit 0
EOF
cat >"$work/bin/dpkg-query" <<'EOF'
#!/bin/bash
shift 2
for p in "$@"; do [[ " $FAKE_INSTALLED " = *" $p "* ]] && echo "$p install ok installed"; done
exit 0
EOF
printf '#!/bin/bash\necho "$FAKE_UID"\n' >"$work/bin/id"
printf '#!/bin/bash\nFAKE_UID=0 exec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin"/*
# A PATH with the stand-ins and the tools the script itself needs, without sudo
# where a row takes it away.
mkdir "$work/sys"
for tool in bash env awk grep sed tr cat dirname; do ln -s "$(command -v $tool)" "$work/sys/$tool"; done
listed() { awk -v want="$1" '/^\[/ { on = ($1 ~ want); next } on && !/^[ \t]*(#|$)/ { print $1 }' \
    "$(dirname "$script")/packages.txt" | tr '\n' ' '; }
game=$(listed 'game')
all=$(listed 'game|tests')
# all but xvfb, weston, pulseaudio and sox: the rows that go package by package stay quick
most=$(tr ' ' '\n' <<<"$all" | grep -vx 'xvfb\|weston\|pulseaudio\|sox' | tr '\n' ' ')

failures=0
passes=0
# name | mode | uid | sudo on PATH | installed | not in the archive | would remove
#   | exit | apt got each of (;) | printed | neither got nor printed any of (;)
rows=(
"all there|tests|1000|yes|$all|||0|||apt-get;Installing"
"game as root|game|0|no||||0|apt-get -o DPkg::Lock::Timeout=120 install;INSTALLED cmake|Installing for the game|INSTALLED xvfb"
"game through sudo|game|1000|yes||||0|DPkg::Lock::Timeout=120 install -y -qq --no-remove;cmake;[frontend=noninteractive uid=0]|Installing for the game|uid=1000"
"neither root nor sudo|game|1000|no||||!0||apt-get install --no-install-recommends cmake|INSTALLED"
"a game package not there|game|0|no||qt6-wayland||!0||Unable to locate package qt6-wayland|INSTALLED cmake"
"one test package would remove|tests|0|no|$most||pulseaudio|0|INSTALLED xvfb;INSTALLED sox|pulseaudio, as it would remove pipewire-audio|REMOVED"
"one test package not there|tests|0|no|$most|weston||0|INSTALLED sox|weston: E: Unable to locate package weston|would remove"
)
for row in "${rows[@]}"; do
    IFS='|' read -r name mode uid with_sudo installed missing removes want_exit must_log must_say never <<<"$row"
    : >"$work/log"
    path=$work/bin:$work/sys
    if [ "$with_sudo" = no ]; then
        mkdir -p "$work/nosudo" && cp "$work/bin"/{apt-get,dpkg-query,id} "$work/nosudo/"
        path=$work/nosudo:$work/sys
    fi
    out=$(env -i PATH="$path" FAKE_LOG="$work/log" FAKE_UID="$uid" FAKE_INSTALLED="$installed" \
        FAKE_MISSING="$missing" FAKE_REMOVES="$removes" bash "$script" "$mode" 2>&1)
    got_exit=$?
    rm -rf "$work/nosudo"
    log=$(cat "$work/log")
    bad=()
    [ "$got_exit" = "$want_exit" ] || { [ "$want_exit" = '!0' ] && [ "$got_exit" != 0 ]; } ||
        bad+=("exit $got_exit, not $want_exit")
    [[ "$out" = *"$must_say"* ]] || bad+=("did not say: $must_say")
    IFS=';' read -ra wants <<<"$must_log"
    for want in "${wants[@]}"; do [[ "$log" = *"$want"* ]] || bad+=("apt never got: $want"); done
    IFS=';' read -ra nevers <<<"$never"
    for word in "${nevers[@]}"; do [[ "$log$out" = *"$word"* ]] && bad+=("should never see: $word"); done
    if [ ${#bad[@]} -eq 0 ]; then
        passes=$((passes + 1))
    else
        failures=$((failures + 1))
        printf 'FAIL: %s: %s\n  said: %s\n  apt: %s\n' "$name" "${bad[*]}" "$out" "${log:0:600}"
    fi
done
echo "install-deps: $passes passed, $failures failed"
[ $failures -eq 0 ]

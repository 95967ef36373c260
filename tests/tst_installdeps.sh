#!/usr/bin/env bash
# Runs tools/install-deps.sh against stand-ins for apt-get, dpkg-query, sudo
# and id on PATH. The stand-in apt, like the real one, takes pipewire-audio
# away for pulseaudio unless told --no-remove, and logs every call and change.
set -uo pipefail
script=$(cd "$(dirname "$0")/.." && pwd)/tools/install-deps.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/nosudo" "$work/sys"
cat >"$work/bin/apt-get" <<'EOF'
#!/bin/bash
echo "apt-get $* [frontend=${DEBIAN_FRONTEND:-} uid=$FAKE_UID]" >>"$FAKE_LOG"
[ "$1" = -o ] && shift 2
[ "$1" = update ] && exit 0
opts=" $* " pkgs=() log=$FAKE_LOG
[[ $opts = *" -s "* ]] && log=/dev/null
for p in "${@:2}"; do [[ $p = -* ]] || pkgs+=("$p"); done
for p in "${pkgs[@]}"; do # all or nothing
    [[ " $FAKE_MISSING " = *" $p "* ]] && { echo "E: Unable to locate package $p" >&2; exit 100; }
    [[ " $FAKE_REMOVES " = *" $p "* && $opts = *" --no-remove "* ]] &&
        { echo "E: Packages need to be removed but remove is disabled." >&2; exit 100; }
done
for p in "${pkgs[@]}"; do
    [[ " $FAKE_REMOVES " = *" $p "* ]] && echo "Remv pipewire-audio [1.0]" && echo REMOVED >>"$log"
    echo "INSTALLED $p" >>"$log"
done
EOF
# A word NAME~ of the installed: removed with its settings left.
printf '#!/bin/bash\nfor p in "${@:3}"; do [[ " $FAKE_INSTALLED " = *" $p "* ]] && echo "$p install ok installed"\n[[ " $FAKE_INSTALLED " = *" $p~ "* ]] && echo "$p deinstall ok config-files"; done\n' \
    >"$work/bin/dpkg-query"
printf '#!/bin/bash\necho "$FAKE_UID"\n' >"$work/bin/id"
# sudo resets the environment, as sudoers' env_reset does
printf '#!/bin/bash\nmapfile -t keep < <(env | grep ^FAKE_)\nexec env -i PATH="$PATH" "${keep[@]}" FAKE_UID=0 "$@"\n' \
    >"$work/bin/sudo"
chmod +x "$work/bin"/*
ln -s "$work/bin"/{apt-get,dpkg-query,id} "$work/nosudo/"
# The tools the script needs besides, and no sudo but the stand-in.
for tool in bash env awk grep sed tr cat dirname; do ln -s "$(command -v $tool)" "$work/sys/$tool"; done
all=$(awk '/^[^[#]/ { print $1 }' "$(dirname "$script")/packages.txt" | tr '\n' ' ')
# all but four, so that the rows going package by package stay quick
most=$(tr ' ' '\n' <<<"$all" | grep -vx 'xvfb\|weston\|pulseaudio\|sox' | tr '\n' ' ')

failures=0
passes=0
# name | mode | uid | PATH's stand-ins | installed | not in the archive | would remove
#   | exit | apt got each of (;) | printed | neither got nor printed any of (;)
rows=(
"all there|tests|1000|bin|$all|||0|||apt-get;Installing"
"game as root|game|0|nosudo||||0|apt-get -o DPkg::Lock::Timeout=120 install;INSTALLED cmake|Installing for the game|INSTALLED xvfb"
"game through sudo|game|1000|bin||||0|DPkg::Lock::Timeout=120 install -y -qq --no-remove;cmake;[frontend=noninteractive uid=0]|Installing for the game|uid=1000"
"neither root nor sudo|game|1000|nosudo||||!0||apt-get install --no-install-recommends cmake|INSTALLED"
"a game package removed, its settings left|game|0|nosudo|cmake~|||0|INSTALLED cmake||"
"a game package not there|game|0|nosudo||qt6-wayland||!0||Unable to locate package qt6-wayland|INSTALLED cmake"
"one test package would remove|tests|0|nosudo|$most||pulseaudio|0|INSTALLED xvfb;INSTALLED sox|pulseaudio, as it would remove pipewire-audio|REMOVED"
"one test package not there|tests|0|nosudo|$most|weston||0|INSTALLED sox|weston: E: Unable to locate package weston|would remove"
)
for row in "${rows[@]}"; do
    IFS='|' read -r name mode uid bin installed missing removes want_exit must_log must_say never <<<"$row"
    : >"$work/log"
    out=$(env -i PATH="$work/$bin:$work/sys" FAKE_LOG="$work/log" FAKE_UID="$uid" FAKE_INSTALLED="$installed" \
        FAKE_MISSING="$missing" FAKE_REMOVES="$removes" bash "$script" "$mode" 2>&1)
    got_exit=$?
    log=$(cat "$work/log")
    bad=()
    [ "$got_exit" = "$want_exit" ] || { [ "$want_exit" = '!0' ] && [ "$got_exit" != 0 ]; } ||
        bad+=("exit $got_exit, not $want_exit")
    [[ "$out" = *"$must_say"* ]] || bad+=("did not say: $must_say")
    IFS=';' read -ra wants <<<"$must_log"
    for want in "${wants[@]}"; do [[ "$log" = *"$want"* ]] || bad+=("apt never got: $want"); done
    IFS=';' read -ra nevers <<<"$never"
    for word in "${nevers[@]}"; do [[ "$log$out" = *"$word"* ]] && bad+=("should never see: $word"); done
    [ ${#bad[@]} -eq 0 ] && { passes=$((passes + 1)); continue; }
    failures=$((failures + 1))
    printf 'FAIL: %s: %s\n  said: %s\n  apt: %s\n' "$name" "${bad[*]}" "$out" "${log:0:600}"
done
echo "install-deps: $passes passed, $failures failed"
[ $failures -eq 0 ]

#!/usr/bin/env bash
# Installs what is missing, configures and builds into build/; the runnable
# game folder is build/krumlix/.
# Usage: tools/build.sh [game|tests]
#   game (the default): the game and its staged folder only, as a player or
#   packager builds it; tests: everything, tests and benchmarks included, with
#   every warning an error.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
mode=${1:-game}
"$top/tools/install-deps.sh" "$mode"
options=(-DBUILD_TESTING=OFF)
[ "$mode" = tests ] && options=(-DBUILD_TESTING=ON -DKRUMLIX_WERROR=ON)
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE="${KRUMLIX_BUILD_TYPE:-RelWithDebInfo}" \
    "${options[@]}" >/dev/null
cmake --build "$top/build" -j"$(nproc)"

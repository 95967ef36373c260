#!/usr/bin/env bash
# Installs what is missing, configures and builds.
# Usage: tools/build.sh [game|tests]
#   game (the default): the game and its staged folder only, as a player or
#   packager builds it, into build/ (the runnable game folder is
#   build/krumlix/); tests: everything, tests and benchmarks included, with
#   every warning an error, into build-tests/.
# Each kind has a folder of its own and sets every option it depends on, so
# that neither's options stay cached for the other.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
mode=${1:-game}
"$top/tools/install-deps.sh" "$mode"
build=$top/build
options=(-DBUILD_TESTING=OFF -DKRUMLIX_WERROR=OFF)
if [ "$mode" = tests ]; then
    build=$top/build-tests
    options=(-DBUILD_TESTING=ON -DKRUMLIX_WERROR=ON)
fi
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${KRUMLIX_BUILD_TYPE:-RelWithDebInfo}" \
    "${options[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"

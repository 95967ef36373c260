#!/usr/bin/env bash
# Configures and builds into build/; the runnable game folder is build/krumlix/.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/tools/install-deps.sh"
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE="${KRUMLIX_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build "$top/build" -j"$(nproc)"

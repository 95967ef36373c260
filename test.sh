#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest; then
# the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
# and the fuzz targets for a bounded time each.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$top/tools/build.sh" tests
(cd "$top/build" && ctest --output-on-failure -j"$(nproc)" --timeout 600)
"$top/tools/fuzz.sh"
"$top/tools/sanitize.sh"

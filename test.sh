#!/usr/bin/env bash
# Installs what is missing, builds into build-tests/, and runs every test
# through CTest; then the whole suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the fuzz targets for a bounded time each.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
"$top/tools/build.sh" tests
(cd "$top/build-tests" && ctest --output-on-failure -j"$(nproc)" --timeout 600)
# A test that could not run on this machine says why.
awk '/^[0-9]+\/[0-9]+ Test: / { name = $3 } /^SKIP: / { print "skipped: " name ": " substr($0, 7) }' \
    "$top/build-tests/Testing/Temporary/LastTest.log"
"$top/tools/fuzz.sh"
"$top/tools/sanitize.sh"
